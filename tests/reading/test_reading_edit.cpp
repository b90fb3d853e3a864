// Correction and deletion of committed readings, with the month billed again by the engine.
#include <gtest/gtest.h>

#include <ostream>

#include "reading/monthly_commit.h"
#include "reading/reading_edit.h"
#include "reading/reading_edit_window.h"
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
    // Every row a correction or a deletion could touch.
    QList<QStringList> touched_rows() {
        QList<QStringList> out;
        for (const char* table : {"总收费", "抄表总表", "月附加费", "减免明细", "日志管理"}) {
            out << QStringList{s(table)};
            out += rows(s("select * from ") + s(table) + s(" order by rowid"));
        }
        return out;
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

TEST_F(ReadingEditTest, CorrectionBillsTheHouseholdAsTheCommitDoes) {
    const auto r = reading::load_edited_reading(db(), id_of(s("000101")));
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.name, s("甲"));
    EXPECT_EQ(r.bill_number, bill);
    EXPECT_EQ(r.date, QDate(2024, 3, 1));
    // The bar counts the households billed, fee item by fee item: one household of 水费.
    int maxima = 0, steps = 0;
    reading::CommitHooks progress;
    progress.progress_maximum = [&](int households) { maxima += households; };
    progress.progress_step = [&] { ++steps; };
    const auto outcome =
        reading::correct_reading(db(), r, 0, 20, 0, QDate(2024, 3, 3), context(), progress);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.message, s("修改成功！"));
    EXPECT_EQ(maxima, 1);
    EXPECT_EQ(steps, 1);
    // The household's bill is replaced by one bill of the household over both meter accounts,
    // as the month's commit writes it: 20 * 2.5 + 4 * 2.5.
    EXPECT_EQ(rows(s("select 户号,应收金额,实收量,收费人员,收费标志 from 总收费 order by 户号")),
              (QList<QStringList>{{s("0001"), s("60"), s("24"), s("未知"), s("1")}}));
    EXPECT_EQ(value(s("select count(distinct 收据号) from 抄表总表 where 是否收费=1")), s("1"));
    EXPECT_EQ(rows(s("select 起方,止方,用量,抄表日期,是否收费 from 抄表总表 where 户号='000101'")),
              (QList<QStringList>{{s("0"), s("20"), s("20"), s("2024-03-03"), s("1")}}));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='抄表修改'")),
              s("修改抄表库户号：000101的抄表内容； 起数：0 止数：20 以前起数：0止数：10"));
}

TEST_F(ReadingEditTest, CorrectionComputesTheLossOfTheExactUsage) {
    set_loss(s("水费"), s("开启"), s("百分位"));
    exec(s("update 水价类别 set 电损率=10 where 水价类别='居民'"));
    const auto r = reading::load_edited_reading(db(), id_of(s("000101")));
    const auto computed = reading::edit_usage_and_loss(db(), r, 0, 10.6, 99);
    EXPECT_DOUBLE_EQ(computed.usage, 10.6);
    EXPECT_DOUBLE_EQ(computed.loss, 1.06);
    set_loss(s("水费"), s("关闭"), s("百分位"));
    EXPECT_DOUBLE_EQ(reading::edit_usage_and_loss(db(), r, 0, 10.6, 99).loss, 99);
}

TEST_F(ReadingEditTest, EndBelowStartIsRefusedAndNothingChanges) {
    const auto r = reading::load_edited_reading(db(), id_of(s("000101")));
    const auto outcome = reading::correct_reading(db(), r, 10, 5, 0, QDate(2024, 3, 1), context());
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, s("止数减起度不能小于0！"));
    EXPECT_EQ(value(s("select 止方 from 抄表总表 where 户号='000101'")), s("10"));
    EXPECT_EQ(value(s("select count(*) from 总收费")), s("1"));
}

TEST_F(ReadingEditTest, AFailedUpdateIsReportedAndChangesNothing) {
    const auto r = reading::load_edited_reading(db(), id_of(s("000101")));
    raw_exec("create trigger refuse before update on 抄表总表 begin select raise(abort,'no'); end");
    const auto outcome = reading::correct_reading(db(), r, 0, 20, 0, QDate(2024, 3, 1), context());
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.message.startsWith(s("修改失败！"))) << outcome.message.toStdString();
    EXPECT_EQ(value(s("select count(*) from 日志管理 where 当前项目='抄表修改'")), s("0"));
    EXPECT_EQ(rows(s("select 收据号,应收金额 from 总收费")),
              (QList<QStringList>{{QString::number(bill), s("35")}}));
}

