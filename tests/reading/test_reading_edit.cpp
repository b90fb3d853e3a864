// Correction and deletion of committed readings, with the month billed again by the engine.
#include <gtest/gtest.h>

#include "reading/reading_edit.h"
#include "reading_fixture.h"
#include "tariffs/charge_engine.h"

namespace reading_test {
namespace {

class ReadingEditTest : public ReadingTest {
protected:
    void SetUp() override {
        ReadingTest::SetUp();
        add_water_household(s("0001"), s("甲"), 1);
        // Two meter accounts of one household: one bill covers both readings.
        Meter second;
        second.number = s("000102");
        second.household = s("0001");
        add_meter(second);
        add_history(s("000101"), s("0001"), 0, 10, s("2024-3-1"), s("水费"), s("居民"), 0);
        add_history(s("000102"), s("0001"), 0, 4, s("2024-3-2"), s("水费"), s("居民"), 0);
        const auto billed = tariffs::generate_household_charges(
            db(), s("0001"), tariffs::fee_item_switches(db(), s("水费")), context());
        ASSERT_TRUE(billed.ok());
        bill = billed.bill_number;
        ASSERT_GT(bill, 0);
    }
    qint64 id_of(const QString& account) {
        return value(s("select 编号 from 抄表总表 where 户号='") + account + u'\'').toLongLong();
    }
    qint64 bill = 0;
};

TEST_F(ReadingEditTest, SetupBillsBothReadingsInOneBill) {
    EXPECT_EQ(rows(s("select 应收金额 from 总收费 where 标志=1")), (QList<QStringList>{{s("35")}}));
    EXPECT_EQ(value(s("select count(*) from 抄表总表 where 是否收费=1 and 收据号=") +
                    QString::number(bill)),
              s("2"));
}

TEST_F(ReadingEditTest, CorrectionRebillsTheMonthPerMeterAccount) {
    const auto r = reading::load_edited_reading(db(), id_of(s("000101")));
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.name, s("甲"));
    EXPECT_EQ(r.bill_number, bill);
    EXPECT_EQ(r.date, QDate(2024, 3, 1));
    const auto outcome = reading::correct_reading(db(), 0, 20, 0, QDate(2024, 3, 3), context());
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.message, s("修改成功！"));
    // The household's bill is gone; each meter account is billed again on its own (the rebill's
    // bills carry the meter-account number): 20 * 2.5 and 4 * 2.5.
    EXPECT_EQ(rows(s("select 户号,应收金额,收费人员,收费标志 from 总收费 order by 户号")),
              (QList<QStringList>{{s("000101"), s("50"), s("未知"), s("1")},
                                  {s("000102"), s("10"), s("未知"), s("1")}}));
    EXPECT_EQ(rows(s("select 起方,止方,用量,抄表日期,是否收费 from 抄表总表 where 户号='000101'")),
              (QList<QStringList>{{s("0"), s("20"), s("20"), s("2024-03-03"), s("1")}}));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='抄表修改'")),
              s("修改抄表库户号：000101的抄表内容； 起数：0 止数：20 以前起数：0止数：10"));
}

TEST_F(ReadingEditTest, CorrectionComputesTheLossOfTheExactUsage) {
    set_loss(s("水费"), s("开启"), s("百分位"));
    exec(s("update 水价类别 set 电损率=10 where 水价类别='居民'"));
    reading::load_edited_reading(db(), id_of(s("000101")));
    const auto computed = reading::edit_usage_and_loss(db(), 0, 10.6, 99);
    EXPECT_DOUBLE_EQ(computed.usage, 10.6);
    EXPECT_DOUBLE_EQ(computed.loss, 1.06);
    set_loss(s("水费"), s("关闭"), s("百分位"));
    EXPECT_DOUBLE_EQ(reading::edit_usage_and_loss(db(), 0, 10.6, 99).loss, 99);
}

TEST_F(ReadingEditTest, EndBelowStartIsRefusedAndNothingChanges) {
    reading::load_edited_reading(db(), id_of(s("000101")));
    const auto outcome = reading::correct_reading(db(), 10, 5, 0, QDate(2024, 3, 1), context());
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, s("止数减起度不能小于0！"));
    EXPECT_EQ(value(s("select 止方 from 抄表总表 where 户号='000101'")), s("10"));
    EXPECT_EQ(value(s("select count(*) from 总收费")), s("1"));
}

