#include "reports/statistics_builders.h"

#include <utility>

#include "reports/daily_charge_report.h"
#include "reports/household_reports.h"
#include "reports/monthly_charge_statistics.h"
#include "reports/reading_statistics_report.h"
#include "reports/yearly_charge_ledger.h"
#include "reports/yearly_charge_report.h"

namespace reports {

const StatisticsBuilder* statistics_builder(const QString& report_name) {
    static const std::pair<QString, StatisticsBuilder> builders[] = {
        {QStringLiteral("收费日报表"), &build_daily_charge_report},
        {QStringLiteral("抄表统计"), &build_reading_statistics_report},
        {QStringLiteral("用户月报表"), &build_monthly_household_report},
        {QStringLiteral("用户年报表"), &build_annual_household_report},
        {QStringLiteral("收费月统计"), &build_monthly_charge_statistics},
        {QStringLiteral("收费年报表"), &build_annual_charge_report},
        {QStringLiteral("收费年台帐"), &build_yearly_charge_ledger},
    };
    for (const auto& [name, builder] : builders)
        if (name == report_name) return &builder;
    return nullptr;
}

}  // namespace reports
