// The household monthly and yearly reports over households put straight into 用户信息表: the
// month's edges, households registered later, meter-account rows, the report year in both
// forms and the yearly total.
#include <gtest/gtest.h>

#include "harness/fixture.h"
#include "platform/db.h"
#include "reports/household_reports.h"
#include "store/main_database.h"

namespace {

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

std::vector<QStringList> expected(std::initializer_list<const char*> lines) {
    std::vector<QStringList> rows;
    for (const char* line : lines) rows.push_back(s(line).split(QLatin1Char('|')));
    return rows;
}

class HouseholdReports : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        for (const char* name : {"东区", "西区", "", "北区"})
            exec(s("insert into 街道 (街道) values (") + platform::sql_quote(s(name)) + ")");
        household("0001", "0", "东区", "2024-02-10");
        household("0002", "0", "东区", "2024-03-01");  // first day of March
        household("0003", "0", "东区", "2024-03-31");  // last day of March
        household("0004", "0", "西区", "2024-04-01");  // after March
        household("0005", "0", "西区", "2023-12-31");
        household("000101", "0001", "东区", "2024-03-15");  // not a household row
    }

    void household(const char* number, const char* parent, const char* street, const char* day) {
        exec(s("insert into 用户信息表 (户号,父号,用户名,居住街道,建档时间) values (") +
             platform::sql_quote(s(number)) + "," + platform::sql_quote(s(parent)) + ",'户主'," +
             platform::sql_quote(s(street)) + ",'" + s(day) + "')");
    }

    static reports::ReportPeriodRule rule(const char* month_mode, int settlement_month,
                                          const char* day_mode = "每月月底") {
        shell::SystemParameters p;
        p.month_settlement_mode = s(month_mode);
        p.settlement_month = settlement_month;
        p.day_settlement_mode = s(day_mode);
        p.settlement_day = 20;
        return reports::ReportPeriodRule(p);
    }

    reports::StatisticsReport monthly(const char* year, const char* month,
                                      const char* day_mode = "每月月底") {
        return reports::build_monthly_household_report(store::main_connection(), s(year),
                                                       s(month), reports::kByStreet,
                                                       rule("每年12月", 11, day_mode));
    }
    reports::StatisticsReport annual(const char* year, const char* month_mode = "每年12月",
                                     int settlement_month = 11,
                                     const char* day_mode = "每月月底") {
        return reports::build_annual_household_report(store::main_connection(), s(year), s("7"),
                                                      reports::kByStreet,
                                                      rule(month_mode, settlement_month, day_mode));
    }
};

TEST_F(HouseholdReports, MonthlyCountsTheCalendarMonthAndEveryHouseholdOfTheStreet) {
    // 固定日期 does not move the month of this report.
    for (const char* day_mode : {"每月月底", "固定日期"}) {
        SCOPED_TRACE(day_mode);
        const auto report = monthly("2024", "3", day_mode);
        EXPECT_EQ(report.columns, s("居住街道|本月新增|总户数|报表日期").split('|'));
        EXPECT_EQ(report.progress_steps, 3);
        EXPECT_EQ(report.rows, expected({
                                   "东区|2|3|2024年3月",
                                   "|||",
                                   "西区|0|2|2024年3月",
                                   "|||",
                                   "北区|0|0|2024年3月",
                                   "|||",
                                   "合计|2|5|2024年3月",
                               }));
        ASSERT_EQ(report.red_cells.size(), 4u);
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(report.red_cells[static_cast<size_t>(column)], std::make_pair(6, column));
    }
}

TEST_F(HouseholdReports, MonthlyDateTextAndTextsThatNameNoMonth) {
    EXPECT_EQ(monthly("2024", "03").rows.back(), s("合计|2|5|2024年3月").split('|'));
    EXPECT_EQ(monthly("2024", "2").rows.front(), s("东区|1|3|2024年2月").split('|'));
    // Nothing is registered in a month that does not exist; the street totals still count.
    EXPECT_EQ(monthly("2024", "13").rows.back(), s("合计|0|5|2024年13月").split('|'));
    EXPECT_EQ(monthly("2024", "3' or '1'='1").rows.back().mid(0, 3),
              s("合计|0|5").split('|'));
}

TEST_F(HouseholdReports, YearlyCalendarYear) {
    const auto report = annual("2024");
    EXPECT_EQ(report.columns, s("居住街道|本月新增|当前户数|报表日期").split('|'));
    EXPECT_EQ(report.progress_steps, 12);
    // Three streets, a 小计 and an empty row per month, then the 合计.
    ASSERT_EQ(report.rows.size(), 61u);
    const auto first_months = expected({
        "东区|0|0|",
        "西区|0|1|",
        "北区|0|0|",
        "小计|0|1|2024年1月",
        "|||",
        "东区|1|1|",
        "西区|0|1|",
        "北区|0|0|",
        "小计|1|2|2024年2月",
        "|||",
        "东区|2|3|",
        "西区|0|1|",
        "北区|0|0|",
        "小计|2|4|2024年3月",
        "|||",
        "东区|0|3|",
        "西区|1|2|",
        "北区|0|0|",
        "小计|1|5|2024年4月",
        "|||",
    });
    EXPECT_EQ(std::vector<QStringList>(report.rows.begin(), report.rows.begin() + 20),
              first_months);
    EXPECT_EQ(report.rows[58], s("小计|0|5|2024年12月").split('|'));
    EXPECT_EQ(report.rows[59], s("|||").split('|'));
    // 当前户数 of the 合计 is the last month's, not the sum of the months.
    EXPECT_EQ(report.rows[60], s("合计|4|5|2024年").split('|'));
    ASSERT_EQ(report.red_cells.size(), 4u);
    EXPECT_EQ(report.red_cells.front(), std::make_pair(60, 0));
    EXPECT_EQ(report.red_cells.back(), std::make_pair(60, 3));
}

TEST_F(HouseholdReports, YearlyEndingInTheSettlementMonth) {
    // October 2023 to September 2024; the settlement day never shortens these months.
    const auto report = annual("2024", "实际月份", 9, "固定日期");
    ASSERT_EQ(report.rows.size(), 61u);
    EXPECT_EQ(report.rows[3], s("小计|0|0|2023年10月").split('|'));
    EXPECT_EQ(report.rows[13], s("小计|1|1|2023年12月").split('|'));
    EXPECT_EQ(report.rows[58], s("小计|0|5|2024年9月").split('|'));
    EXPECT_EQ(report.rows[60], s("合计|5|5|2024年").split('|'));
}

TEST_F(HouseholdReports, AHouseholdWithoutARegistrationDayCountsOnlyInTheStreetTotal) {
    exec(s("insert into 用户信息表 (户号,父号,用户名,居住街道) values ('0006','0','户主','东区')"));
    EXPECT_EQ(monthly("2024", "3").rows.front(), s("东区|2|4|2024年3月").split('|'));
    const auto report = annual("2024");
    EXPECT_EQ(report.rows[10], s("东区|2|3|").split('|'));
    EXPECT_EQ(report.rows[60], s("合计|4|5|2024年").split('|'));
}

TEST_F(HouseholdReports, AQuoteInAStreetNameStaysPartOfTheName) {
    exec(s("insert into 街道 (街道) values ('南''区')"));
    household("0006", "0", "南'区", "2024-03-05");
    const auto report = monthly("2024", "3");
    EXPECT_EQ(report.rows[6], s("南'区|1|1|2024年3月").split('|'));
    EXPECT_EQ(report.rows.back(), s("合计|3|6|2024年3月").split('|'));
}

}  // namespace
