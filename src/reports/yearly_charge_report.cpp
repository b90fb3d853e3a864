#include "reports/yearly_charge_report.h"

#include "reports/charge_takings.h"

namespace reports {

StatisticsReport build_annual_charge_report(platform::Connection& main, const QString& year_text,
                                            const QString& /*month_text*/, const QString& grouping,
                                            const ReportPeriodRule& rule,
                                            const ReportProgress& progress) {
    // From the start of the first month of the report year to the end of its twelfth.
    const auto months = rule.report_year_months(year_text, false);
    ChargeTakingsShape shape;
    shape.start_literal = report_date_literal(months.front().start);
    shape.end_literal = report_date_literal(months.back().end);
    shape.first_day = months.front().start;
    shape.last_day = months.back().end;
    shape.period_title = QStringLiteral("报表年份");
    shape.period_text = year_text + QStringLiteral("年");
    shape.collector_prepay_title = QStringLiteral("收费金额");
    shape.yearly = true;
    return build_charge_takings(main, grouping, shape, progress);
}

}  // namespace reports
