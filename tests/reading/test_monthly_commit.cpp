// The month's commit with the charge engine: the batch becomes history and every household is
// billed fee item by fee item, with the bills the engine's own cases predict; a failing
// household stops its fee item only; a failed move bills nothing of the batch; committing
// again never bills a reading twice.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>

#include "harness/busy_watch.h"
#include "harness/refused_transactions.h"
#include "harness/units.h"
#include "reading/monthly_commit.h"
#include "reading/monthly_reading_page.h"
#include "reading_fixture.h"

using namespace reading_test;
using platform::MsgResult;

namespace {

class MonthlyCommit : public ReadingTest {
protected:
    void SetUp() override {
        ReadingTest::SetUp();
        // 甲 has a water and an electricity meter, 乙 a water meter. Water 居民 at 2.5 with a
        // sewage surcharge of 0.8 per unit; electricity 照明 at 0.6.
        add_water_household(s("0001"), s("甲"), 1, 100);
        Meter power;
        power.number = s("000102");
        power.household = s("0001");
        power.item = s("电费");
        power.category = s("照明");
        power.order = 2;
        add_meter(power);
        add_water_household(s("0002"), s("乙"), 3, 200);
        exec(
            s("insert into 附加费 (附加费名称,价格,计费方式,水价类别,收费项目) values "
              "('污水费',0.8,'按用量','居民','水费')"));
        page = std::make_unique<reading::MonthlyReadingPage>();
    }
    void TearDown() override {
        page.reset();
        ReadingTest::TearDown();
    }
    void month_of_three() {
        add_pending(s("000101"), s("0001"), 100, 120);  // 20 m3: 50 + 16
        add_pending(s("000102"), s("0001"), 0, 30, s("电费"), s("照明"), s("2024-3-4"), 0.6);  // 18
        add_pending(s("000201"), s("0002"), 200, 208);  // 8 m3: 20 + 6.4
    }
    void commit(const QStringList& after_question) {
        ui.expect_box(s("确定要把月抄表数据加入到抄表总数据中吗？"), MsgResult::Ok);
        for (const QString& text : after_question) ui.expect_box(text);
        page->on_main_commit_monthly_readings_click();
    }
    QList<QStringList> bills() {
        return rows(
            s("select 户号,收据号,收费项目,价格类别,实收量,价格,附加费金额,应收金额,实收金额,"
              "收费标志,收费人员,抄表日期 from 总收费 order by 收据号"));
    }

