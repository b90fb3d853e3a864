#include "households/household_record.h"

#include <algorithm>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace households {

QString household_form_mode;

namespace {

using platform::sql_quote;

// Numbers are searched one after the other; a run of taken numbers longer than this means the
// rule is not getting anywhere (a number without digits to count), and the last one is given.
constexpr int kMaxNumbersPassedOver = 100000;

bool all_digits(QStringView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A bill's 户号 belongs to the household: the number itself, or a meter-account number made of
// it and two or three digits.
bool bill_number_belongs_to(const QString& bill_number, const QString& number) {
    if (bill_number.compare(number, Qt::CaseInsensitive) == 0) return true;
    if (!bill_number.startsWith(number, Qt::CaseInsensitive)) return false;
    const QStringView rest = QStringView(bill_number).mid(number.size());
    return (rest.size() == 2 || rest.size() == 3) && all_digits(rest);
}

}  // namespace

Household read_household(const platform::RecordSet& r) {
    Household h;
    h.id = static_cast<qint64>(platform::recordset_field_number(r, QStringLiteral("编号")));
    h.number = platform::recordset_field_text(r, QStringLiteral("户号"));
    h.parent_number = platform::recordset_field_text(r, QStringLiteral("父号"));
    h.name = platform::recordset_field_text(r, QStringLiteral("用户名"));
    h.street = platform::recordset_field_text(r, QStringLiteral("居住街道"));
    h.address = platform::recordset_field_text(r, QStringLiteral("详细地址"));
    h.identity_number = platform::recordset_field_text(r, QStringLiteral("身份证号"));
    h.persons = platform::recordset_field_number(r, QStringLiteral("家庭人口"));
    h.registered = platform::recordset_field_date(r, QStringLiteral("建档时间")).date();
    h.card_number = platform::recordset_field_text(r, QStringLiteral("磁卡号码"));
    h.bank = platform::recordset_field_text(r, QStringLiteral("开户银行"));
    h.bank_account = platform::recordset_field_text(r, QStringLiteral("银行帐号"));
    h.several_meters = platform::recordset_field_bool(r, QStringLiteral("性质"));
    h.remark = platform::recordset_field_text(r, QStringLiteral("备注"));
    h.mnemonic = platform::recordset_field_text(r, QStringLiteral("助记词"));
    h.fixed_telephone = platform::recordset_field_text(r, QStringLiteral("固定电话"));
    h.mobile_telephone = platform::recordset_field_text(r, QStringLiteral("移动电话"));
    h.property_category = platform::recordset_field_text(r, QStringLiteral("物业类别"));
    h.property_area = platform::recordset_field_number(r, QStringLiteral("物业面积"));
    h.parking_fee = platform::recordset_field_number(r, QStringLiteral("停车费"));
    h.state = platform::recordset_field_text(r, QStringLiteral("目前状态"));
    return h;
}

QString household_kind_word(bool several_meters, const QString& parent_number, KindPlace place) {
    if (place == KindPlace::Form)
        return several_meters ? QStringLiteral("多表") : QStringLiteral("单表");
    if (parent_number != QLatin1String("0")) return several_meters ? QString() : QStringLiteral("分表");
    if (!several_meters) return QStringLiteral("单表");
    return place == KindPlace::AddList ? QStringLiteral("总表") : QStringLiteral("双表");
}

QString household_number_successor(const QString& number, bool prefix_matched_with_case) {
    return households::household_number_successor(number, shell::system_parameters.household_number_prefix,
                                        !prefix_matched_with_case);
}

QString next_household_number(platform::Connection& connection) {
    const QString& prefix = shell::system_parameters.household_number_prefix;
    QString proposal;
    bool ok = false;
    const QStringList last = platform::query_column(
        connection,
        QStringLiteral("select top 1 户号 from 用户信息表  where 父号='0' ORDER  BY 编号 DESC "),
        platform::OnFailure::Report, &ok);
    if (ok && !last.isEmpty()) {
        proposal = household_number_successor(last.first(), prefix, true);
    } else {
        const int zeros = std::max(shell::system_parameters.household_number_digits - 1, 0);
        proposal = prefix + QString(zeros, QLatin1Char('0')) + QLatin1Char('1');
    }
    return first_free_household_number(connection, proposal, true);
}

QString first_free_household_number(const QString& number, bool prefix_ignores_case) {
    return first_free_household_number(store::main_connection(), number, prefix_ignores_case);
}

QString first_free_household_number(platform::Connection& connection, const QString& number,
                                    bool prefix_ignores_case) {
    const QString& prefix = shell::system_parameters.household_number_prefix;
    QString candidate = number;
    for (int passed = 0; passed < kMaxNumbersPassedOver; ++passed) {
        if (!household_number_exists(connection, candidate) &&
            !household_number_owned(connection, candidate))
            break;
        candidate = household_number_successor(candidate, prefix, prefix_ignores_case);
    }
    return candidate;
}

bool household_number_exists(const QString& number) {
    return household_number_exists(store::main_connection(), number);
}

bool household_number_exists(platform::Connection& connection, const QString& number) {
    return platform::query_integer(connection, QStringLiteral("select count(*) from 用户信息表 where 户号=") + sql_quote(number)) > 0;
}

bool household_number_owned(const QString& number) {
    return household_number_owned(store::main_connection(), number);
}

bool household_number_owned(platform::Connection& connection, const QString& number) {
    const QString n = sql_quote(number);
    if (platform::query_integer(connection, QStringLiteral("select count(*) from 用户表管理 where 父号=") + n +
                 QStringLiteral(" or 户号=") + sql_quote(number + QStringLiteral("01"))) > 0)
        return true;
    if (platform::query_integer(connection, QStringLiteral("select count(*) from 抄表管理 where 父号=") + n) > 0) return true;
    if (platform::query_integer(connection, QStringLiteral("select count(*) from 抄表总表 where 父号=") + n) > 0) return true;
    if (platform::query_integer(connection, QStringLiteral("select count(*) from 预存明细 where 户号=") + n) > 0) return true;
    if (platform::query_integer(connection, QStringLiteral("select count(*) from 减免设置 where 户号=") + n) > 0) return true;

    // Bills carry the household number, or a meter-account number where a database still holds
    // bills a reading correction once keyed so; the prefix match is narrowed down here (a LIKE pattern would take the number's own % and _
    // as wildcards, which only lets more rows through).
    const QStringList bills = platform::query_column(
        connection, QStringLiteral("select distinct 户号 from 总收费 where 户号 like ") +
                        sql_quote(number + QLatin1Char('%')));
    bool owned = false;
    for (const QString& bill : bills)
        if ((owned = bill_number_belongs_to(bill, number))) break;
    return owned;
}

namespace {

// A card number as the look-up compares it: letters without regard to their case (as the
// column compares, ASCII only).
QString card_key(const QString& card) {
    QString key = card;
    for (QChar& c : key)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + (u'a' - u'A'));
    return key;
}

const QString kCardSelect =
    QStringLiteral("select 磁卡号码,户号,用户名 from 用户信息表 where 磁卡号码<>''");

}  // namespace

