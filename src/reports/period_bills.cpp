#include "reports/period_bills.h"

#include <algorithm>

#include "platform/query.h"
#include "reports/report_period.h"
#include "reports/typed_literals.h"

namespace reports {

void fold_key_into(std::string_view text, std::string& key) {
    for (const char c : text) key.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c);
}

std::string fold_key(std::string_view text) {
    std::string key;
    key.reserve(text.size());
    fold_key_into(text, key);
    return key;
}

void for_each_month_span(const QDate& first, const QDate& last,
                         const std::function<void(const QString&, const QString&)>& chunk) {
    if (!first.isValid() || !last.isValid()) return;
    for (QDate start = first; start <= last;) {
        const QDate end = std::min(start.addMonths(1).addDays(-1), last);
        const QString s = report_date_literal(start), e = report_date_literal(end);
        // A year the database cannot hold matches nothing.
        if (!report_literal_is_day(s) || !report_literal_is_day(e)) return;
        chunk(s, e);
        start = end.addDays(1);
    }
}

RegisterStreets::RegisterStreets(platform::Connection& main) {
    std::string scratch;
    {
        // The greatest household of the accounts carrying each number, as the database's max
        // picks it among the accounts it groups under one number.
        platform::RecordSet accounts;
        platform::query_open(accounts, main,
                             QStringLiteral("select 户号,max(父号) from 用户表管理 where 父号 is "
                                            "not null group by 户号"),
                             platform::OnFailure::Quiet);
        account_households_.reserve(static_cast<size_t>(accounts.row_count));
        for (; !platform::recordset_eof(accounts); platform::recordset_move_next(accounts)) {
            if (platform::recordset_field_is_null(accounts, 0)) continue;
            std::string number = fold_key(platform::recordset_field_utf8(accounts, 0, scratch));
            account_households_[std::move(number)] =
                fold_key(platform::recordset_field_utf8(accounts, 1, scratch));
        }
    }
    platform::RecordSet households;
    platform::query_open(households, main, QStringLiteral("select 户号,居住街道 from 用户信息表"),
                         platform::OnFailure::Quiet);
    streets_.reserve(static_cast<size_t>(households.row_count));
    for (; !platform::recordset_eof(households); platform::recordset_move_next(households)) {
        if (platform::recordset_field_is_null(households, 0)) continue;
        std::string number = fold_key(platform::recordset_field_utf8(households, 0, scratch));
        streets_[std::move(number)].push_back(
            fold_key(platform::recordset_field_utf8(households, 1, scratch)));
    }
}

const std::string& RegisterStreets::household_of(const std::string& number) const {
    const auto it = account_households_.find(number);
    return it == account_households_.end() ? number : it->second;
}

const std::vector<std::string>* RegisterStreets::streets_of(const std::string& household) const {
    const auto it = streets_.find(household);
    return it == streets_.end() ? nullptr : &it->second;
}

void SerialSet::add(const platform::RecordSet& rows, int column, std::string& scratch) {
    const platform::RecordSet::Cell& cell =
        rows.cells[static_cast<size_t>(rows.position) * static_cast<size_t>(rows.names.size()) +
                   static_cast<size_t>(column)];
    if (cell.type == platform::RecordSet::CellType::Integer)
        numbers_.push_back(cell.integer);
    else if (cell.type == platform::RecordSet::CellType::Null)
        has_null_ = true;
    else
        others_.emplace_back(platform::recordset_field_utf8(rows, column, scratch));
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
