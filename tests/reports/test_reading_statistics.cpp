// The reading statistics report over meter accounts and readings put straight into the tables:
// per reader, street and fee item, the reading window's edges, stopped and removed accounts,
// and box texts that name no day.
#include <gtest/gtest.h>

#include "harness/fixture.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "reports/reading_statistics_report.h"
#include "store/main_database.h"

namespace {

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

std::vector<QStringList> expected(std::initializer_list<const char*> lines) {
    std::vector<QStringList> rows;
    for (const char* line : lines) rows.push_back(s(line).split(QLatin1Char('|')));
    return rows;
}

class ReadingStatistics : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        // 系统 ships as the first reader.
        for (const char* name : {"王抄表", "李抄表", ""})
            exec(s("insert into 抄表员 (抄表员) values (") + platform::sql_quote(s(name)) + ")");
        for (const char* name : {"东区", "西区", "北区"})
            exec(s("insert into 街道 (街道) values (") + platform::sql_quote(s(name)) + ")");
        household("0001", "东区");
        household("0002", "西区");
        household("0003", "东区");
        account("000101", "0001", "水费", "王抄表", "正常");
        account("000102", "0001", "电费", "王抄表", "报停");
        account("000201", "0002", "水费", "李抄表", "正常");
        account("000202", "0002", "物业", "系统", "拆表");
        account("000301", "0003", "水费", "王抄表", "正常");
        account("000302", "0003", "水费", "李抄表", "正常");
        // The window of March 2024 with 抄表日期 10 runs from the 10th to the 31st.
        reading("000101", "0001", "2024-03-10", 12.5);  // on the reading day
        reading("000101", "0001", "2024-03-31", 3);     // read twice, on the last day
        reading("000201", "0002", "2024-03-09", 100);   // the day before the window
        reading("000301", "0003", "2024-04-01", 7);     // next month
        reading("000302", "0003", "2024-03-12", 1);
        reading("000202", "0002", "2024-03-20", 0.1);   // a removed account read anyway
    }

    void household(const char* number, const char* street) {
        exec(s("insert into 用户信息表 (户号,父号,用户名,居住街道) values (") +
             platform::sql_quote(s(number)) + ",'0','户主'," + platform::sql_quote(s(street)) +
             ")");
    }
    void account(const char* number, const char* household, const char* item, const char* reader,
                 const char* state) {
        exec(s("insert into 用户表管理 (户号,父号,收费项目,价格类别,抄表人员,状态,倍率) values (") +
             platform::sql_quote(s(number)) + "," + platform::sql_quote(s(household)) + "," +
             platform::sql_quote(s(item)) + ",'类别'," + platform::sql_quote(s(reader)) + "," +
             platform::sql_quote(s(state)) + ",1)");
    }
    void reading(const char* account, const char* household, const char* day, double usage) {
        exec(s("insert into 抄表总表 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,是否收费) "
               "values (") +
             platform::sql_quote(s(account)) + "," + platform::sql_quote(s(household)) + ",0," +
             platform::sql_number(usage) + "," + platform::sql_number(usage) + ",0,'" + s(day) +
             "','水费',1)");
    }

    static reports::ReportPeriodRule rule(const char* day_mode = "每月月底") {
        shell::SystemParameters p;
        p.reading_day = 10;
        p.day_settlement_mode = s(day_mode);
        p.settlement_day = 25;
        return reports::ReportPeriodRule(p);
    }

    reports::StatisticsReport build(const QString& grouping, const char* year = "2024",
                                    const char* month = "3", const char* day_mode = "每月月底") {
        return reports::build_reading_statistics_report(store::main_connection(), s(year),
                                                        s(month), grouping, rule(day_mode));
    }
};

TEST_F(ReadingStatistics, EachGroupingCountsAccountsReadingsAndUsage) {
    struct Case {
        QString grouping;
        const char* first_title;
        std::vector<QStringList> rows;
    };
    const Case cases[] = {
        {reports::kByReader, "抄表人员",
         expected({
             "系统|1|0|0|1|-1|100.00%|0.1|2024年3月",
             "||||||||",
             "王抄表|3|1|2|2|0|66.67%|15.5|2024年3月",
             "||||||||",
             "李抄表|2|0|2|1|1|50.00%|1|2024年3月",
             "||||||||",
             "合计|6|1|4|4|0|66.67%|16.6|2024年3月",
         })},
        {reports::kByStreet, "居住街道",
         expected({
             "东区|4|1|3|3|0|75.00%|16.5|2024年3月",
             "||||||||",
             "西区|2|0|1|1|0|50.00%|0.1|2024年3月",
             "||||||||",
             "北区|0|0|0|0|0|0.00%|0|2024年3月",
             "||||||||",
             "合计|6|1|4|4|0|66.67%|16.6|2024年3月",
         })},
        {reports::kByFeeItem, "收费项目",
         expected({
             "物业|1|0|0|1|-1|100.00%|0.1|2024年3月",
             "||||||||",
             "电费|1|1|0|0|0|0.00%|0|2024年3月",
             "||||||||",
             "水费|4|0|4|3|1|75.00%|16.5|2024年3月",
             "||||||||",
             "合计|6|1|4|4|0|66.67%|16.6|2024年3月",
         })},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.grouping.toStdString());
        const auto report = build(c.grouping);
        EXPECT_EQ(report.columns,
                  (s(c.first_title) + s("|总户数|销户户数|应抄表户数|已抄表户数|未抄表户数|"
                                        "抄表率|本月用量|报表月份"))
                      .split('|'));
        EXPECT_EQ(report.rows, c.rows);
        EXPECT_EQ(report.progress_steps, 3);
        ASSERT_EQ(report.red_cells.size(), 9u);
        for (int column = 0; column < 9; ++column)
            EXPECT_EQ(report.red_cells[static_cast<size_t>(column)], std::make_pair(6, column));
    }
}

