#include "reports/period_bills.h"

#include <algorithm>

#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include "platform/db_failure.h"

namespace reports {

void fold_key_into(std::string_view text, std::string& key) {
    for (const char c : text) key.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c);
}

RowStream::RowStream(platform::Connection& connection, const char* sql)
    : connection_(connection) {
    sqlite3* db = platform::db_handle(connection);
    if (!db || sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) fail();
}

void RowStream::fail() {
    platform::db_report_failure(connection_);
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    failed_ = true;
}

RowStream::~RowStream() { sqlite3_finalize(stmt_); }

void RowStream::bind_day(int position, const QDate& day) {
    const QByteArray text = day.toString(Qt::ISODate).toUtf8();
    if (stmt_) sqlite3_bind_text(stmt_, position, text.constData(), text.size(), SQLITE_TRANSIENT);
}

bool RowStream::next() {
    if (!stmt_) return false;
    const int step = sqlite3_step(stmt_);
    if (step == SQLITE_ROW) return true;
    if (step == SQLITE_DONE) {
        // Stepping a finished statement again would run it afresh.
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    } else {
        fail();
    }
    return false;
}

bool RowStream::is_null(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

bool RowStream::is_integer(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_INTEGER;
}

qint64 RowStream::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

double RowStream::number(int column) const { return sqlite3_column_double(stmt_, column); }

std::string_view RowStream::text(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return bytes ? std::string_view(bytes, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
                 : std::string_view();
}

void NumberIndex::add(std::string_view key, int value) {
    Entry entry;
    entry.size = static_cast<quint32>(key.size());
    if (key.size() <= kInline) {
        std::copy(key.begin(), key.end(), entry.text);
    } else {
        entry.from = static_cast<quint32>(keys_.size());
        keys_.append(key);
    }
    entry.value = value;
    if (!entries_.empty() && key_of(entries_.back()) >= key) ordered_ = false;
    entries_.push_back(entry);
}

int* NumberIndex::last_value_if(std::string_view key) {
    if (entries_.empty() || key_of(entries_.back()) != key) return nullptr;
    return &entries_.back().value;
}

void NumberIndex::put_in_order() const {
    // Stable, so that equal numbers keep the order they were added in; the first one wins.
    std::stable_sort(entries_.begin(), entries_.end(),
                     [this](const Entry& a, const Entry& b) { return key_of(a) < key_of(b); });
    entries_.erase(
        std::unique(entries_.begin(), entries_.end(),
                    [this](const Entry& a, const Entry& b) { return key_of(a) == key_of(b); }),
        entries_.end());
    ordered_ = true;
}

int NumberIndex::find(std::string_view key) const {
    if (!ordered_) put_in_order();
    const size_t n = entries_.size();
    if (n == 0) return -1;
    // Gallop from the finger towards the key, then search the last stretch.
    size_t low = 0, high = n;  // the key lies in [low, high) if anywhere
    size_t at = std::min(finger_, n - 1);
    if (key_of(entries_[at]) < key) {
        size_t step = 1;
        low = at + 1;
        while (at + step < n && key_of(entries_[at + step]) < key) {
            low = at + step + 1;
            step *= 2;
        }
        high = std::min(n, at + step + 1);
    } else {
        size_t step = 1;
        high = at + 1;
        while (step <= at && key < key_of(entries_[at - step])) {
            high = at - step;
            step *= 2;
        }
        low = step <= at ? at - step : 0;
    }
    const auto it = std::lower_bound(
        entries_.begin() + static_cast<std::ptrdiff_t>(low),
        entries_.begin() + static_cast<std::ptrdiff_t>(high), key,
        [this](const Entry& entry, std::string_view k) { return key_of(entry) < k; });
    finger_ = std::min(static_cast<size_t>(it - entries_.begin()), n - 1);
    return it != entries_.end() && key_of(*it) == key ? it->value : -1;
}

RegisterStreets::RegisterStreets(platform::Connection& main, bool with_streets) {
    std::unordered_map<std::string, int> street_ids;  // a few dozen streets
    std::string key, street;
    {
        // Every registration, with its street numbered; a number registered again chains on.
        RowStream rows(main, with_streets ? "select 户号,居住街道 from 用户信息表 order by 户号"
                                          : "select 户号,null from 用户信息表 order by 户号");
        int last_street = -1;
        while (rows.next()) {
            if (rows.is_null(0)) continue;
            int street_id = 0;
            if (with_streets) {
                street.clear();
                fold_key_into(rows.text(1), street);
                if (last_street < 0 || street != street_names_[static_cast<size_t>(last_street)]) {
                    auto it = street_ids.find(street);
                    if (it == street_ids.end()) {
                        it = street_ids.emplace(street, static_cast<int>(street_names_.size()))
                                 .first;
                        street_names_.push_back(street);
                    }
                    last_street = it->second;
                }
                street_id = last_street;
            }
            key.clear();
            fold_key_into(rows.text(0), key);
            const int registration = static_cast<int>(chain_.size());
            // In number order, a number registered again follows its first registration.
            if (int* head = households_.last_value_if(key)) {
                chain_.emplace_back(street_id, *head);
                *head = registration;
            } else {
                chain_.emplace_back(street_id, -1);
                households_.add(key, registration);
            }
        }
        failed_ = rows.failed();
    }
    if (failed_) return;
    // The greatest household of the accounts carrying each number, as the database's max picks
    // it: the accounts in the order of their numbers and households, the last of a number kept.
    RowStream accounts(main,
                       "select 户号,父号 from 用户表管理 where 户号 is not null and 父号 is not "
                       "null order by 户号,父号");
    std::string number, household;
    bool pending = false;
    const auto settle = [&] {
        // Kept as the registration + 2, so that an account whose household is registered
        // nowhere (-1) is told from a number no account carries.
        if (pending) accounts_.add(number, this->household(household) + 2);
    };
    while (accounts.next()) {
        key.clear();
        fold_key_into(accounts.text(0), key);
        if (!pending || key != number) {
            settle();
            number = key;
            pending = true;
        }
        household.clear();
        fold_key_into(accounts.text(1), household);
    }
    settle();
    failed_ = accounts.failed();
}

int RegisterStreets::bill_household(std::string_view number) const {
    const int account = accounts_.find(number);
    return account == -1 ? household(number) : account - 2;
}

int RegisterStreets::count(int registration) const {
    int n = 0;
    for (; registration >= 0; registration = next(registration)) ++n;
    return n;
}

void SerialSet::add(const RowStream& rows, int column) {
    if (rows.is_integer(column))
        numbers_.push_back(rows.integer(column));
    else if (rows.is_null(column))
        has_null_ = true;
    else
        others_.emplace_back(rows.text(column));
}

namespace {
template <typename T>
size_t distinct(std::vector<T>& values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values.size();
}
}  // namespace

qint64 SerialSet::count() {
    return static_cast<qint64>(distinct(numbers_) + distinct(others_)) + (has_null_ ? 1 : 0);
}

}  // namespace reports
