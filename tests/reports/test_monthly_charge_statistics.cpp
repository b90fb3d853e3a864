// The monthly charge statistics over the small year of the charge statistics fixture; every
// figure is worked out by hand from the rows the fixture lists.
#include <gtest/gtest.h>

#include <algorithm>

#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include "charge_statistics_fixture.h"
#include "reports/daily_charge_report.h"
#include "reports/monthly_charge_statistics.h"
#include "reports/statistics_builders.h"
#include "reports/yearly_charge_report.h"

namespace reports_test {
namespace {

class MonthlyChargeStatistics : public ChargeStatisticsTest {};

TEST_F(MonthlyChargeStatistics, ByCollectorInACalendarMonth) {
    const auto report = reports::build_monthly_charge_statistics(
        store::main_connection(), s("2024"), s("3"), reports::kByCollector, rule());
    EXPECT_EQ(report.columns, s("收费人员|窗口收费户数|窗口收费金额|预存缴费户数|预存收费金额|"
                                "金额小计|报表月份")
                                  .split('|'));
    // The administrator and the empty name are no groups; the two pseudo-collectors follow.
    EXPECT_EQ(report.progress_steps, 5);
    EXPECT_EQ(
        report.rows,
        lines({
            "李会计|1|19.75|1|50.00|69.75|2024年3月",  // two bills under one serial count once
            "||||||",
            "王出纳|1|30.00|1|25.50|55.50|2024年3月",  // paid on the month's last day
            "||||||",
            "欧'阳|1|5.55|1|10.00|15.55|2024年3月",  // a quote in the name
            "||||||",
            "预存扣款|1|0.00|0|0.00|0.00|2024年3月",
            "||||||",
            "前期扣款|1|0.00|0|0.00|0.00|2024年3月",  // unpaid with a deduction only
            "||||||",
            "合计|5|55.30|3|85.50|140.80|2024年3月",
        }));
    ASSERT_EQ(report.red_cells.size(), 7u);
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(report.red_cells[column], std::make_pair(10, column));
}

TEST_F(MonthlyChargeStatistics, ByStreetInACalendarMonth) {
    const auto report = reports::build_monthly_charge_statistics(
        store::main_connection(), s("2024"), s("3"), reports::kByStreet, rule());
    EXPECT_EQ(report.columns, s("街道名称|抄表户数|已收费户数|未收费户数|收费金额|预存金额|"
                                "收款小计|收费率|预存扣款|报表月份")
                                  .split('|'));
    EXPECT_EQ(report.progress_steps, 4);
    EXPECT_EQ(filled(report.rows), lines({
                                       // Three paid bills on two readings: the rate is not capped.
                                       "东区|2|3|0|19.75|25.50|45.25|150.00%|20.00|2024年3月",
                                       // The deduction of an unpaid bill is not counted in a month.
                                       "西区|1|1|2|30.00|50.00|80.00|100.00%|0.00|2024年3月",
                                       "空街|0|0|0|0.00|0.00|0.00|0.00%|0.00|2024年3月",
                                       // Paid bills but no reading in the month.
                                       "河'西|0|1|0|5.55|10.00|15.55|0.00%|0.00|2024年3月",
                                       // The rate of the totals, not the mean of the rows.
                                       "合计|3|5|2|55.30|85.50|140.80|166.67%|20.00|2024年3月",
                                   }));
    EXPECT_EQ(report.rows.size(), 9u);
    ASSERT_EQ(report.red_cells.size(), 10u);
    EXPECT_EQ(report.red_cells.front(), std::make_pair(8, 0));
    EXPECT_EQ(report.red_cells.back(), std::make_pair(8, 9));
}

TEST_F(MonthlyChargeStatistics, PeriodEdges) {
    struct Case {
        const char* what;
        const char* year;
        const char* month;
        reports::ReportPeriodRule rule;
        const char* total;
    };
    const Case cases[] = {
        // 6 February to 5 March: the leap day and the 5th are in, the 10th and the 31st out.
        {"settlement day 5", "2024", "3", rule("固定日期", 5),
         "合计|2|27.75|2|60.00|87.75|2024年3月"},
        // 26 December of the year before to 25 January: the 25th of December is out.
        {"January with settlement day 25", "2024", "1", rule("固定日期", 25),
         "合计|1|3.00|0|0.00|3.00|2024年1月"},
        {"February of a leap year", "2024", "2", rule(), "合计|1|8.00|0|0.00|8.00|2024年2月"},
        {"any other mode text is the calendar month", "2024", "3", rule("固定日期 "),
         "合计|5|55.30|3|85.50|140.80|2024年3月"},
        {"a month typed with a leading zero keeps it", "2024", "03", rule(),
         "合计|5|55.30|3|85.50|140.80|2024年03月"},
        {"a month without business", "2024", "6", rule(), "合计|0|0.00|0|0.00|0.00|2024年6月"},
        // A typed text that names no day matches nothing; the label keeps it as typed.
        {"a month text that is no day", "2024", "3# or 1=1 or 收费日期>=#2000-1-1",
         rule("固定日期", 5), "合计|0|0.00|0|0.00|0.00|2024年3# or 1=1 or 收费日期>=#2000-1-1月"},
    };
    for (const Case& c : cases) {
        const auto report = reports::build_monthly_charge_statistics(
            store::main_connection(), s(c.year), s(c.month), reports::kByCollector, c.rule);
        ASSERT_FALSE(report.rows.empty()) << c.what;
        EXPECT_EQ(report.rows.back(), s(c.total).split('|')) << c.what;
    }
}

TEST_F(MonthlyChargeStatistics, VoidRowsCountNowhere) {
    // Voiding every row leaves only zeros in both groupings.
    exec(s("update 总收费 set 标志=2"));
    exec(s("update 预存明细 set 标志=0"));
    const auto by_collector = reports::build_monthly_charge_statistics(
        store::main_connection(), s("2024"), s("3"), reports::kByCollector, rule());
    EXPECT_EQ(by_collector.rows.back(), s("合计|0|0.00|0|0.00|0.00|2024年3月").split('|'));
    const auto by_street = reports::build_monthly_charge_statistics(
        store::main_connection(), s("2024"), s("3"), reports::kByStreet, rule());
    // Readings are no bills: they stay.
    EXPECT_EQ(by_street.rows.back(),
              s("合计|3|0|0|0.00|0.00|0.00|0.00%|0.00|2024年3月").split('|'));
}

// A household's bills are those keyed by its own number or one of its meter accounts' (a rebill
// keys the bill 000101); the neighbour 00011 on another street keeps its own.
TEST_F(MonthlyChargeStatistics, BillsOfAMeterAccountCountForTheirHousehold) {
    exec(s("insert into 用户信息表 (户号,父号,用户名,居住街道) values ('00011','0','赵六','西区')"));
    bill("000101", 20, 120, "2024-03-08", "2024-03-08", "李会计", 11.00, 2.00, 0);
    bill("00011", 21, 121, "2024-03-08", "2024-03-08", "王出纳", 4.00, 0, 0);
    using Builder = reports::StatisticsBuilder;
    struct Case {
        const char* what;
        Builder build;
        QString grouping;
        std::vector<const char*> rows;  // each must be in the report
    };
    const Case cases[] = {
        {"monthly by street", &reports::build_monthly_charge_statistics, reports::kByStreet,
         {"东区|2|4|0|30.75|25.50|56.25|200.00%|22.00|2024年3月",
          "西区|1|2|2|34.00|50.00|84.00|200.00%|0.00|2024年3月"}},
        {"yearly by street", &reports::build_annual_charge_report, reports::kByStreet,
         {"东区|3|6|0|1038.75|2|85.50|1124.25|200.00%|22.00|2024年",
          "西区|1|2|2|34.00|1|50.00|84.00|200.00%|5.00|2024年"}},
        {"daily by street", &reports::build_daily_charge_report, reports::kByStreet,
         {"东区|1|11.00|0|0.00|11.00|2.00|", "西区|1|4.00|0|0.00|4.00|0.00|",
          "小计|2|15.00|0|0.00|15.00|2.00|2024年3月8日"}},
        {"daily by collector", &reports::build_daily_charge_report, reports::kByCollector,
         {"李会计|1|11.00|0|0.00|11.00|2.00|", "王出纳|1|4.00|0|0.00|4.00|0.00|"}},
    };
    for (const Case& c : cases) {
        const auto report =
            c.build(store::main_connection(), s("2024"), s("3"), c.grouping, rule(), {});
        for (const char* row : c.rows)
            EXPECT_NE(std::find(report.rows.begin(), report.rows.end(), s(row).split('|')),
                      report.rows.end())
                << c.what << ": " << row;
    }
}

// fail_on(condition): 1, or the error "读取失败" on the row where the condition holds, as a
// damaged page read part-way through a pass fails.
void fail_on(sqlite3_context* context, int, sqlite3_value** values) {
    if (sqlite3_value_int(values[0]))
        sqlite3_result_error(context, "读取失败", -1);
    else
        sqlite3_result_int(context, 1);
}

// A read that fails part-way through a pass over the period or the register is told with the
// database's message, and the report shows none of its rows as the whole.
TEST_F(MonthlyChargeStatistics, AReadFailingPartWayShowsNoRows) {
    sqlite3* db = platform::db_handle(store::main_connection());
    ASSERT_EQ(sqlite3_create_function(db, "fail_on", 1, SQLITE_UTF8, nullptr, &fail_on, nullptr,
                                      nullptr),
              SQLITE_OK);
    using Builder = reports::StatisticsBuilder;
    struct Case {
        Builder build;
        QString grouping;
        const char* table;      // read through a view that fails on one row
        const char* condition;  // the failing row
    };
    const Case cases[] = {
        {&reports::build_daily_charge_report, reports::kByCollector, "总收费", "收据号=4"},
        {&reports::build_daily_charge_report, reports::kByStreet, "总收费", "收据号=4"},
        {&reports::build_daily_charge_report, reports::kByStreet, "用户信息表", "户号='0002'"},
        {&reports::build_monthly_charge_statistics, reports::kByCollector, "总收费", "收据号=3"},
        {&reports::build_monthly_charge_statistics, reports::kByStreet, "总收费", "收据号=3"},
        {&reports::build_monthly_charge_statistics, reports::kByStreet, "抄表总表", "用量=7"},
        {&reports::build_annual_charge_report, reports::kByStreet, "用户信息表", "户号='0002'"},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.table) + " " + c.condition + " " +
                                 c.grouping.toStdString();
        const auto exec_raw = [&](const QString& sql) {
            ASSERT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr),
                      SQLITE_OK)
                << sqlite3_errmsg(db);
        };
        // Shown as it is while no row fails.
        const auto whole =
            c.build(store::main_connection(), s("2024"), s("3"), c.grouping, rule(), {});
        exec_raw(s("create temp view ") + s(c.table) + s(" as select * from main.") + s(c.table) +
                 s(" where fail_on(0)"));
        EXPECT_EQ(c.build(store::main_connection(), s("2024"), s("3"), c.grouping, rule(), {})
                      .rows,
                  whole.rows)
            << what;
        exec_raw(s("drop view temp.") + s(c.table));
        exec_raw(s("create temp view ") + s(c.table) + s(" as select * from main.") + s(c.table) +
                 s(" where fail_on(") + s(c.condition) + s(")"));
        const auto told = ui.boxes().size();
        ui.expect_box(s("读取失败"));
        const auto report =
            c.build(store::main_connection(), s("2024"), s("3"), c.grouping, rule(), {});
        exec_raw(s("drop view temp.") + s(c.table));
        EXPECT_EQ(report.columns, whole.columns) << what;
        EXPECT_TRUE(report.rows.empty()) << what;
        EXPECT_EQ(ui.boxes().size(), told + 1) << what;
    }
}