TEST_F(ReadingEditTest, AFailedRebillLeavesTheReadingAndItsBillAsTheyWere) {
    const auto r = reading::load_edited_reading(db(), id_of(s("000101")));
    raw_exec("create trigger refuse before insert on 总收费 begin select raise(abort,'full'); end");
    const auto outcome = reading::correct_reading(db(), r, 0, 20, 0, QDate(2024, 3, 1), context());
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
    EXPECT_EQ(reading::delete_reading(db(), id, bill, context()).message,
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
    EXPECT_EQ(target.bill_number, bill);
    const auto outcome = reading::delete_reading(db(), id, target.bill_number, context());
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.message, s("删除成功！"));
    EXPECT_EQ(value(s("select count(*) from 总收费")), s("0"));
    EXPECT_EQ(rows(s("select 户号,是否收费 from 抄表总表")),
              (QList<QStringList>{{s("000102"), s("0")}}));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='抄表删除'")), s("户号：000101"));
}

TEST_F(ReadingEditTest, AFailedDeletionChangesNothing) {
    raw_exec("create trigger refuse before delete on 总收费 begin select raise(abort,'no'); end");
    const auto outcome = reading::delete_reading(db(), id_of(s("000101")), bill, context());
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, s("删除失败！"));
    EXPECT_EQ(value(s("select count(*) from 抄表总表")), s("2"));
}

TEST_F(ReadingEditTest, DeletingAReadingAlreadyGoneStillSucceeds) {
    // A stale list still shows a deleted reading; only a failing statement is a failure.
    const qint64 id = id_of(s("000101"));
    ASSERT_TRUE(reading::delete_reading(db(), id, bill, context()).ok);
    const auto again = reading::delete_reading(db(), id, bill, context());
    EXPECT_TRUE(again.ok);
    EXPECT_EQ(again.message, s("删除成功！"));
    EXPECT_EQ(rows(s("select 户号,是否收费 from 抄表总表")),
              (QList<QStringList>{{s("000102"), s("0")}}));
}

// Another seat takes the payment of the bill between the load and the save: on a connection of
// its own to the same file, as a second program would. The save and the deletion then meet a
// paid bill inside their own transaction and refuse, leaving every row as it was.
TEST_F(ReadingEditTest, ABillPaidAtAnotherSeatMeanwhileRefusesTheSaveAndTheDeletion) {
    const qint64 id = id_of(s("000101"));
    ASSERT_EQ(reading::reading_edit_refusal(db(), id), s(""));  // unpaid when the window opens
    const auto loaded = reading::load_edited_reading(db(), id);
    const auto target = reading::reading_delete_target(db(), id);
    {
        platform::Connection seat;
        ASSERT_TRUE(platform::db_open_access_file(seat, store::main_database_path()));
        platform::Transaction payment(seat);
        ASSERT_TRUE(payment.active());
        const QString N = QString::number(bill);
        ASSERT_TRUE(platform::db_execute(
            seat, s("update 总收费 set 收费标志=0,流水号=1000000001,收费人员='李四',实收金额=35 "
                    "where 收费标志=1 and 收据号=") +
                      N));
        ASSERT_TRUE(platform::db_execute(
            seat, s("update 抄表总表 set 流水号=1000000001 where 收据号=") + N));
        ASSERT_TRUE(payment.commit());
        platform::db_close(seat);
    }
    const QList<QStringList> paid = touched_rows();

    const auto saved =
        reading::correct_reading(db(), loaded, 0, 20, 0, QDate(2024, 3, 3), context());
    EXPECT_FALSE(saved.ok);
    EXPECT_TRUE(saved.refused);
    EXPECT_EQ(saved.message, s("该条抄表记录已经收费不能修改！"));
    EXPECT_EQ(touched_rows(), paid);

    const auto deleted = reading::delete_reading(db(), id, target.bill_number, context());
    EXPECT_FALSE(deleted.ok);
    EXPECT_TRUE(deleted.refused);
    EXPECT_EQ(deleted.message, s("该条抄表记录已经收费不能删除！"));
    EXPECT_EQ(touched_rows(), paid);
}

// Another seat corrected the other reading of the bill meanwhile, so the bill the window loaded
// is gone and both readings are billed under a new number: the stale save and deletion are
// refused rather than removing the new bill on the strength of the old one.
TEST_F(ReadingEditTest, AReadingBilledAgainMeanwhileIsRefusedAsChanged) {
    const qint64 id = id_of(s("000101"));
    const auto loaded = reading::load_edited_reading(db(), id);
    const auto other = reading::load_edited_reading(db(), id_of(s("000102")));
    ASSERT_TRUE(reading::correct_reading(db(), other, 0, 6, 0, QDate(2024, 3, 2), context()).ok);
    const QList<QStringList> after_other = touched_rows();
    ASSERT_NE(value(s("select 收据号 from 抄表总表 where 编号=") + QString::number(id)),
              QString::number(bill));

    const auto saved =
        reading::correct_reading(db(), loaded, 0, 20, 0, QDate(2024, 3, 3), context());
    EXPECT_TRUE(saved.refused);
    EXPECT_EQ(saved.message, reading::kReadingChanged);
    const auto deleted = reading::delete_reading(db(), id, bill, context());
    EXPECT_TRUE(deleted.refused);
    EXPECT_EQ(deleted.message, reading::kReadingChanged);
    EXPECT_EQ(touched_rows(), after_other);
}

