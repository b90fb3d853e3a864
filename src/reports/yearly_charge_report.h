#pragma once
// The yearly charge report: the takings of one report year per collector or per street, as the
// monthly statistics show them for a month, with prepayment households per street. The month
// text is not used: the year alone names the period. Read-only.
#include <QString>

#include "platform/db.h"
#include "reports/report_period.h"
#include "reports/statistics_report.h"

namespace reports {

StatisticsReport build_annual_charge_report(platform::Connection& main, const QString& year_text,
                                            const QString& month_text, const QString& grouping,
                                            const ReportPeriodRule& rule,
                                 const ReportProgress& progress = {});

}  // namespace reports
