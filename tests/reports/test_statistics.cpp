// The statistics reports built from bills and prepayments put straight into the tables; the
// figures are worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>

#include "receipt_fixture.h"
#include "reports/daily_charge_report.h"

namespace reports_test {
namespace {

class Statistics : public ReceiptTest {
protected:
    void SetUp() override {
        ReceiptTest::SetUp();
        for (const char* name : {"李会计", "王出纳", ""})
            exec(s("insert into 收费员 (收费人员,密码,许可) values ('") + s(name) + "','',1)");
        for (const char* name : {"东区", "西区"})
            exec(s("insert into 街道 (街道) values ('") + s(name) + "')");
        bill("0001", 1, 100, "2024-03-05", "李会计", 12.50, 0, 0);
        bill("0001", 2, 100, "2024-03-05", "李会计", 7.25, 0, 0);
        bill("0002", 3, 101, "2024-03-05", "王出纳", 30.00, 0, 0);
        bill("0001", 4, 102, "2024-03-05", "预存扣款", 0, 20.00, 0);
        // Still unpaid, part of it taken from the prepaid balance.
        bill("0002", 5, 103, "2024-03-06", "未知", 0, 5.00, 1);
        // Voided: counts nowhere, but the day has a bill.
        bill("0001", 6, 104, "2024-03-06", "李会计", 99.00, 0, 0, 0);
        // Next month.
        bill("0001", 7, 105, "2024-04-01", "李会计", 1000.00, 0, 0);
        exec(s("insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志) values "
               "(9001,'0002',50,'2024-03-05','李会计','',1)"));
        exec(s("insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志) values "
               "(9002,'0002',80,'2024-03-05','李会计','',0)"));
    }

    void bill(const char* household, int receipt, int serial, const char* day,
              const char* collector, double paid, double from_prepaid, int unpaid,
              int valid = 1) {
        exec(s("insert into 总收费 (户号,收据号,流水号,标志,收费标志,收费项目,收费日期,收费人员,"
               "应收金额,实收金额,预存扣款) values ('") +
             s(household) + "'," + QString::number(receipt) + "," + QString::number(serial) +
             "," + QString::number(valid) + "," + QString::number(unpaid) + s(",'水费','") +
             s(day) + "','" + s(collector) + "'," + platform::sql_number(paid + from_prepaid) +
             "," + platform::sql_number(paid) + "," + platform::sql_number(from_prepaid) + ")");
    }

    static reports::ReportPeriodRule calendar_rule() {
        shell::SystemParameters p;
        p.day_settlement_mode = s("每月月底");
        return reports::ReportPeriodRule(p);
    }

