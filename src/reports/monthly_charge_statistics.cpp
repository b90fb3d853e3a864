#include "reports/monthly_charge_statistics.h"

#include "reports/charge_takings.h"

namespace reports {

StatisticsReport build_monthly_charge_statistics(platform::Connection& main,
                                                 const QString& year_text,
                                                 const QString& month_text, const QString& grouping,
                                                 const ReportPeriodRule& rule,
                                                 const ReportProgress& progress) {
    const ReportPeriod period = rule.report_month_bounds(year_text, month_text);
    ChargeTakingsShape shape;
    shape.start_literal = period.start_literal;
    shape.end_literal = period.end_literal;
    shape.first_day = period.start;
    shape.last_day = period.end;
    shape.period_title = QStringLiteral("报表月份");
    // The texts as typed, leading zeros included.
    shape.period_text = year_text + QStringLiteral("年") + month_text + QStringLiteral("月");
    shape.collector_prepay_title = QStringLiteral("预存收费金额");
    shape.yearly = false;
    return build_charge_takings(main, grouping, shape, progress);
}

}  // namespace reports
