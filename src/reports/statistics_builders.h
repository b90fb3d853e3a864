#pragma once
// Which builder makes which statistics report, by the report name the navigation entries
// remember. A name without a builder makes no report: the page's list stays empty.
#include <QString>

#include "platform/db.h"
#include "reports/report_period.h"
#include "reports/statistics_report.h"

namespace reports {

using StatisticsBuilder = StatisticsReport (*)(platform::Connection& main,
                                               const QString& year_text,
                                               const QString& month_text,
                                               const QString& grouping,
                                               const ReportPeriodRule& rule,
                                               const ReportProgress& progress);

// The builder of a report name, or null.
const StatisticsBuilder* statistics_builder(const QString& report_name);

}  // namespace reports