TEST_F(ReadingEditTest, AFailedUpdateIsReportedAndChangesNothing) {
    reading::load_edited_reading(db(), id_of(s("000101")));
    raw_exec("create trigger refuse before update on 抄表总表 begin select raise(abort,'no'); end");
    const auto outcome = reading::correct_reading(db(), 0, 20, 0, QDate(2024, 3, 1), context());
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.message.startsWith(s("修改失败！"))) << outcome.message.toStdString();
    EXPECT_EQ(value(s("select count(*) from 日志管理 where 当前项目='抄表修改'")), s("0"));
    EXPECT_EQ(rows(s("select 收据号,应收金额 from 总收费")),
              (QList<QStringList>{{QString::number(bill), s("35")}}));
}

TEST_F(ReadingEditTest, AFailedRebillLeavesTheReadingAndItsBillAsTheyWere) {
    reading::load_edited_reading(db(), id_of(s("000101")));
    raw_exec("create trigger refuse before insert on 总收费 begin select raise(abort,'full'); end");
    const auto outcome = reading::correct_reading(db(), 0, 20, 0, QDate(2024, 3, 1), context());
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.message.startsWith(s("修改失败！")));
    EXPECT_EQ(value(s("select 止方 from 抄表总表 where 户号='000101'")), s("10"));
    EXPECT_EQ(rows(s("select 收据号,应收金额 from 总收费")),
              (QList<QStringList>{{QString::number(bill), s("35")}}));
}

TEST_F(ReadingEditTest, PaidAndPropertyReadingsAreRefused) {
    const qint64 id = id_of(s("000101"));
    EXPECT_EQ(reading::reading_edit_refusal(db(), id), s(""));
    exec(s("update 总收费 set 收费标志=0"));
    EXPECT_TRUE(reading::reading_is_paid(db(), id));
    EXPECT_EQ(reading::reading_edit_refusal(db(), id), s("该条抄表记录已经收费不能修改！"));
    EXPECT_EQ(reading::delete_reading(db(), id, context()).message,
              s("该条抄表记录已经收费不能删除！"));
    exec(s("update 总收费 set 标志=0"));  // a void bill does not count as paid
    EXPECT_FALSE(reading::reading_is_paid(db(), id));
    exec(s("update 抄表总表 set 收费项目='物业' where 编号=") + QString::number(id));
    EXPECT_TRUE(reading::reading_edit_refusal(db(), id).startsWith(s("当收费项目为【物业】")));
}

TEST_F(ReadingEditTest, DeletionTakesTheUnpaidBillAndReturnsTheOtherReadingToUnbilled) {
    const qint64 id = id_of(s("000101"));
    const auto target = reading::reading_delete_target(db(), id);
    ASSERT_TRUE(target.found);
    EXPECT_EQ(target.meter, s("000101"));
    EXPECT_EQ(target.name, s("甲"));
    const auto outcome = reading::delete_reading(db(), id, context());
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.message, s("删除成功！"));
    EXPECT_EQ(value(s("select count(*) from 总收费")), s("0"));
    EXPECT_EQ(rows(s("select 户号,是否收费 from 抄表总表")),
              (QList<QStringList>{{s("000102"), s("0")}}));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='抄表删除'")), s("户号：000101"));
}

TEST_F(ReadingEditTest, AFailedDeletionChangesNothing) {
    raw_exec("create trigger refuse before delete on 总收费 begin select raise(abort,'no'); end");
    const auto outcome = reading::delete_reading(db(), id_of(s("000101")), context());
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, s("删除失败！"));
    EXPECT_EQ(value(s("select count(*) from 抄表总表")), s("2"));
}

TEST_F(ReadingEditTest, DeletingAReadingAlreadyGoneStillSucceeds) {
    // A stale list still shows a deleted reading; only a failing statement is a failure.
    const qint64 id = id_of(s("000101"));
    ASSERT_TRUE(reading::delete_reading(db(), id, context()).ok);
    const auto again = reading::delete_reading(db(), id, context());
    EXPECT_TRUE(again.ok);
    EXPECT_EQ(again.message, s("删除成功！"));
    EXPECT_EQ(rows(s("select 户号,是否收费 from 抄表总表")),
              (QList<QStringList>{{s("000102"), s("0")}}));
}

}  // namespace
}  // namespace reading_test