    std::unique_ptr<reading::MonthlyReadingPage> page;
};

TEST_F(MonthlyCommit, BillsEveryHouseholdFeeItemByFeeItem) {
    month_of_three();
    commit({s("操作成功！")});
    EXPECT_EQ(count(s("select count(*) from 抄表管理")), 0);
    // Fee items in 编号 order (物业, 电费, 水费), households in the order found.
    EXPECT_EQ(bills(), (QList<QStringList>{
                           {s("0001"), s("1000000001"), s("电费"), s("照明"), s("30"), s("0.6"),
                            s("0"), s("18"), s("18"), s("1"), s("未知"), s("2024-03-04")},
                           {s("0001"), s("1000000002"), s("水费"), s("居民"), s("20"), s("2.5"),
                            s("16"), s("66"), s("66"), s("1"), s("未知"), s("2024-03-05")},
                           {s("0002"), s("1000000003"), s("水费"), s("居民"), s("8"), s("2.5"),
                            s("6.4"), s("26.4"), s("26.4"), s("1"), s("未知"), s("2024-03-05")}}));
    EXPECT_EQ(rows(s("select 户号,是否收费,收据号,实收量 from 抄表总表 order by 编号")),
              (QList<QStringList>{{s("000101"), s("1"), s("1000000002"), s("20")},
                                  {s("000102"), s("1"), s("1000000001"), s("30")},
                                  {s("000201"), s("1"), s("1000000003"), s("8")}}));
    EXPECT_EQ(rows(s("select 户号,附加费名称,用量,金额,收据号 from 月附加费 order by 收据号")),
              (QList<QStringList>{{s("0001"), s("污水费"), s("20"), s("16"), s("1000000002")},
                                  {s("0002"), s("污水费"), s("8"), s("6.4"), s("1000000003")}}));

    // Nothing is left to commit, and a later month bills only its own reading.
    ui.expect_box(s("没有抄表数据。"));
    page->on_main_commit_monthly_readings_click();
    add_pending(s("000201"), s("0002"), 208, 210, s("水费"), s("居民"), s("2024-4-5"));
    commit({s("操作成功！")});
    EXPECT_EQ(count(s("select count(*) from 总收费")), 4);
    EXPECT_EQ(value(s("select 应收金额 from 总收费 where 收据号=1000000004")), s("6.6"));
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 是否收费=0")), 0);
    EXPECT_EQ(count(s("select count(distinct 收据号) from 抄表总表")), 4);
}

TEST_F(MonthlyCommit, AFailedMoveLeavesTheBatchWholeAndNothingBilled) {
    month_of_three();
    raw_exec(
        "CREATE TRIGGER hold_batch BEFORE DELETE ON 抄表管理 "
        "BEGIN SELECT RAISE(ABORT,'batch is locked'); END");
    commit({s("batch is locked")});
    EXPECT_EQ(ui.boxes().back().icon, platform::MsgIcon::None);
    EXPECT_EQ(count(s("select count(*) from 抄表管理")), 3);
    EXPECT_EQ(count(s("select count(*) from 抄表总表")), 0);
    EXPECT_EQ(count(s("select count(*) from 总收费")), 0);
    EXPECT_EQ(count(s("select count(*) from 月附加费")), 0);

    raw_exec("DROP TRIGGER hold_batch");
    commit({s("操作成功！")});
    EXPECT_EQ(count(s("select count(*) from 抄表总表")), 3);
    EXPECT_EQ(count(s("select count(*) from 总收费")), 3);
    EXPECT_EQ(platform::listview_row_count(page->monthly_list()), 0);
}

TEST_F(MonthlyCommit, AFailingHouseholdStopsItsFeeItemAndIsBilledByTheNextCommit) {
    month_of_three();
    raw_exec(
        "CREATE TRIGGER refuse_0001_water BEFORE INSERT ON 总收费 "
        "WHEN new.户号='0001' AND new.收费项目='水费' "
        "BEGIN SELECT RAISE(ABORT,'disk is full'); END");
    // The batch moved, but a fee item failed: the commit is not told as a success.
    ui.expect_box(s("确定要把月抄表数据加入到抄表总数据中吗？"), MsgResult::Ok)
        .expect_box(s("disk is full"))
        .expect_box(s("insert into 总收费"))
        .expect_box(s("生成数据有错误!"));
    page->on_main_commit_monthly_readings_click();
    EXPECT_EQ(ui.boxes()[3].icon, platform::MsgIcon::Information);
    EXPECT_EQ(ui.boxes().size(), 4u);
    // Electricity went through; water stopped at 甲, so 乙 was not reached either.
    EXPECT_EQ(rows(s("select 户号,收费项目 from 总收费")),
              (QList<QStringList>{{s("0001"), s("电费")}}));
    EXPECT_EQ(count(s("select count(*) from 月附加费")), 0);
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 是否收费=0")), 2);

    raw_exec("DROP TRIGGER refuse_0001_water");
    add_pending(s("000101"), s("0001"), 120, 121, s("水费"), s("居民"), s("2024-4-1"));
    commit({s("操作成功！")});
    // The left-over readings are billed with the new one, each once.
    EXPECT_EQ(rows(s("select 户号,收费项目,实收量,应收金额 from 总收费 order by 收据号")),
              (QList<QStringList>{{s("0001"), s("电费"), s("30"), s("18")},
                                  {s("0001"), s("水费"), s("21"), s("69.3")},
                                  {s("0002"), s("水费"), s("8"), s("26.4")}}));
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 是否收费=0")), 0);
}

// The move and the billing are kept together or not at all: a commit that cannot begin, or
// whose end cannot be written (a full disk), leaves the batch pending and nothing billed,
// says so with the database's text and never "操作成功！"; the next commit does the month once.
TEST_F(MonthlyCommit, ACommitThatIsNotKeptLeavesTheBatchPendingAndSaysWhy) {
    month_of_three();
    for (const char* refused : {"BEGIN", "COMMIT"}) {
        SCOPED_TRACE(refused);
        {
            harness::RefusedTransactions fault(db(), refused);
            commit({s("not authorized")});
        }
        EXPECT_EQ(ui.boxes().back().icon, platform::MsgIcon::None);
        EXPECT_EQ(count(s("select count(*) from 抄表管理")), 3);
        EXPECT_EQ(count(s("select count(*) from 抄表总表")), 0);
        EXPECT_EQ(count(s("select count(*) from 总收费")), 0);
        EXPECT_EQ(count(s("select count(*) from 月附加费")), 0);
    }
    commit({s("操作成功！")});
    EXPECT_EQ(count(s("select count(*) from 抄表管理")), 0);
    EXPECT_EQ(count(s("select count(*) from 总收费")), 3);
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 是否收费=1")), 3);
}

// The commit's households come from the unbilled readings alone, through their own index, so
// a year of billed history adds nothing to finding them.
TEST_F(MonthlyCommit, HouseholdsToBillAreFoundWithoutReadingTheHistory) {
    for (const char* zero : {"关闭", "开启"}) {
        QString plan;
        for (const QStringList& row :
             rows(s("EXPLAIN QUERY PLAN select distinct 抄表总表.父号 from 抄表总表 where "
                    "是否收费=0 ") +
                  (s(zero) == s("关闭") ? s("and 用量>0 ") : QString()) +
                  s("and 父号<>'0' and 收费项目='水费'")))
            plan += row.join(u' ') + u'\n';
        EXPECT_TRUE(plan.contains(s("抄表总表_未收费"))) << plan.toStdString();
    }
}

TEST_F(MonthlyCommit, ReductionsRunBeforeTheEngineAndZeroUsageFollowsTheFeeItem) {
    month_of_three();
    // 乙 is fully reduced: its reading is covered by a reduction record and gets no bill.
    exec(s(
        "insert into 减免设置 (户号,减免方式,减免期限,减免类型,减免金额,减免用量,减免次数) values "
        "('0002','全部减免','永久','按金额',0,0,0)"));
    // A zero reading of 甲's electricity is not billed while 电费 bills no zero usage.
    exec(s("delete from 抄表管理 where 户号='000102'"));
    add_pending(s("000102"), s("0001"), 30, 30, s("电费"), s("照明"), s("2024-3-4"), 0.6);
    reading::CommitOutcome out;
    {
        std::vector<QString> shown;
        reading::CommitHooks hooks;
        hooks.show = [&](const QString& text, bool) { shown.push_back(text); };
        out = reading::commit_month(db(), context(), hooks);
        EXPECT_TRUE(shown.empty());
    }
    EXPECT_TRUE(out.moved);
    EXPECT_EQ(out.rows_moved, 3);
    EXPECT_EQ(out.reductions_applied, 1);
    EXPECT_EQ(out.bills_written, 1);
    EXPECT_EQ(rows(s("select 户号,收费项目 from 总收费")),
              (QList<QStringList>{{s("0001"), s("水费")}}));
    EXPECT_EQ(value(s("select 是否收费 from 抄表总表 where 户号='000201'")), s("1"));
    EXPECT_EQ(value(s("select 是否收费 from 抄表总表 where 户号='000102'")), s("0"));

    EXPECT_EQ(reading::households_to_bill(db(), s("电费"), s("开启"), s("实际用量模式")),
              QStringList());
    EXPECT_EQ(reading::households_to_bill(db(), s("电费"), s("开启"), s("基本用量模式")),
              QStringList{s("0001")});
}

TEST_F(MonthlyCommit, TheBarMovesByHouseholdAndASecondClickDoesNotCommitAgain) {
    month_of_three();
    page->show();
    QPushButton* button = harness::unit<QPushButton>(page.get(), "月抄表6");
    harness::BusyWatch watch;
    watch.on_first_paint([button] { harness::post_click(button); });
    commit({s("操作成功！")});
    QCoreApplication::processEvents();

    EXPECT_EQ(ui.boxes().size(), 2u);  // nothing of a second commit ("没有抄表数据。")
    EXPECT_EQ(count(s("select count(*) from 总收费")), 3);
    EXPECT_EQ(watch.painted_maximum(), 2);  // the two households of 水费
    EXPECT_TRUE(button->isEnabled());
}

}  // namespace