// A correction to the values a reading already has writes the bill it replaced: every column
// but the numbers, its surcharge lines, its reduction record and its readings' billing marks,
// with the household's reductions kept. The household has two meter accounts, so the bill
// covers two readings.
struct SameValuesCase {
    const char* name;
    std::vector<const char*> seed;  // statements run before the commit
    bool carry_over = false;        // 个人帐户 开启
};

const SameValuesCase kSameValues[] = {
    {"reduction_by_amount",
     {"insert into 减免设置 (户号,减免方式,减免期限,减免金额,减免类型) values "
      "('0001','部分减免','永久',3,'按金额')"}},
    {"reduction_by_quantity_over_two_readings",
     {"insert into 减免设置 (户号,减免方式,减免期限,减免用量,减免类型) values "
      "('0001','部分减免','永久',12,'按用量')"}},
    {"count_limited_reduction_granted_once",
     {"insert into 减免设置 (户号,减免方式,减免期限,减免金额,减免次数,减免类型) values "
      "('0001','部分减免','次数',4,1,'按金额')"}},
    {"surcharges_and_carry_over",
     {"insert into 附加费 (附加费名称,价格,计费方式,水价类别,收费项目) values "
      "('污水费',0.8,'按用量','居民','水费')",
      "insert into 附加费 (附加费名称,价格,计费方式,水价类别,收费项目) values "
      "('垃圾费',2,'固定','居民','水费')",
      "insert into 总收费 (户号,收据号,流水号,标志,收费标志,本月接转) values "
      "('0001',5,5,1,0,0.3)"},
     true},
};

class CorrectionToTheSameValues : public ReadingTest,
                                  public ::testing::WithParamInterface<SameValuesCase> {
protected:
    // What the engine wrote, every column but the bill number and the serial.
    struct Billed {
        QList<QStringList> bills, lines, reductions, readings;
    };
    Billed billed() {
        const QString bills = s("where 收据号>1000 order by rowid");
        return {
            rows(s("select 户号,发票号,标志,收费标志,收费项目,价格类别,抄表人员,抄表日期,收费日期,"
                   "收费人员,实收量,价格,水费金额,附加费金额,成本金额,差额,应收金额,减免金额,"
                   "减免用量,上月接转,本月接转,实收金额,预存扣款,滞纳金,水损 from 总收费 ") +
                 bills),
            rows(s("select 户号,附加费名称,用量,价格,金额,收费日期,收费标志,收费项目,价格类别 "
                   "from 月附加费 ") +
                 bills),
            rows(s("select 户号,减免金额,减免用量,抄表ID,减免日期,减免类型 from 减免明细 ") +
                 bills),
            rows(s("select 编号,是否收费,价格,实收量 from 抄表总表 order by 编号"))};
    }
};

TEST_P(CorrectionToTheSameValues, WritesTheBillItReplaced) {
    add_water_household(s("0001"), s("甲"), 1);
    Meter second;
    second.number = s("000102");
    second.household = s("0001");
    add_meter(second);
    for (const char* statement : GetParam().seed) exec(s(statement));
    if (GetParam().carry_over) shell::system_parameters.personal_account = s("开启");
    add_pending(s("000101"), s("0001"), 0, 10);
    add_pending(s("000102"), s("0001"), 0, 4);
    const reading::CommitOutcome commit = reading::commit_month(db(), context());
    ASSERT_EQ(commit.bills_written, 1);
    const Billed committed = billed();
    ASSERT_EQ(committed.bills.size(), 1);

    const qint64 id = value(s("select 编号 from 抄表总表 where 户号='000101'")).toLongLong();
    const auto r = reading::load_edited_reading(db(), id);
    const auto outcome =
        reading::correct_reading(db(), r, r.start, r.end, r.loss, r.date, context());
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    const Billed corrected = billed();
    EXPECT_EQ(corrected.bills, committed.bills);
    EXPECT_EQ(corrected.lines, committed.lines);
    EXPECT_EQ(corrected.reductions, committed.reductions);
    EXPECT_EQ(corrected.readings, committed.readings);
    EXPECT_NE(value(s("select 收据号 from 总收费 where 户号='0001' and 收据号>1000")),
              QString::number(r.bill_number));
}

INSTANTIATE_TEST_SUITE_P(Cases, CorrectionToTheSameValues, ::testing::ValuesIn(kSameValues),
                         [](const auto& info) { return std::string(info.param.name); });

