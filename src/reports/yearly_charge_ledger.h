#pragma once
// The yearly charge ledger: one row per month of the report year with the usage read, the
// amount billed, what was taken at the window and as prepayments, what prepaid balances
// settled and what is still unpaid, then a red 合计 row. Usage and billed amounts follow the
// calendar month the row is named after; the money columns follow the month's own bounds.
// The month text is not used. Read-only.
#include <QString>

#include "platform/db.h"
#include "reports/report_period.h"
#include "reports/statistics_report.h"

namespace reports {

StatisticsReport build_yearly_charge_ledger(platform::Connection& main, const QString& year_text,
                                            const QString& month_text, const QString& grouping,
                                            const ReportPeriodRule& rule,
                                 const ReportProgress& progress = {});

}  // namespace reports
