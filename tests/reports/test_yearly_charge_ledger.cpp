// The yearly charge ledger over the small year of the charge statistics fixture: usage and
// billed amounts by calendar month, the money columns by the month's own bounds.
#include <gtest/gtest.h>

#include "charge_statistics_fixture.h"
#include "reports/monthly_charge_statistics.h"
#include "reports/statistics_builders.h"
#include "reports/yearly_charge_ledger.h"
#include "reports/yearly_charge_report.h"

namespace reports_test {
namespace {

class YearlyChargeLedger : public ChargeStatisticsTest {
protected:
    reports::StatisticsReport ledger(const reports::ReportPeriodRule& r) {
        return reports::build_yearly_charge_ledger(store::main_connection(), s("2024"), s("3"),
                                                   s("按月份"), r);
    }
};

TEST_F(YearlyChargeLedger, CalendarYear) {
    const auto report = ledger(rule());
    EXPECT_EQ(report.columns,
              s("报表月份|抄表用量|应收金额|窗口收费|预存收费|收费合计|预存扣款|已收合计|未收金额")
                  .split('|'));
    EXPECT_EQ(report.progress_steps, 12);
    // Twelve months each followed by an empty row, then the 合计.
    ASSERT_EQ(report.rows.size(), 25u);
    for (size_t i = 1; i < 24; i += 2) EXPECT_EQ(report.rows[i], QStringList(9, QString()));
    const QString nothing = s("|0|0.00|0.00|0.00|0.00|0.00|0.00|0.00");
    std::vector<QStringList> expected = lines({
        "2024年1月|0|0.00|0.00|0.00|0.00|0.00|0.00|0.00",
        "2024年2月|30|27.75|8.00|0.00|8.00|0.00|8.00|0.00",
        "2024年3月|39.5|1115.55|55.30|85.50|140.80|25.00|80.30|55.00",
        "2024年4月|3|0.00|1000.00|60.00|1060.00|0.00|1000.00|0.00",
    });
    for (int month = 5; month <= 12; ++month)
        expected.push_back((QStringLiteral("2024年%1月").arg(month) + nothing).split('|'));
    expected.push_back(
        s("合计|72.5|1143.30|1063.30|145.50|1208.80|25.00|1088.30|55.00").split('|'));
    EXPECT_EQ(filled(report.rows), expected);
    ASSERT_EQ(report.red_cells.size(), 9u);
    for (int column = 0; column < 9; ++column)
        EXPECT_EQ(report.red_cells[column], std::make_pair(24, column));
}

TEST_F(YearlyChargeLedger, SettlementMonthsKeepUsageAndBillsOnTheCalendarMonth) {
    // 结算日期 25: the row 3月 takes payments from 26 February to 25 March, but the readings
    // and the billed amounts of the whole of March.
    const auto rows = filled(ledger(rule("固定日期", 25)).rows);
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(rows[0], s("2024年1月|0|0.00|3.00|0.00|3.00|0.00|3.00|0.00").split('|'));
    EXPECT_EQ(rows[1], s("2024年2月|30|27.75|0.00|0.00|0.00|0.00|0.00|0.00").split('|'));
    EXPECT_EQ(rows[2], s("2024年3月|39.5|1115.55|33.30|85.50|118.80|25.00|58.30|55.00").split('|'));
    EXPECT_EQ(rows[3], s("2024年4月|3|0.00|1030.00|60.00|1090.00|0.00|1030.00|0.00").split('|'));
    EXPECT_EQ(rows[12],
              s("合计|72.5|1143.30|1066.30|145.50|1211.80|25.00|1091.30|55.00").split('|'));
}

TEST_F(YearlyChargeLedger, YearEndingInJune) {
    const auto rows = filled(ledger(rule("每月月底", 25, "实际月份", 6)).rows);
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(rows[0].first(), s("2023年7月"));
    EXPECT_EQ(rows[5], s("2023年12月|0|7.00|7.00|0.00|7.00|0.00|7.00|0.00").split('|'));
    EXPECT_EQ(rows[11].first(), s("2024年6月"));
}

// With 结算日期 28 each payment lies in one month only: a year of 10.00 paid on every 28th is
// 120.00, not more; with 实际月份 1 a deposit made after the 28th of January lies in the next
// report year.
TEST_F(YearlyChargeLedger, SettlementDay28CountsEachDayOnce) {
    exec(s("delete from 总收费"));
    exec(s("delete from 预存明细"));
    for (int month = 1; month <= 12; ++month) {
        const QByteArray day = QDate(2023, month, 28).toString(Qt::ISODate).toUtf8();
        bill("0001", month, 600 + month, day.constData(), day.constData(), "李会计", 10, 0, 0);
    }
    prepayment(9100, "0002", 7, "2023-01-30", "李会计", 1, "");
    const auto rows = filled(reports::build_yearly_charge_ledger(store::main_connection(), s("2023"),
                                                                 s("3"), s("按月份"),
                                                                 rule("固定日期", 28))
                                 .rows);
    ASSERT_EQ(rows.size(), 13u);
    for (int month = 0; month < 12; ++month) EXPECT_EQ(rows[month][3], s("10.00")) << month;
    EXPECT_EQ(rows[12][3], s("120.00"));
    EXPECT_EQ(rows[1][4], s("7.00"));  // 29 January to 28 February

    const auto january = rule("固定日期", 28, "实际月份", 1);
    const auto year2024 = filled(reports::build_yearly_charge_ledger(
                                     store::main_connection(), s("2024"), s("3"), s("按月份"),
                                     january)
                                     .rows);
    EXPECT_EQ(year2024.front().first(), s("2023年2月"));
    EXPECT_EQ(year2024.front()[4], s("7.00"));
    const auto report = reports::build_annual_charge_report(
        store::main_connection(), s("2024"), s("3"), reports::kByCollector, january);
    EXPECT_EQ(report.rows.back()[4], s("7.00"));
}

// The year and month are taken as typed: a text that names no date finds nothing, and no
// report shows a box or stops half-way.
TEST_F(YearlyChargeLedger, TextsThatAreNoDateFindNothing) {
    for (const char* year : {"abc", "", "-5"}) {
        const auto ledger_rows =
            reports::build_yearly_charge_ledger(store::main_connection(), s(year), s("3"),
                                                s("按月份"), rule("固定日期", 25))
                .rows;
        ASSERT_EQ(ledger_rows.size(), 25u) << year;
        EXPECT_EQ(ledger_rows.back(), s("合计|0|0.00|0.00|0.00|0.00|0.00|0.00|0.00").split('|'))
            << year;
        const auto monthly = reports::build_monthly_charge_statistics(
            store::main_connection(), s(year), s("13"), reports::kByStreet, rule());
        EXPECT_EQ(monthly.rows.back(),
                  (s("合计|0|0|0|0.00|0.00|0.00|0.00%|0.00|") + s(year) + s("年13月")).split('|'))
            << year;
        const auto yearly = reports::build_annual_charge_report(
            store::main_connection(), s(year), s("3"), reports::kByCollector, rule("固定日期", 25));
        EXPECT_EQ(yearly.rows.back(),
                  (s("合计|0|0.00|0|0.00|0.00|") + s(year) + s("年")).split('|'))
            << year;
    }
}

// The statistics page finds each of the three charge summaries by its report name.
TEST(ChargeSummaryBuilders, AreFoundByReportName) {
    const std::pair<const char*, reports::StatisticsBuilder> cases[] = {
        {"收费月统计", &reports::build_monthly_charge_statistics},
        {"收费年报表", &reports::build_annual_charge_report},
        {"收费年台帐", &reports::build_yearly_charge_ledger},
    };
    for (const auto& [name, builder] : cases) {
        const reports::StatisticsBuilder* found = reports::statistics_builder(s(name));
        ASSERT_NE(found, nullptr) << name;
        EXPECT_EQ(*found, builder) << name;
    }
}

}  // namespace
}  // namespace reports_test
