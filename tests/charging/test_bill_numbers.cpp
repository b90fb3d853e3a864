// Bill numbers across two seats: a number once given is never given again, whatever is deleted
// or billed again later, and a counter still showing a deleted bill pays nothing rather than
// the bill that another seat's billing wrote meanwhile.
#include <set>

#include "charging/charging_bill.h"
#include "charging/payments.h"
#include "charging_fixture.h"
#include "platform/query.h"
#include "reading/reading_edit.h"
#include "tariffs/charge_engine.h"

namespace charging_test {
namespace {

class BillNumbers : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        exec(s("insert into 水价类别 (水价类别,收费项目,价格,基本方,电损率) values "
               "('居民','水费',2,0,0)"));
        for (const char* h : {"0001", "0002", "0003"}) {
            household(h, "户主");
            exec(s("insert into 用户表管理 (户号,父号,收费项目,价格类别,抄表人员,状态,计量编号,倍率) "
                   "values (") +
                 q(s(h) + s("01")) + u',' + q(s(h)) + s(",'水费','居民','张三','正常','M1',1)"));
        }
    }

    // A month's readings of the households, committed and billed household by household.
    void commit_month(int month, const std::vector<const char*>& households) {
        for (const char* h : households) {
            const double start = 10.0 * (month - 1);
            exec(s("insert into 抄表总表 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,"
                   "抄表人员,是否收费,价格) values (") +
                 q(s(h) + s("01")) + u',' + q(s(h)) + u',' + n(start) + u',' + n(start + 10) +
                 s(",10,0,'2024-") + QString::number(month) + s("-5','水费','居民','张三',0,2)"));
        }
        const tariffs::FeeItemSwitches item = tariffs::fee_item_switches(db(), s("水费"));
        for (const char* h : households)
            ASSERT_TRUE(tariffs::generate_household_charges(db(), s(h), item, context()).ok());
    }

    qint64 reading_of_bill(platform::Connection& c, qint64 bill) {
        return platform::query_integer(
            c, s("select 编号 from 抄表总表 where 收据号=") + QString::number(bill));
    }

    // Every bill number on a bill, reading or reduction record.
    std::set<qint64> numbers_written() {
        std::set<qint64> out;
        for (const QStringList& row :
             rows(s("select 收据号 from 总收费 where 收据号 is not null union select 收据号 from "
                    "抄表总表 where 收据号 is not null union select 收据号 from 减免明细")))
            out.insert(row.value(0).toLongLong());
        return out;
    }
};

TEST_F(BillNumbers, ADeletedLargestNumberIsNotGivenAgainAndTheStaleCounterPaysNothing) {
    commit_month(1, {"0001", "0002", "0003"});
    commit_month(2, {"0001", "0002", "0003"});
    const charging::ChargingBill shown = charging::load_charging_bill(db(), s("0003"));
    ASSERT_EQ(shown.bill_numbers, (std::vector<qint64>{1000000003, 1000000006}));

    // The other seat, on a connection of its own: 0003's reading with the largest number is
    // deleted, then 0002's February reading corrected and billed again.
    {
        platform::Connection seat;
        ASSERT_TRUE(platform::db_open_access_file(seat, store::main_database_path()));
        const qint64 deleted = reading_of_bill(seat, 1000000006);
        ASSERT_TRUE(reading::delete_reading(seat, deleted, 1000000006, context()).ok);
        const reading::EditedReading r =
            reading::load_edited_reading(seat, reading_of_bill(seat, 1000000005));
        ASSERT_TRUE(r.found);
        const reading::EditOutcome corrected =
            reading::correct_reading(seat, r, r.start, r.end + 1, 0, r.date, context());
        ASSERT_TRUE(corrected.ok) << corrected.message.toStdString();
        platform::db_close(seat);
    }
    EXPECT_EQ(rows(s("select 户号,收据号,应收金额 from 总收费 where 收据号>1000000004 order by "
                     "收据号")),
              (QList<QStringList>{{s("0002"), s("1000000007"), s("22")}}));

    const QList<QStringList> before = rows(s("select * from 总收费 order by 收据号"));
    charging::PaymentRequest r;
    r.household = s("0003");
    r.bills = shown.bill_numbers;
    r.collector = s("李四");
    r.date = kNow.date();
    r.log = charging::PaymentLog{context(), s("收费管理"), s("窗口收费"), s("添加收费记录0003")};
    const charging::PaymentOutcome out = charging::take_payment(db(), r, 9);
    EXPECT_FALSE(out.done);
    EXPECT_TRUE(out.bills_changed);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text, charging::kPaymentChanged);
    EXPECT_EQ(rows(s("select * from 总收费 order by 收据号")), before);
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 流水号 is not null")), 0);
    EXPECT_EQ(count(s("select count(*) from 日志管理 where 当前项目='窗口收费'")), 0);
}

// Commits, deletions of the bill with the largest number, corrections and a reopened database:
// each number that appears was never seen before.
TEST_F(BillNumbers, ANumberNeverRepeatsAcrossDeletionsCorrectionsAndCommits) {
    std::set<qint64> given;
    std::set<qint64> last;
    const auto check = [&](const char* step) {
        SCOPED_TRACE(step);
        const std::set<qint64> now = numbers_written();
        for (const qint64 number : now) {
            if (last.count(number)) continue;
            EXPECT_EQ(given.count(number), 0u) << number << " given again";
            given.insert(number);
        }
        last = now;
    };
    const auto largest = [&] { return *numbers_written().rbegin(); };
    const auto delete_largest = [&] {
        const qint64 bill = largest();
        ASSERT_TRUE(reading::delete_reading(db(), reading_of_bill(db(), bill), bill, context()).ok);
    };
    const auto correct_largest = [&] {
        const reading::EditedReading r =
            reading::load_edited_reading(db(), reading_of_bill(db(), largest()));
        ASSERT_TRUE(reading::correct_reading(db(), r, r.start, r.end + 2, 0, r.date, context()).ok);
    };

    commit_month(1, {"0001", "0002", "0003"});
    check("first commit");
    delete_largest();
    check("largest deleted");
    commit_month(2, {"0003"});
    check("commit after the deletion");
    correct_largest();
    check("largest corrected");
    delete_largest();
    delete_largest();
    check("two deleted");
    store::close_main_database();
    ASSERT_TRUE(store::reopen_main_database());
    commit_month(3, {"0001", "0002"});
    check("commit after reopening");
    correct_largest();
    check("corrected again");
    EXPECT_EQ(given.size(), 8u);
}

}  // namespace
}  // namespace charging_test
