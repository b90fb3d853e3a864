#pragma once
// The deduction list (content page 扣款明细): the valid bills that carry a part settled from a
// prepaid balance (总收费.预存扣款 > 0, paid or not), one row per bill, joined to the household
// the bill belongs to (its own number or one of its meter accounts'), in 收据号 order. The three
// ways of asking (a period of 收费日期, one household number, one card number) differ only in their
// condition; the list's six cells and its totals row are the same for all of them.
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

// The 查询列 class of the list.
inline const QString kDeductionColumnClass = QStringLiteral("扣款明细");
// The first cell of the totals row.
inline const QString kDeductionTotalsCaption = QStringLiteral("合计：");
inline constexpr int kDeductionCellCount = 6;

// Bills with 收费日期 from `from` to `to`, both days included.
QString deduction_period_statement(const QDate& from, const QDate& to);
// Bills of the household numbered exactly `household` (its meter accounts' included).
QString deduction_household_statement(const QString& household);
// Bills of the households whose 磁卡号码 is exactly `card`.
QString deduction_card_statement(const QString& card);

// One bill as the list shows it, in UTF-8: 户号, 用户名, 居住街道, 详细地址, 预存扣款 with two
// decimals, 收费日期 as "2024年3月5日" (with the time when it is not midnight). The views are
// valid only during the call that hands them over.
using DeductionCells = std::array<std::string_view, kDeductionCellCount>;

struct DeductionListSummary {
    bool opened = false;  // false: the statement could not be opened (reported as the layer does)
    int rows = 0;
    double total = 0;  // the sum of the bills' 预存扣款 as stored
};

// Opens the statement (which returns the fields 户号, 用户名, 居住街道, 详细地址, 预存扣款 and
// 收费日期, read by name), calls `start` with the number of bills, then `row` once per bill in
// the statement's order.
DeductionListSummary read_deduction_rows(platform::Connection& connection, const QString& statement,
                                         const std::function<void(int count)>& start,
                                         const std::function<void(const DeductionCells&)>& row);

// The totals row: "合计：" first, the total with two decimals in the 预存扣款 position.
QStringList deduction_totals_row(double total);

// The whole list as texts: every bill's six cells, then the totals row (also when the statement
// could not be opened).
QList<QStringList> deduction_list_rows(platform::Connection& connection, const QString& statement);

}  // namespace charging