    static std::vector<QStringList> expected(std::initializer_list<const char*> lines) {
        std::vector<QStringList> rows;
        for (const char* line : lines) rows.push_back(s(line).split(QLatin1Char('|')));
        return rows;
    }
};

TEST_F(Statistics, DailyChargeReportByCollector) {
    const auto report = reports::build_daily_charge_report(
        store::main_connection(), s("2024"), s("3"), reports::kByCollector, calendar_rule());
    EXPECT_EQ(report.columns.first(), s("收费人员"));
    EXPECT_EQ(report.progress_steps, 31);
    const auto rows = expected({
        "李会计|1|19.75|1|50.00|69.75|0.00|",
        "王出纳|1|30.00|0|0.00|30.00|0.00|",
        "预存扣款|1|0.00|0|0.00|0.00|20.00|",
        "小计|3|49.75|1|50.00|99.75|20.00|2024年3月5日",
        "|||||||",
        "前期扣款|1|0.00|0|0.00|0.00|5.00|",
        "小计|1|0.00|0|0.00|0.00|5.00|2024年3月6日",
        "|||||||",
        "合计|4|49.75|1|50.00|99.75|25.00|2024年3月",
    });
    EXPECT_EQ(report.rows, rows);
    ASSERT_EQ(report.red_cells.size(), 7u);
    EXPECT_EQ(report.red_cells.front(), std::make_pair(8, 0));
    EXPECT_EQ(report.red_cells.back(), std::make_pair(8, 6));
}

TEST_F(Statistics, DailyChargeReportByStreet) {
    const auto report = reports::build_daily_charge_report(
        store::main_connection(), s("2024"), s("3"), reports::kByStreet, calendar_rule());
    EXPECT_EQ(report.columns.first(), s("居住街道"));
    const auto rows = expected({
        "东区|2|19.75|0|0.00|19.75|20.00|",
        "西区|1|30.00|1|50.00|80.00|0.00|",
        "小计|3|49.75|1|50.00|99.75|20.00|2024年3月5日",
        "|||||||",
        "西区|1|0.00|0|0.00|0.00|5.00|",
        "小计|1|0.00|0|0.00|0.00|5.00|2024年3月6日",
        "|||||||",
        "合计|4|49.75|1|50.00|99.75|25.00|2024年3月",
    });
    EXPECT_EQ(report.rows, rows);
}

TEST_F(Statistics, DailyChargeReportCountsNamesWithAQuote) {
    exec(s("update 收费员 set 收费人员='王''出纳' where 收费人员='王出纳'"));
    exec(s("update 总收费 set 收费人员='王''出纳' where 收费人员='王出纳'"));
    exec(s("update 街道 set 街道='西''区' where 街道='西区'"));
    exec(s("update 用户信息表 set 居住街道='西''区' where 居住街道='西区'"));
    const auto by_collector = reports::build_daily_charge_report(
        store::main_connection(), s("2024"), s("3"), reports::kByCollector, calendar_rule());
    ASSERT_GE(by_collector.rows.size(), 2u);
    EXPECT_EQ(by_collector.rows[1], s("王'出纳|1|30.00|0|0.00|30.00|0.00|").split(QLatin1Char('|')));
    const auto by_street = reports::build_daily_charge_report(
        store::main_connection(), s("2024"), s("3"), reports::kByStreet, calendar_rule());
    ASSERT_GE(by_street.rows.size(), 2u);
    EXPECT_EQ(by_street.rows[1], s("西'区|1|30.00|1|50.00|80.00|0.00|").split(QLatin1Char('|')));
}

// The month's 合计 counts every bill once, whatever group shows it: a serial taken again by
// another collector counts once, all bills without a serial count as one, a household that is
// not registered adds to the takings but to no group, and one registered twice is not counted
// twice.
TEST_F(Statistics, DailyChargeReportTotalsCountEachBillOnce) {
    bill("0001", 20, 100, "2024-03-07", "王出纳", 1.00, 0, 0);
    bill("0999", 21, 110, "2024-03-07", "王出纳", 2.00, 0, 0);
    bill("0001", 22, 0, "2024-03-07", "王出纳", 1.00, 0, 0);
    bill("0001", 23, 0, "2024-03-08", "李会计", 1.00, 0, 0);
    exec(s("update 总收费 set 流水号=null where 流水号=0"));
    exec(s("insert into 用户信息表 (户号,父号,用户名,居住街道) values ('0002','0','重号','西区')"));
    const auto report = reports::build_daily_charge_report(
        store::main_connection(), s("2024"), s("3"), reports::kByCollector, calendar_rule());
    const QStringList seventh = s("王出纳|3|2.00|0|0.00|2.00|0.00|").split('|');
    EXPECT_NE(std::find(report.rows.begin(), report.rows.end(), seventh), report.rows.end());
    EXPECT_EQ(report.rows.back(), s("合计|6|54.75|1|50.00|104.75|25.00|2024年3月").split('|'));
}

TEST_F(Statistics, DailyChargeReportInASettlementMonth) {
    // 结算日期 5: March runs from 6 February to 5 March, so only the 5th has business and
    // April's 1st belongs to April.
    shell::SystemParameters p;
    p.day_settlement_mode = s("固定日期");
    p.settlement_day = 5;
    const auto report = reports::build_daily_charge_report(
        store::main_connection(), s("2024"), s("3"), reports::kByCollector,
        reports::ReportPeriodRule(p));
    EXPECT_EQ(report.progress_steps, 29);
    ASSERT_EQ(report.rows.size(), 6u);
    EXPECT_EQ(report.rows[3].last(), s("2024年3月5日"));
    EXPECT_EQ(report.rows[5], s("合计|3|49.75|1|50.00|99.75|20.00|2024年3月").split('|'));
}

}  // namespace
}  // namespace reports_test
