// Queries of committed readings and of meter accounts unread in a month.
#include <gtest/gtest.h>

#include "reading/reading_query.h"
#include "reading/reading_query_page.h"
#include "reading_fixture.h"

namespace reading_test {
namespace {

using reading::ReadQueryForm;
using reading::UnreadQueryForm;

class ReadingQueryTest : public ReadingTest {
protected:
    void SetUp() override {
        ReadingTest::SetUp();
        exec(s("insert into 街道(街道) values ('西区')"));
        add_water_household(s("0001"), s("甲"), 2, 0, s("张三"));
        add_water_household(s("0002"), s("乙"), 1, 0, s("李四"));
        add_water_household(s("0003"), s("丙"), 3, 0, s("张三"));
        exec(s("update 用户信息表 set 居住街道='西区',磁卡号码='C3' where 户号='0003'"));
        add_history(s("000101"), s("0001"), 0, 10, s("2024-3-1"));
        add_history(s("000201"), s("0002"), 5, 8, s("2024-3-15"));
        add_history(s("000301"), s("0003"), 1, 3, s("2024-3-31"));
        add_history(s("000101"), s("0001"), 10, 12, s("2024-4-1"));
        exec(s("update 抄表总表 set 抄表人员='李四' where 户号='000201'"));
    }
    // The 户号 column (cell 3) of the readings listed, totals row excluded.
    QStringList accounts(const ReadQueryForm& form) {
        const auto list = reading::reading_query_rows(
            db(), reading::read_readings_statement(reading::read_readings_condition(form)), 1);
        QStringList out;
        for (int i = 0; i + 1 < list.size(); ++i) out << list[i][3] + u'@' + list[i][15];
        return out;
    }
    static UnreadQueryForm month(const char* year, const char* month) {
        UnreadQueryForm f;
        f.year = s(year);
        f.month = s(month);
        return f;
    }
    ReadQueryForm march() {
        ReadQueryForm f;
        f.from = QDate(2024, 3, 1);
        f.to = QDate(2024, 3, 31);
        f.order = s("抄表日期");
        f.direction = s("升序");
        return f;
    }
    QStringList unread(UnreadQueryForm form) {
        const auto outcome = reading::run_unread_query(db(), form, shell::system_parameters.reading_day);
        EXPECT_TRUE(outcome.run) << outcome.message.toStdString();
        EXPECT_TRUE(outcome.failures.isEmpty());
        const auto list = reading::reading_query_rows(db(), reading::kUnreadListStatement, 2);
        QStringList out;
        for (int i = 0; i + 1 < list.size(); ++i) out << list[i][1];
        return out;
    }
};

TEST_F(ReadingQueryTest, RowsCellsAndTotals) {
    const auto list = reading::reading_query_rows(
        db(), reading::read_readings_statement(reading::read_readings_condition(march())), 1);
    ASSERT_EQ(list.size(), 4);
    // The first cell is the reading's own number, which the page's modify and delete act on.
    const QString first_reading =
        value(s("select 编号 from 抄表总表 where 户号='000101' and 抄表日期='2024-03-01'"));
    ASSERT_FALSE(first_reading.isEmpty());
    EXPECT_EQ(list[0],
              (QStringList{first_reading, s("水费"), s("0001"), s("000101"), s("甲"), s("M1"),
                           s("2024年1月1日"), s("居民"), s("东区"), s("甲的家"), s("0"), s("10"),
                           s("10"), s("0"), s("张三"), s("2024年3月1日")}));
    EXPECT_EQ(list[3][0], s("合计"));
    EXPECT_EQ(list[3][1], s("3户"));
    EXPECT_EQ(list[3][12], s("15"));
    EXPECT_EQ(list[3][13], s("0"));
    // Nothing found still gives the totals row.
    const auto none = reading::reading_query_rows(
        db(), reading::read_readings_statement(reading::card_number_condition(s(" NOPE "))), 1);
    ASSERT_EQ(none.size(), 1);
    EXPECT_EQ(none[0][1], s("0户"));
}

TEST_F(ReadingQueryTest, EveryReadConditionAndOrder) {
    ReadQueryForm f = march();
    EXPECT_EQ(accounts(f), (QStringList{s("000101@2024年3月1日"), s("000201@2024年3月15日"),
                                        s("000301@2024年3月31日")}));
    f.from = f.to = QDate(2024, 3, 15);  // one day
    EXPECT_EQ(accounts(f), QStringList{s("000201@2024年3月15日")});
    f = march();
    f.by_reader = true;
    f.reader = s("张三");
    EXPECT_EQ(accounts(f).size(), 2);
    f = march();
    f.by_street = true;
    f.street = s("西区");
    EXPECT_EQ(accounts(f), QStringList{s("000301@2024年3月31日")});
    f = march();
    f.by_fee_item = true;
    f.fee_item = s("电费");
    EXPECT_TRUE(accounts(f).isEmpty());
    f.fee_item = s("水'费");  // a quote does not break the statement
    EXPECT_TRUE(accounts(f).isEmpty());
    // 降序 applies to the last key: readers ascending, 抄表序号 descending within a reader.
    f = march();
    f.order = s("抄表人员");
    f.direction = s("降序");
    EXPECT_EQ(accounts(f), (QStringList{s("000301@2024年3月31日"), s("000101@2024年3月1日"),
                                        s("000201@2024年3月15日")}));
    f.order = s("用户户号");
    EXPECT_EQ(accounts(f).front(), s("000301@2024年3月31日"));
}

TEST_F(ReadingQueryTest, QuickLookUps) {
    const auto by_card = reading::reading_query_rows(
        db(), reading::read_readings_statement(reading::card_number_condition(s(" C3 "))), 1);
    ASSERT_EQ(by_card.size(), 2);
    EXPECT_EQ(by_card[0][3], s("000301"));
    const auto by_household = reading::reading_query_rows(
        db(), reading::read_readings_statement(reading::household_condition(s("0001"))), 1);
    ASSERT_EQ(by_household.size(), 3);
    EXPECT_EQ(by_household[1][15], s("2024年4月1日"));
}

TEST_F(ReadingQueryTest, CardLookUpEndsOnlyOnAnEmptyEntry) {
    exec(s("update 用户信息表 set 磁卡号码='' where 户号='0001'"));
    reading::ReadingQueryPage page;
    QTableView* list = page.query_list();
    const auto listed = [&] {
        QStringList out;
        const int column = platform::listview_column_index(list, s("抄表户号"));
        for (int row = 0; row < platform::listview_row_count(list); ++row)
            out << platform::listview_cell_text(list, row, column);
        return out;
    };
    // Blanks are no empty entry: trimmed, they find the household without a card number.
    ui.expect_input(s(" "));
    page.on_main_reading_query_by_card_click();
    EXPECT_EQ(listed(), (QStringList{s("000101"), s("000101"), s("")}));
    ui.expect_input(s("C3"));
    page.on_main_reading_query_by_card_click();
    EXPECT_EQ(listed(), (QStringList{s("000301"), s("")}));
    // An empty entry or a cancel leaves the list as it was.
    ui.expect_input(s(""));
    page.on_main_reading_query_by_card_click();
    ui.cancel_input();
    page.on_main_reading_query_by_card_click();
    EXPECT_EQ(listed(), (QStringList{s("000301"), s("")}));
}

TEST_F(ReadingQueryTest, UnreadAccountsCountFromTheReadingDay) {
    exec(s("update pz set 值=15 where 项目名称='抄表日期'"));
    shell::load_system_parameters();
    UnreadQueryForm f = month("2024", "3");
    f.order = s("用户户号");
    f.direction = s("升序");
    // 0001 was read on the 1st, before the reading day: unread. 15th and 31st count.
    EXPECT_EQ(unread(f), QStringList{s("000101")});
    exec(s("update pz set 值=16 where 项目名称='抄表日期'"));
    shell::load_system_parameters();
    EXPECT_EQ(unread(f), (QStringList{s("000101"), s("000201")}));
    // Pending readings do not count; a meter out of service is never listed.
    add_pending(s("000101"), s("0001"), 10, 11);
    exec(s("update 用户表管理 set 状态='报停' where 户号='000201'"));
    EXPECT_EQ(unread(f), QStringList{s("000101")});
    const auto list = reading::reading_query_rows(db(), reading::kUnreadListStatement, 2);
    EXPECT_EQ(list[0], (QStringList{s("0001"), s("000101"), s("甲"), s("东区"), s("甲的家"),
                                    s("2024年1月1日"), s("水费"), s("居民"), s(""), s(""), s("M1"),
                                    s("张三")}));
    EXPECT_EQ(list[1][0], s("合计"));
    EXPECT_EQ(list[1][1], s("1户"));
}

TEST_F(ReadingQueryTest, UnreadConditionsAndRefusals) {
    UnreadQueryForm f = month("2024", "4");
    f.order = s("抄表人员");
    f.direction = s("升序");
    EXPECT_EQ(unread(f), (QStringList{s("000301"), s("000201")}));  // 张 sorts before 李
    f.by_reader = true;
    f.reader = s("张三");
    EXPECT_EQ(unread(f), QStringList{s("000301")});
    f.by_reader = false;
    f.by_street = true;
    f.street = s("东区");
    EXPECT_EQ(unread(f), QStringList{s("000201")});
    f.by_street = false;
    f.by_fee_item = true;
    f.fee_item = s(" 电费 ");
    EXPECT_TRUE(unread(f).isEmpty());
    using Focus = reading::UnreadQueryOutcome::Focus;
    struct Case {
        UnreadQueryForm form;
        const char* message;
        Focus focus;
        const char* work_rows_after;  // the missing year or month stops before 未抄表数据 is emptied
    };
    UnreadQueryForm no_item = month("2024", "4");
    no_item.by_fee_item = true;
    no_item.fee_item = s("  ");
    for (const Case& c : {Case{month("", "4"), "请输入查询年！", Focus::Year, "2"},
                          Case{month("2024", ""), "请输入查询月！", Focus::Month, "2"},
                          // A text that names no year or month is refused as an empty one.
                          Case{month("1e308", "4"), "请输入查询年！", Focus::Year, "2"},
                          Case{month("99", "4"), "请输入查询年！", Focus::Year, "2"},
                          Case{month("2024", "1e308"), "请输入查询月！", Focus::Month, "2"},
                          Case{month("2024", "13"), "请输入查询月！", Focus::Month, "2"},
                          Case{no_item, "请选择待查询的收费项目!", Focus::FeeItem, "0"}}) {
        UnreadQueryForm all = month("2024", "4");
        all.order = s("抄表人员");
        ASSERT_EQ(unread(all).size(), 2);
        const auto outcome = reading::run_unread_query(db(), c.form, 1);
        EXPECT_FALSE(outcome.run);
        EXPECT_EQ(outcome.message, s(c.message));
        EXPECT_EQ(outcome.focus, c.focus);
        EXPECT_EQ(value(s("select count(*) from 未抄表数据")), s(c.work_rows_after)) << c.message;
    }
}

}  // namespace
}  // namespace reading_test
