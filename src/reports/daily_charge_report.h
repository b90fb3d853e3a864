#pragma once
// The daily charge report: for every day of a report month, what each collector (or street)
// took at the window and as prepayments, and what was deducted from prepaid balances; a 小计
// row closes each day with business and a 合计 over the whole month ends the report. Read-only.
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/db.h"
#include "reports/report_period.h"

namespace reports {

inline const QString kByCollector = QStringLiteral("按收费人员");
inline const QString kByStreet = QStringLiteral("按居住街道");

// The rows a statistics report shows, with the cells to paint red (row, column).
struct StatisticsReport {
    QStringList columns;
    std::vector<double> divisors;  // width = list width / divisor, truncated
    std::vector<QStringList> rows;
    std::vector<std::pair<int, int>> red_cells;
    int progress_steps = 0;  // days or groups walked
};

// Amount text with 2 decimals, halves away from zero.
QString report_amount_text(double amount);

StatisticsReport build_daily_charge_report(platform::Connection& main,
                                           const QString& year_text, const QString& month_text,
                                           const QString& grouping,
                                           const ReportPeriodRule& rule);

}  // namespace reports