// The meter account changed after its reading was billed. The usage comes from the account's
// 倍率 and the loss from the reading's own price category (居民, loss rate 10), whatever the
// account's category is now (商业, loss rate 20): a correction to the same values keeps the
// reading's usage and loss and the bill as billed, and the window shows that usage. Without the
// meter account the correction is refused and nothing changes.
struct AccountChangeCase {
    const char* name;
    int multiplier;
    const char* category;             // of the account and its reading when billed
    std::vector<const char*> change;  // statements after the billing
    const char* usage;                // the window's 用量; empty when refused
};

const AccountChangeCase kAccountChanges[] = {
    {"category_changed_after_billing",
     1,
     "居民",
     {"update 用户表管理 set 价格类别='商业' where 户号='000101'"},
     "10"},
    {"multiplier_of_two",
     2,
     "居民",
     {"update 用户表管理 set 价格类别='商业' where 户号='000101'"},
     "20"},
    {"mixed_use_reading_of_an_account_no_longer_mixed",
     1,
     "混合用水",
     {"update 用户表管理 set 价格类别='居民' where 户号='000101'"},
     "10"},
    {"account_removed", 1, "居民", {"delete from 用户表管理 where 户号='000101'"}, ""},
};

void PrintTo(const AccountChangeCase& c, std::ostream* os) { *os << c.name; }

class CorrectionAfterAnAccountChange : public ReadingTest,
                                       public ::testing::WithParamInterface<AccountChangeCase> {
protected:
    // Money and quantities of every bill and reading, the numbers left out.
    QList<QStringList> money() {
        return rows(s("select 户号,收费项目,价格类别,标志,收费标志,实收量,价格,水费金额,附加费金额,"
                      "应收金额,上月接转,本月接转,实收金额 from 总收费 order by 户号,收费项目")) +
               rows(s("select 编号,起方,止方,用量,水损,价格类别,是否收费,价格,实收量 from 抄表总表 "
                      "order by 编号"));
    }
};

TEST_P(CorrectionAfterAnAccountChange, KeepsTheUsageOrIsRefused) {
    const AccountChangeCase& c = GetParam();
    set_loss(s("水费"), s("开启"), s("百分位"));
    exec(s("update 水价类别 set 电损率=10 where 水价类别='居民'"));
    add_category(s("水费"), s("商业"), 4, 20);
    add_category(s("水费"), s("混合用水"), 0, 10);
    add_category(s("水费"), s("甲类"), 2, 0);
    exec(s("insert into 混合用水 (户号,价格类别,百分比值) values ('000101','居民',50)"));
    exec(s("insert into 混合用水 (户号,价格类别,百分比值) values ('000101','甲类',50)"));
    add_household(s("0001"), s("甲"));
    Meter m;
    m.number = s("000101");
    m.household = s("0001");
    m.category = s(c.category);
    m.multiplier = c.multiplier;
    add_meter(m);
    // 10 units on the dial, as entry stores them: usage through 倍率, loss at 10% of it.
    const double usage = 10.0 * c.multiplier;
    exec(s("insert into 抄表管理 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,"
           "抄表人员,价格) values ('000101','0001',0,10,") +
         platform::sql_number(usage) + u',' + platform::sql_number(usage / 10) +
         s(",'2024-3-1','水费',") + sql_quote(s(c.category)) + s(",'张三',2.5)"));
    ASSERT_EQ(reading::commit_month(db(), context()).bills_written, 1);
    for (const char* statement : c.change) exec(s(statement));
    const QList<QStringList> before = money();
    const QList<QStringList> everything = rows(s("select * from 总收费 order by rowid")) +
                                          rows(s("select * from 抄表总表 order by rowid"));

    const qint64 id = value(s("select 编号 from 抄表总表 where 户号='000101'")).toLongLong();
    {
        reading::ReadingEditWindow window(id);
        EXPECT_EQ(unit<QLineEdit>(window, "编辑框_用量")->text(), s(c.usage));
    }
    const auto r = reading::load_edited_reading(db(), id);
    const auto outcome =
        reading::correct_reading(db(), r, r.start, r.end, r.loss, r.date, context());
    if (*c.usage == 0) {
        EXPECT_FALSE(outcome.ok);
        EXPECT_TRUE(outcome.refused);
        EXPECT_EQ(outcome.message, reading::meter_account_gone(s("000101")));
        EXPECT_EQ(rows(s("select * from 总收费 order by rowid")) +
                      rows(s("select * from 抄表总表 order by rowid")),
                  everything);
        return;
    }
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(value(s("select 用量 from 抄表总表 where 编号=") + QString::number(id)),
              platform::sql_number(usage));
    EXPECT_EQ(money(), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, CorrectionAfterAnAccountChange,
                         ::testing::ValuesIn(kAccountChanges),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace reading_test
