#pragma once
// The balance list of the 预存结余 page (预存扣款_列表框): the statements its actions and its
// query window (用户结余) run, the amounts still due written into 预存结余 after a per-row
// rebuild, and the twelve cells per household plus the totals row the list shows.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <string_view>

#include "tariffs/prepay_balances.h"

namespace platform {
struct Connection;
}

namespace charging {

// The 查询列 class of the list and of the navigation entry that lays out its columns.
inline const QString kBalanceColumnClass = QStringLiteral("预存扣款");
inline constexpr int kBalanceListCells = 12;
inline const QString kBalanceTotalsCell = QStringLiteral("合计：");

// Insert statements for the per-row rebuild (编号,户号,预存金额 of each valid prepayment):
// one household by number, the households holding one card, every household with a row in
// 用户信息表 (the 余额不足 action).
QString balance_household_insert(const QString& household);
QString balance_card_insert(const QString& card);
QString balance_shortfall_insert();
// The standard select of the list followed by an order clause ("" for none).
QString balance_list_statement(const QString& order_clause);
inline const QString kBalanceReceiptOrder = QStringLiteral(" ORDER  BY 预存结余.编号");
// The households marked by the 余额不足 action, by receipt number.
QString shortfall_list_statement();

// Fills 应扣金额 of every row of 预存结余: the 实收金额 of the household's valid unpaid bills
// (its own number's and its meter accounts'), in one statement. A failure is reported and every
// row keeps what it had.
tariffs::BalanceOutcome compute_prepay_amounts_due(platform::Connection& connection);

// The database part of an action that shows balances, in one transaction: the per-row rebuild
// with the insert statement, the amounts due found in the same pass. Returns every message.
tariffs::Messages rebuild_balances_with_amounts_due(platform::Connection& connection,
                                                    const QString& insert_statement);

// The 余额不足 action's database part: every household's balance and amount due, then 标记 1
// where something is due that the balance does not cover.
tariffs::BalanceOutcome mark_households_with_amounts_due(platform::Connection& connection);

struct BalanceTotals {
    double prepaid = 0;    // 预存金额
    double deducted = 0;   // 已扣金额
    double balance = 0;    // 结余金额
    double due = 0;        // 应扣金额
};

// One household as the list shows it, in UTF-8, by position: 户号 in half-width, 用户名,
// 磁卡号码, 居住街道, 详细地址, 固定电话, 移动电话, then 预存金额, 已扣金额, 结余金额, 应扣金额
// and 结余金额 − 应扣金额 with 2 decimals. Valid only during the call that hands them over.
using BalanceCells = std::array<std::string_view, kBalanceListCells>;

struct BalanceListSummary {
    bool opened = false;  // false: the statement could not be opened (reported as the layer does)
    int rows = 0;
    BalanceTotals total;
};

// Opens the statement (columns read by name), calls `start` with the number of rows, then `row`
// once per household in the statement's order.
BalanceListSummary read_balance_rows(platform::Connection& connection, const QString& statement,
                                     const std::function<void(int count)>& start,
                                     const std::function<void(const BalanceCells&)>& row);

// "合计：", the four totals under positions 7 to 10, total balance − total due under 11.
QStringList balance_totals_row(const BalanceTotals& total);

// The whole list as texts: every household's twelve cells, then the totals row.
QList<QStringList> balance_list_rows(platform::Connection& connection, const QString& statement);

// ---- the query window 用户结余 ----
enum class BalanceQueryBy { All, Household, Name, Collector, Street, Date };

struct HouseholdBalanceQuery {
    BalanceQueryBy by = BalanceQueryBy::Household;
    QString household, name, collector, street;
    QDate from, to;
    int order = -1;  // 组合框_排序 entry, -1 none
};

struct HouseholdBalanceQueryOutcome {
    bool ok = false;
    QString refusal;  // for an empty field; its field is the one `by` names
    QString insert_statement;
    QString order_clause;
};

HouseholdBalanceQueryOutcome build_household_balance_query(const HouseholdBalanceQuery& query);

// The collectors the window offers (every one but the administrator).
QStringList balance_query_collectors(platform::Connection& connection);

}  // namespace charging
