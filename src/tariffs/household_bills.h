#pragma once
// Which rows belong to a household. A household's bills (and its readings, surcharge lines and
// reduction records, all keyed the same way) carry either the household's own number or the
// number of one of its meter accounts (用户表管理.父号 = the household): bills keyed by a meter
// account are still found among a household's. Numbers are matched
// exactly, never as a text prefix, so household 0001 never takes 00011's bills.
//
// Every reader of a household's bills, balance or deductions builds its condition here: the
// counter and card windows, batch charging, settling from balances, the balance rebuilds,
// prepayment settlement, the deduction list, charge queries, receipts and the reports' street
// and collector groupings.
#include <QString>
#include <QStringList>

namespace platform {
struct Connection;
}

namespace tariffs {

// "(c='0001' or c in (select 户号 from 用户表管理 where 父号='0001'))" for column c.
QString household_bills_condition(const QString& household,
                                  const QString& number_column = QStringLiteral("户号"));

// The same test for one row whose number is `qualified_column` (e.g. "总收费.户号"), the household
// bound twice: "(c=? or exists (select 1 from 用户表管理 where 户号=c and 父号=?))". One index
// seek per row, for a statement that writes rows found by another key (a payment's bills).
QString bound_household_row_condition(const QString& qualified_column);

// The same for every household a subquery selects ("select 户号 from 用户信息表 where ..."):
// the rows of all of them.
QString households_bills_condition(const QString& households_select,
                                   const QString& number_column = QStringLiteral("户号"));

// Every number the households of a subquery may key their rows by, paired with the household:
// rows (账号, 所属户号), the household's own number and each of its meter accounts'. Joining
// 总收费 on 户号 = 账号 and grouping by 所属户号 sums each household's bills in one statement.
QString household_numbers_select(const QString& households_select);

// Two scalar subqueries over the bills (alias b) of a household that meet `condition`: those of
// its own number and those of its meter accounts, each `aggregate` (e.g. "total(b.实收金额)")
// over them. `household` is an SQL expression: a bound parameter or a column of the statement the
// subqueries sit in. Each one seeks its bills by number, so a statement over many households costs
// their own bills and no more; a meter account carrying the household's own number, or listed
// twice, counts its bills once, as the other conditions here do.
struct HouseholdBillSums {
    QString own;
    QString accounts;
};
HouseholdBillSums household_bill_sums(const QString& aggregate, const QString& household,
                                      const QString& condition);

// The household a row's number belongs to, as an SQL expression over the column: the meter
// account's 父号, or the number itself where no meter account carries it (a household's own
// number). For grouping bills by a household's street or any other household column.
QString bill_household_expression(const QString& number_column);

// A household row joined with the bills that belong to it: "h=bill_household_expression(n)",
// and beside it the numbers such a bill may carry ("n=h or n in (the household's meter accounts)"),
// which every bill of the household meets anyway. That second half lets SQLite take the join
// either way round: from the bills to their household, or (with a condition on the households,
// such as a street) from each household to its own bills by number, so that a street's arrears
// cost the street's bills instead of every unpaid bill per household of the street.
QString household_bills_join(const QString& household_column, const QString& number_column);

// The numbers a household's rows may carry: its own first, then its meter accounts' in the order
// they were made. Empty with ok false when the register cannot be read.
QStringList household_account_numbers(platform::Connection& connection, const QString& household,
                                      bool* ok = nullptr);

}  // namespace tariffs
