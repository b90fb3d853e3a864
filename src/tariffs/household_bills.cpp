#include "tariffs/household_bills.h"

#include "platform/db.h"
#include "platform/query.h"

namespace tariffs {

QString household_bills_condition(const QString& household, const QString& number_column) {
    return households_bills_condition(platform::sql_quote(household), number_column);
}

QString bound_household_row_condition(const QString& qualified_column) {
    return QStringLiteral("(") + qualified_column +
           QStringLiteral("=? or exists (select 1 from 用户表管理 where 用户表管理.户号=") +
           qualified_column + QStringLiteral(" and 用户表管理.父号=?))");
}

QString households_bills_condition(const QString& households_select,
                                   const QString& number_column) {
    return QStringLiteral("(") + number_column + QStringLiteral(" in (") + households_select +
           QStringLiteral(") or ") + number_column +
           QStringLiteral(" in (select 户号 from 用户表管理 where 父号 in (") + households_select +
           QStringLiteral(")))");
}

QString household_numbers_select(const QString& households_select) {
    return QStringLiteral("select 户号 as 账号,户号 as 所属户号 from (") + households_select +
           QStringLiteral(") union select 户号,父号 from 用户表管理 where 父号 in (") +
           households_select + u')';
}

HouseholdBillSums household_bill_sums(const QString& aggregate, const QString& household,
                                      const QString& condition) {
    // The accounts lead their join (cross join keeps that order) and each seeks its bills; the
    // earliest of two rows with one number is the one counted. That test names the bill's number
    // so that it runs only for an account that has such a bill.
    return {QStringLiteral("(select ") + aggregate + QStringLiteral(" from 总收费 b where b.户号=") +
                household + QStringLiteral(" and ") + condition + u')',
            QStringLiteral("(select ") + aggregate +
                QStringLiteral(" from 用户表管理 m cross join 总收费 b where m.父号=") + household +
                QStringLiteral(" and m.户号<>") + household +
                QStringLiteral(" and b.户号=m.户号 and ") + condition +
                QStringLiteral(" and not exists (select 1 from 用户表管理 d where d.父号=m.父号 and "
                               "d.户号=b.户号 and d.编号<m.编号))")};
}

QString bill_household_expression(const QString& number_column) {
    return QStringLiteral("coalesce((select max(父号) from 用户表管理 where 用户表管理.户号=") +
           number_column + QStringLiteral("),") + number_column + QStringLiteral(")");
}

QString household_bills_join(const QString& household_column, const QString& number_column) {
    return household_column + u'=' + bill_household_expression(number_column) +
           QStringLiteral(" and (") + number_column + u'=' + household_column +
           QStringLiteral(" or ") + number_column +
           QStringLiteral(" in (select 户号 from 用户表管理 where 父号=") + household_column +
           QStringLiteral("))");
}

QStringList household_account_numbers(platform::Connection& connection, const QString& household,
                                      bool* ok) {
    bool read = false;
    QStringList numbers = platform::query_column(
        connection,
        QStringLiteral("select 户号 from 用户表管理 where 父号=") + platform::sql_quote(household) +
            QStringLiteral(" order by 编号"),
        platform::OnFailure::Quiet, &read);
    if (ok) *ok = read;
    if (!read) return {};
    numbers.removeAll(household);
    numbers.prepend(household);
    return numbers;
}

}  // namespace tariffs
