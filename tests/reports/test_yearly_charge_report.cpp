// The yearly charge report over the small year of the charge statistics fixture, and the bounds
// of its report year shown by bills on either side of each bound.
#include <gtest/gtest.h>

#include "charge_statistics_fixture.h"
#include "reports/yearly_charge_report.h"

namespace reports_test {
namespace {

class YearlyChargeReport : public ChargeStatisticsTest {};

TEST_F(YearlyChargeReport, ByCollectorInACalendarYear) {
    const auto report = reports::build_annual_charge_report(store::main_connection(), s("2024"),
                                                            s("3"), reports::kByCollector, rule());
    EXPECT_EQ(report.columns, s("收费人员|窗口收费户数|窗口收费金额|预存缴费户数|收费金额|金额小计|"
                                "报表年份")
                                  .split('|'));
    EXPECT_EQ(report.progress_steps, 5);
    EXPECT_EQ(report.rows,
              lines({
                  "李会计|2|1019.75|2|110.00|1129.75|2024年",
                  "||||||",
                  "王出纳|2|38.00|1|25.50|63.50|2024年",
                  "||||||",
                  // Its prepayment has no meter account: still counted for the collector.
                  "欧'阳|1|5.55|1|10.00|15.55|2024年",
                  "||||||",
                  "预存扣款|1|0.00|0|0.00|0.00|2024年",
                  "||||||",
                  "前期扣款|1|0.00|0|0.00|0.00|2024年",
                  "||||||",
                  "合计|7|1063.30|4|145.50|1208.80|2024年",
              }));
    ASSERT_EQ(report.red_cells.size(), 7u);
    EXPECT_EQ(report.red_cells.front(), std::make_pair(10, 0));
    EXPECT_EQ(report.red_cells.back(), std::make_pair(10, 6));
}

TEST_F(YearlyChargeReport, ByStreetInACalendarYear) {
    const auto report = reports::build_annual_charge_report(store::main_connection(), s("2024"),
                                                            s("3"), reports::kByStreet, rule());
    EXPECT_EQ(report.columns,
              s("街道名称|抄表户数|已收费户数|未收费户数|收费金额|预存户数|预存金额|"
                "收款小计|收费率|预存扣款|报表年份")
                  .split('|'));
    EXPECT_EQ(report.progress_steps, 4);
    EXPECT_EQ(filled(report.rows),
              lines({
                  // Prepayments count for the street of their household, as by collector.
                  "东区|3|5|0|1027.75|2|85.50|1113.25|166.67%|20.00|2024年",
                  // The deduction of an unpaid bill counts in a year.
                  "西区|1|1|2|30.00|1|50.00|80.00|100.00%|5.00|2024年",
                  "空街|0|0|0|0.00|0|0.00|0.00|0.00%|0.00|2024年",
                  // A reading counts for the household's street whatever its meter number.
                  "河'西|1|1|0|5.55|1|10.00|15.55|100.00%|0.00|2024年",
                  "合计|5|7|2|1063.30|4|145.50|1208.80|140.00%|25.00|2024年",
              }));
    ASSERT_EQ(report.red_cells.size(), 11u);
    EXPECT_EQ(report.red_cells.back(), std::make_pair(8, 10));
}

TEST_F(YearlyChargeReport, BoundsOfTheReportYear) {
    struct Case {
        const char* what;
        reports::ReportPeriodRule rule;
        QDate first, last;
    };
    const Case cases[] = {
        {"calendar year", rule(), {2012, 1, 1}, {2012, 12, 31}},
        {"ends in March", rule("每月月底", 25, "实际月份", 3), {2011, 4, 1}, {2012, 3, 31}},
        {"ends in January", rule("每月月底", 25, "实际月份", 1), {2011, 2, 1}, {2012, 1, 31}},
        {"settlement day 25", rule("固定日期", 25), {2011, 12, 26}, {2012, 12, 25}},
        {"ends in June, settlement day 20",
         rule("固定日期", 20, "实际月份", 6),
         {2011, 6, 21},
         {2012, 6, 20}},
        {"ends in November, settlement day 28",
         rule("固定日期", 28, "实际月份", 11),
         {2011, 11, 29},
         {2012, 11, 28}},
    };
    for (const Case& c : cases) {
        exec(s("delete from 总收费"));
        exec(s("delete from 预存明细"));
        // Only the bills on the two bounds are inside.
        const std::pair<QDate, double> probes[] = {
            {c.first.addDays(-1), 1000}, {c.first, 1}, {c.last, 10}, {c.last.addDays(1), 100}};
        int receipt = 0;
        for (const auto& [day, amount] : probes) {
            ++receipt;
            const QByteArray text = day.toString(Qt::ISODate).toUtf8();
            bill("0001", receipt, 500 + receipt, text.constData(), text.constData(), "李会计",
                 amount, 0, 0);
        }
        const auto report = reports::build_annual_charge_report(
            store::main_connection(), s("2012"), s("7"), reports::kByCollector, c.rule);
        EXPECT_EQ(report.rows.front(), s("李会计|2|11.00|0|0.00|11.00|2012年").split('|'))
            << c.what;
        const auto by_street = reports::build_annual_charge_report(
            store::main_connection(), s("2012"), s("7"), reports::kByStreet, c.rule);
        EXPECT_EQ(by_street.rows.front()[2], s("2")) << c.what;
    }
}

}  // namespace
}  // namespace reports_test
