#pragma once
// Households per street. The monthly report: the households registered in one calendar month
// and all households of each street. The yearly report: for each month of the report year the
// households registered in it and those registered up to its end, street by street, with a
// 小计 per month; its 合计 takes the households at the end of the year. Only rows with 父号 '0'
// (households, not their meter accounts) count. Read-only.
#include <QString>

#include "platform/db.h"
#include "reports/report_period.h"
#include "reports/statistics_report.h"

namespace reports {

// The grouping is always by street; the argument keeps the builders' common shape.
StatisticsReport build_monthly_household_report(platform::Connection& main,
                                                const QString& year_text,
                                                const QString& month_text,
                                                const QString& grouping,
                                                const ReportPeriodRule& rule,
                                 const ReportProgress& progress = {});

StatisticsReport build_annual_household_report(platform::Connection& main,
                                               const QString& year_text,
                                               const QString& month_text,
                                               const QString& grouping,
                                               const ReportPeriodRule& rule,
                                 const ReportProgress& progress = {});

}  // namespace reports
