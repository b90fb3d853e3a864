// The monthly page: the list filler, deleting ticked rows (a failed delete stays listed and is
// reported as such), clearing the batch, and the commit's refusals and its all-or-nothing move.
#include <gtest/gtest.h>

#include "reading/monthly_commit.h"
#include "reading/monthly_reading_page.h"
#include "reading_fixture.h"

using namespace reading_test;
using platform::MsgResult;

namespace {

class MonthlyPage : public ReadingTest {
protected:
    void SetUp() override {
        ReadingTest::SetUp();
        add_water_household(s("0001"), s("甲"), 1, 100);
        add_water_household(s("0002"), s("乙"), 2, 200);
        add_water_household(s("0003"), s("丙"), 3, 300);
        page = std::make_unique<reading::MonthlyReadingPage>();
    }
    void TearDown() override {
        page.reset();
        ReadingTest::TearDown();
    }
    QTableView* list() { return page->monthly_list(); }
    QStringList listed_accounts() {
        QStringList numbers;
        for (int r = 0; r < platform::listview_row_count(list()); ++r)
            numbers << platform::listview_cell_text(list(), r, 0);
        return numbers;
    }
    std::unique_ptr<reading::MonthlyReadingPage> page;
};

TEST_F(MonthlyPage, FillsNewestFirstWithTheCellsInTheirOrder) {
    add_pending(s("000101"), s("0001"), 100, 112.5);
    add_pending(s("000201"), s("0002"), 200, 200);
    // A pending row of a meter that no longer exists is not listed.
    add_pending(s("009901"), s("0099"), 1, 2);
    page->refill();
    EXPECT_EQ(platform::listview_column_title(list(), 0), s("户号"));
    EXPECT_EQ(list_rows(list()),
              (QList<QStringList>{{s("000201"), s("乙"), s("东区"), s("水费"), s("居民"), s("200"),
                                   s("200"), s("0"), s("0"), s("张三"), s("2024年3月5日")},
                                  {s("000101"), s("甲"), s("东区"), s("水费"), s("居民"), s("100"),
                                   s("112.5"), s("12.5"), s("0"), s("张三"), s("2024年3月5日")}}));
    EXPECT_FALSE(platform::listview_row_checked(list(), 0));
    EXPECT_EQ(
        platform::listview_model(list())->flags(platform::listview_model(list())->index(0, 0)) &
            Qt::ItemIsUserCheckable,
        Qt::ItemIsUserCheckable);
}

TEST_F(MonthlyPage, DeletesTickedAccountsAndKeepsTheOneThatFailed) {
    add_pending(s("000101"), s("0001"), 100, 110);
    add_pending(s("000201"), s("0002"), 200, 210);
    add_pending(s("000301"), s("0003"), 300, 310);
    page->refill();
    ASSERT_EQ(listed_accounts(), (QStringList{s("000301"), s("000201"), s("000101")}));

    ui.expect_box(s("确定要删除选中户号的抄表记录吗？"), MsgResult::Ok)
        .expect_box(s("请选中待删除项后再删除！\r\n本次操作失败！"));
    page->on_main_monthly_reading_delete_click();

    raw_exec(
        "CREATE TRIGGER keep_0002 BEFORE DELETE ON 抄表管理 WHEN old.户号='000201' "
        "BEGIN SELECT RAISE(ABORT,'locked'); END");
    for (int r = 0; r < 3; ++r) platform::listview_set_row_checked(list(), r, true);
    ui.expect_box(s("确定要删除选中户号的抄表记录吗？"), MsgResult::Ok)
        .expect_box(s("户号【000201】抄表记录删除失败！"))
        .expect_box(s("部分删除失败"));
    page->on_main_monthly_reading_delete_click();
    EXPECT_EQ(ui.boxes()[3].caption, s("删除失败"));
    EXPECT_FALSE(ui.has_box(s("删除成功")));
    EXPECT_EQ(listed_accounts(), QStringList{s("000201")});
    EXPECT_EQ(rows(s("select 户号 from 抄表管理")), (QList<QStringList>{{s("000201")}}));

    raw_exec("DROP TRIGGER keep_0002");
    ui.expect_box(s("确定要删除"), MsgResult::Ok).expect_box(s("选中户号抄表记录删除成功！"));
    page->on_main_monthly_reading_delete_click();
    EXPECT_EQ(ui.boxes().back().caption, s("删除成功"));
    EXPECT_TRUE(listed_accounts().isEmpty());
    EXPECT_EQ(count(s("select count(*) from 抄表管理")), 0);
    EXPECT_EQ(count(s("select count(*) from 日志管理")), 0);
}

TEST_F(MonthlyPage, DeletingByTheFirstColumnRemovesEveryPendingRowOfTheAccount) {
    Meter power;
    power.number = s("000102");
    power.household = s("0001");
    power.item = s("电费");
    power.category = s("照明");
    add_meter(power);
    add_pending(s("000101"), s("0001"), 100, 110);
    add_pending(s("000101"), s("0001"), 0, 30, s("电费"), s("照明"));
    add_pending(s("000201"), s("0002"), 200, 210);
    page->refill();
    platform::listview_set_row_checked(list(), 1, true);
    platform::listview_set_row_checked(list(), 2, true);
    ui.expect_box(s("确定要删除"), MsgResult::Ok).expect_box(s("选中户号抄表记录删除成功！"));
    page->on_main_monthly_reading_delete_click();
    EXPECT_EQ(listed_accounts(), QStringList{s("000201")});
    EXPECT_EQ(rows(s("select 户号 from 抄表管理")), (QList<QStringList>{{s("000201")}}));

    // Cancel deletes nothing.
    platform::listview_set_row_checked(list(), 0, true);
    ui.expect_box(s("确定要删除"), MsgResult::Cancel);
    page->on_main_monthly_reading_delete_click();
    EXPECT_EQ(count(s("select count(*) from 抄表管理")), 1);
    EXPECT_EQ(ui.beep_count(), 2);
}

TEST_F(MonthlyPage, ClearAllEmptiesTheBatchAfterOk) {
    add_pending(s("000101"), s("0001"), 100, 110);
    add_pending(s("000201"), s("0002"), 200, 210);
    page->refill();
    ui.expect_box(s("确定要把清除本月抄表的所有数据吗？\r\n该操作不可逆请慎用！"),
                  MsgResult::Cancel);
    page->on_main_monthly_reading_clear_all_click();
    EXPECT_EQ(count(s("select count(*) from 抄表管理")), 2);
    ui.expect_box(s("确定要把清除"), MsgResult::Ok).expect_box(s("操作成功！"));
    page->on_main_monthly_reading_clear_all_click();
    EXPECT_EQ(ui.boxes().back().caption, s("提示信息"));
    EXPECT_EQ(count(s("select count(*) from 抄表管理")), 0);
    EXPECT_TRUE(listed_accounts().isEmpty());
}

TEST_F(MonthlyPage, CommitRefusesAnEmptyOrNegativeBatchAndCancelChangesNothing) {
    ui.expect_box(s("没有抄表数据。"));
    page->on_main_commit_monthly_readings_click();

    add_pending(s("000101"), s("0001"), 100, 110);
    add_pending(s("000201"), s("0002"), 200, 199.5);
    ui.expect_box(s("待入库的抄表用量不能为负值。"));
    page->on_main_commit_monthly_readings_click();
    EXPECT_EQ(listed_accounts(), QStringList{s("000201")});
    EXPECT_EQ(count(s("select count(*) from 抄表总表")), 0);

    exec(s("delete from 抄表管理 where 户号='000201'"));
    ui.expect_box(s("确定要把月抄表数据加入到抄表总数据中吗？\r\n该操作不可逆请慎用！"),
                  MsgResult::Cancel);
    page->on_main_commit_monthly_readings_click();
    EXPECT_EQ(ui.boxes().back().icon, platform::MsgIcon::Question);
    EXPECT_EQ(ui.boxes().back().caption, s("提示信息"));
    EXPECT_EQ(count(s("select count(*) from 抄表总表")), 0);
    EXPECT_EQ(count(s("select count(*) from 抄表管理")), 1);

    shell::current_operator = s("张三");
    ui.expect_box(s("您没有取得授权！"));
    page->on_main_commit_monthly_readings_click();
}

TEST_F(MonthlyPage, TheMoveCopiesEveryColumnInBatchOrder) {
    add_pending(s("000201"), s("0002"), 200, 210.25, s("水费"), s("居民"), s("2024-3-4"), 2.75);
    add_pending(s("000101"), s("0001"), 100, 110);
    qint64 moved = 0;
    QString error;
    ASSERT_TRUE(reading::move_batch_to_history(db(), &moved, &error)) << error.toStdString();
    EXPECT_EQ(moved, 2);
    EXPECT_EQ(
        rows(s("select 户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,抄表人员,价格,"
               "是否收费,收据号,流水号 from 抄表总表 order by 编号")),
        (QList<QStringList>{
            {s("000201"), s("0002"), s("200"), s("210.25"), s("10.25"), s("0"), s("2024-03-04"),
             s("水费"), s("居民"), s("张三"), s("2.75"), s("0"), s(""), s("")},
            {s("000101"), s("0001"), s("100"), s("110"), s("10"), s("0"), s("2024-03-05"),
             s("水费"), s("居民"), s("张三"), s("2.5"), s("0"), s(""), s("")}}));
}

}  // namespace
