#pragma once
// The statements of the 预存明细 list and the rows they give: the query window's conditions,
// status and order, the two quick look-ups, the refill after a change, and the thirteen cells
// per prepayment plus the totals row that the list shows.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <string_view>

namespace platform {
struct Connection;
}

namespace charging {

// "select ... from 预存明细,用户信息表 where 用户信息表.户号=预存明细.户号 ": what every query of
// the page starts with.
QString prepayment_query_head();

// The condition the query window's first ticked radio button chooses.
enum class PrepayQueryBy { Household, Name, Street, Collector, Date, None };

struct PrepaymentQuery {
    PrepayQueryBy by = PrepayQueryBy::Date;
    QString household, name, street, collector;
    QDate from, to;
    int status = 0;  // 组合框_状态: 0 所有, 1 正常, 2 作废 (-1 none)
    int order = -1;  // 组合框_排序 entry, -1 none
};

struct PrepaymentQueryOutcome {
    bool ok = false;
    QString statement;
    QString refusal;  // the message for an empty field; its field is the one `by` names
};

PrepaymentQueryOutcome build_prepayment_query(const PrepaymentQuery& query);

// The quick look-ups of the page: by card number, by invoice number.
QString prepayments_by_card_statement(const QString& card);
QString prepayments_by_invoice_statement(const QString& invoice);
// The refill after a change: the prepayments of one day, joined with 用户表.
QString prepayments_of_day_statement(const QDate& day);

inline constexpr int kPrepayListCells = 13;
inline const QString kTotalsCell = QStringLiteral("合计：");

// One prepayment as the list shows it, in UTF-8, by position: receipt number in list form,
// 户号 in half-width, 用户名, 磁卡号码, 居住街道, 详细地址, 固定电话, 移动电话, 预存金额 with 2
// decimals, 预存日期 as "2024年3月5日", 收费人员, 发票号, "作废" or "正常". The views are valid
// only during the call that hands them over.
using PrepaymentCells = std::array<std::string_view, kPrepayListCells>;

struct PrepaymentListSummary {
    bool opened = false;  // false: the statement could not be opened
    int rows = 0;
    double total = 0;  // every row's amount, void ones included
};

// Opens the statement (columns read by name; one it lacks leaves its cell empty), calls `start`
// with the number of rows, then `row` once per prepayment in the statement's order.
PrepaymentListSummary read_prepayment_rows(platform::Connection& connection,
                                           const QString& statement,
                                           const std::function<void(int count)>& start,
                                           const std::function<void(const PrepaymentCells&)>& row);

// The totals row: "合计：" first, the total with 2 decimals under 预存金额.
QStringList prepayment_totals_row(double total);

struct PrepaymentListRows {
    bool opened = true;       // false: the statement failed (only the totals row)
    QList<QStringList> rows;  // thirteen cells per prepayment, then the totals row
    double total = 0;
};

// Reads the statement's rows by column name (a column it lacks leaves its cell empty): receipt
// number in list form, 户号 in half-width, 用户名, 磁卡号码, 居住街道, 详细地址, 固定电话,
// 移动电话, 预存金额 with 2 decimals, 预存日期, 收费人员, 发票号, "作废" or "正常"; then
// "合计：" with the total of every row's amount, void ones included.
PrepaymentListRows prepayment_list_rows(platform::Connection& connection, const QString& statement);

}  // namespace charging