// Every valid bill and prepayment of the fixture belongs to a listed street and a listed
// collector, so both groupings of both reports add up to the same takings.
TEST_F(MonthlyChargeStatistics, BothGroupingsOfBothReportsAgree) {
    bill("000101", 20, 120, "2024-03-08", "2024-03-08", "李会计", 11.00, 2.00, 0);
    for (const auto build :
         {&reports::build_monthly_charge_statistics, &reports::build_annual_charge_report}) {
        const bool yearly = build == &reports::build_annual_charge_report;
        const QStringList by_collector =
            build(store::main_connection(), s("2024"), s("3"), reports::kByCollector, rule(), {})
                .rows.back();
        const QStringList by_street =
            build(store::main_connection(), s("2024"), s("3"), reports::kByStreet, rule(), {})
                .rows.back();
        // Window takings, prepayments and their sum.
        EXPECT_EQ(by_collector[2], by_street[4]) << yearly;
        EXPECT_EQ(by_collector[4], by_street[yearly ? 6 : 5]) << yearly;
        EXPECT_EQ(by_collector[5], by_street[yearly ? 7 : 6]) << yearly;
        if (yearly) {
            EXPECT_EQ(by_collector[3], by_street[5]);  // prepayment rows
        }
    }
}

// Both charge summaries show the pseudo-collectors even without any operator of their own.
TEST_F(MonthlyChargeStatistics, OnlyTheAdministratorLeavesThePseudoCollectors) {
    exec(s("delete from 收费员 where 收费人员<>'管理员'"));
    const auto monthly = reports::build_monthly_charge_statistics(
        store::main_connection(), s("2024"), s("3"), reports::kByCollector, rule());
    EXPECT_EQ(monthly.rows, lines({"预存扣款|1|0.00|0|0.00|0.00|2024年3月", "||||||",
                                   "前期扣款|1|0.00|0|0.00|0.00|2024年3月", "||||||",
                                   "合计|2|0.00|0|0.00|0.00|2024年3月"}));
    const auto yearly = reports::build_annual_charge_report(store::main_connection(), s("2024"),
                                                            s("3"), reports::kByCollector, rule());
    EXPECT_EQ(yearly.rows, lines({"预存扣款|1|0.00|0|0.00|0.00|2024年", "||||||",
                                  "前期扣款|1|0.00|0|0.00|0.00|2024年", "||||||",
                                  "合计|2|0.00|0|0.00|0.00|2024年"}));
    EXPECT_EQ(yearly.red_cells.size(), 7u);
}

}  // namespace
}  // namespace reports_test
