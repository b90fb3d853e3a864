#pragma once
// The monthly charge statistics: one report month of takings per collector (window payments
// and prepayments) or per street (readings, paid and unpaid bills, amounts, collection rate
// and deductions), with a red 合计 row. Read-only.
#include <QString>

#include "platform/db.h"
#include "reports/report_period.h"
#include "reports/statistics_report.h"

namespace reports {

StatisticsReport build_monthly_charge_statistics(platform::Connection& main,
                                                 const QString& year_text,
                                                 const QString& month_text, const QString& grouping,
                                                 const ReportPeriodRule& rule,
                                 const ReportProgress& progress = {});

}  // namespace reports