TEST_F(ReadingStatistics, TheWindowFollowsTheReadingDayNotTheSettlementMonth) {
    // 固定日期 changes the charge reports' month, not the reading window.
    const auto report = build(reports::kByReader, "2024", "3", "固定日期");
    EXPECT_EQ(report.rows.back(), s("合计|6|1|4|4|0|66.67%|16.6|2024年3月").split('|'));
    // April: only the reading of the 1st lies in April, and it is before the 10th.
    const auto april = build(reports::kByReader, "2024", "4");
    EXPECT_EQ(april.rows.back(), s("合计|6|1|4|0|4|0.00%|0|2024年4月").split('|'));
}

TEST_F(ReadingStatistics, NoGroupsLeavesOnlyTheZeroTotal) {
    exec(s("delete from 抄表员"));
    const auto report = build(reports::kByReader);
    EXPECT_EQ(report.progress_steps, 0);
    EXPECT_EQ(report.rows, expected({"合计|0|0|0|0|0|0.00%|0|2024年3月"}));
    EXPECT_EQ(report.red_cells.size(), 9u);
}

TEST_F(ReadingStatistics, BoxTextsThatNameNoDayReadNothing) {
    // The accounts are still counted; the readings of a window that names no day are not,
    // and a text built to widen the window's condition reads nothing either.
    struct Case {
        const char* year;
        const char* month;
        const char* total;
    } cases[] = {
        {"2024", "13", "合计|6|1|4|0|4|0.00%|0|2024年13月"},
        {"2024", "", "合计|6|1|4|0|4|0.00%|0|2024年月"},
        {"二〇二四", "3", "合计|6|1|4|0|4|0.00%|0|二〇二四年3月"},
        {"2024", "3-31# or 1=1 or 抄表总表.抄表日期>=#2024",
         "合计|6|1|4|0|4|0.00%|0|2024年3-31# or 1=1 or 抄表总表.抄表日期>=#2024月"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.month);
        const auto report = build(reports::kByReader, c.year, c.month);
        EXPECT_EQ(report.rows.back(), s(c.total).split('|'));
    }
    // Leading zeros as typed are a day like any other.
    EXPECT_EQ(build(reports::kByReader, "2024", "03").rows.back(),
              s("合计|6|1|4|4|0|66.67%|16.6|2024年03月").split('|'));
}

TEST_F(ReadingStatistics, AQuoteInAGroupNameStaysPartOfTheName) {
    exec(s("insert into 街道 (街道) values ('南''区')"));
    household("0004", "南'区");
    account("000401", "0004", "水费", "王'抄表", "正常");
    exec(s("insert into 抄表员 (抄表员) values ('王''抄表')"));
    reading("000401", "0004", "2024-03-15", 8);
    const auto by_street = build(reports::kByStreet);
    EXPECT_EQ(by_street.rows[6], s("南'区|1|0|1|1|0|100.00%|8|2024年3月").split('|'));
    const auto by_reader = build(reports::kByReader);
    EXPECT_EQ(by_reader.rows[6], s("王'抄表|1|0|1|1|0|100.00%|8|2024年3月").split('|'));
}

TEST(ReadingRate, TwoDecimalsHalfAwayFromZero) {
    EXPECT_EQ(reports::reading_rate_text(0, 0), QStringLiteral("0.00%"));
    EXPECT_EQ(reports::reading_rate_text(5, 0), QStringLiteral("0.00%"));
    EXPECT_EQ(reports::reading_rate_text(1, 3), QStringLiteral("33.33%"));
    EXPECT_EQ(reports::reading_rate_text(2, 3), QStringLiteral("66.67%"));
    EXPECT_EQ(reports::reading_rate_text(1, 8), QStringLiteral("12.50%"));
    EXPECT_EQ(reports::reading_rate_text(3, 2), QStringLiteral("150.00%"));
}

}  // namespace
