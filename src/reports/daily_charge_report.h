#pragma once
// The daily charge report: for every day of a report month, what each collector (or street)
// took at the window and as prepayments, and what was deducted from prepaid balances; a 小计
// row closes each day with business and a 合计 over the whole month ends the report. Read-only.
#include <QString>

#include "platform/db.h"
#include "reports/statistics_report.h"
#include "reports/report_period.h"

namespace reports {

StatisticsReport build_daily_charge_report(platform::Connection& main,
                                           const QString& year_text, const QString& month_text,
                                           const QString& grouping,
                                           const ReportPeriodRule& rule,
                                 const ReportProgress& progress = {});

}  // namespace reports
