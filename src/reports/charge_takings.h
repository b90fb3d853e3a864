#pragma once
// What the monthly charge statistics and the yearly charge report share: one row per collector
// (with the two pseudo-collectors) or per street over one period, read in one pass over the
// period's bills, readings and prepayments, an empty row after each group and a
// red 合计 row over all groups. The two reports differ in their period, in one street condition
// and in some column titles.
#include <QDate>
#include <QString>
#include <QStringList>

#include "platform/db.h"
#include "reports/statistics_report.h"

namespace reports {

// Pseudo-collectors appended to the operators: bills settled from a prepaid balance, and
// unpaid bills that already carry a deduction.
inline const QString kSettledFromBalance = QStringLiteral("预存扣款");
inline const QString kEarlierDeduction = QStringLiteral("前期扣款");

struct ChargeTakingsShape {
    QString start_literal, end_literal;  // Jet date literals, both bounds included
    QDate first_day, last_day;           // the same days
    QString period_title;                // 报表月份 or 报表年份
    QString period_text;                 // the text of the period column in every data row
    QString collector_prepay_title;      // 预存收费金额 or 收费金额
    // The yearly report: a 预存户数 column, and deductions of every valid bill rather than of
    // paid ones only.
    bool yearly = false;
};

StatisticsReport build_charge_takings(platform::Connection& main, const QString& grouping,
                                      const ChargeTakingsShape& shape,
                                      const ReportProgress& progress = {});

// "0.00%" unless both counts are above zero; otherwise collected / read × 100 with 2 decimals.
QString report_rate_text(double collected, double read);

}  // namespace reports