void CardNumbers::add_rows(const QList<QStringList>& rows) {
    for (const QStringList& row : rows)
        if (!row.value(0).isEmpty()) hold(row.value(0), {row.value(1), row.value(2)});
}

void CardNumbers::load(platform::Connection& connection) {
    add_rows(platform::query_rows(connection, kCardSelect, platform::OnFailure::Quiet));
}

void CardNumbers::load(platform::Connection& connection, const QString& card) {
    const QString trimmed = platform::text_trim(card);
    if (trimmed.isEmpty()) return;
    add_rows(platform::query_rows(
        connection, kCardSelect + QStringLiteral(" and 磁卡号码=") + sql_quote(trimmed),
        platform::OnFailure::Quiet));
}

std::optional<CardHolder> CardNumbers::holder_other_than(const QString& card,
                                                         const QString& own_number,
                                                         int own_row) const {
    const QString trimmed = platform::text_trim(card);
    if (trimmed.isEmpty()) return std::nullopt;
    const auto found = holders_.constFind(card_key(trimmed));
    if (found == holders_.constEnd()) return std::nullopt;
    const QString own = card_key(platform::text_trim(own_number));
    // A household that already holds the card keeps it, even where data from before cards were
    // checked gives it to another household too: saving such a household unchanged must go
    // through, and anyone else taking the card is refused by the holders in the register.
    if (!own.isEmpty())
        for (const CardHolder& holder : *found)
            if (holder.sheet_row == 0 && card_key(holder.number) == own) return std::nullopt;
    for (const CardHolder& holder : *found) {
        const bool same = (!own.isEmpty() && card_key(holder.number) == own) ||
                          (holder.sheet_row != 0 && holder.sheet_row == own_row);
        if (!same) return holder;
    }
    return std::nullopt;
}

void CardNumbers::hold(const QString& card, const CardHolder& holder) {
    if (card.isEmpty()) return;
    holders_[card_key(card)].append(holder);
}

std::optional<CardHolder> card_holder_other_than(platform::Connection& connection,
                                                 const QString& card, const QString& own_number) {
    CardNumbers cards;
    cards.load(connection, card);
    return cards.holder_other_than(card, own_number);
}

QString card_taken_text(const QString& card, const CardHolder& holder) {
    if (holder.sheet_row != 0)
        return QStringLiteral("磁卡号码【") + platform::text_trim(card) +
               QStringLiteral("】与表中第") + QString::number(holder.sheet_row) +
               QStringLiteral("行相同");
    return QStringLiteral("磁卡号码【") + platform::text_trim(card) +
           QStringLiteral("】已被用户【") + holder.number + u' ' + holder.name +
           QStringLiteral("】使用");
}

}  // namespace households
