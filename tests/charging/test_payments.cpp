// Paying bills: where serials start and continue, a payment of two bills under one serial with
// the carry-over change, a shortfall that never leaves a negative amount, and payments that are
// refused whole: of nothing, of a bill paid meanwhile, or failing half way.
#include "charging/charging_hooks.h"
#include "charging/payments.h"
#include "charging_fixture.h"

namespace charging_test {
namespace {

using charging::SerialRule;

struct SerialCase {
    const char* label;
    SerialRule rule;
    int digits;
    qint64 existing;  // a paid bill's serial already there (0: none)
    int existing_flag;
    qint64 expected;
};

const SerialCase kSerials[] = {
    {"counter, none yet", SerialRule::Counter, 6, 0, 1, 1000000001},
    {"coded six digits, none yet", SerialRule::Coded, 6, 0, 1, 1000001},
    {"coded no digits, none yet", SerialRule::Coded, 0, 0, 1, 2},
    {"card after counter", SerialRule::Coded, 6, 1000000007, 1, 1000000008},
    {"counter after card", SerialRule::Counter, 6, 1000005, 1, 1000006},
    {"a voided payment's serial stays taken", SerialRule::Counter, 6, 1000000042, 2, 1000000043},
    {"ten digits pass 2^31", SerialRule::Coded, 10, 0, 1, 10000000001},
};

class Serials : public ChargingTest {};

TEST_F(Serials, StartAndContinue) {
    for (const SerialCase& c : kSerials) {
        exec(s("delete from 总收费"));
        if (c.existing)
            exec(s("insert into 总收费 (户号,收据号,标志,收费标志,流水号) values ('x',1,") +
                 QString::number(c.existing_flag) + s(",0,") + QString::number(c.existing) + u')');
        const charging::SerialOutcome out =
            charging::allocate_payment_serial(db(), c.rule, c.digits);
        EXPECT_TRUE(out.ok) << c.label;
        EXPECT_EQ(out.serial, c.expected) << c.label;
    }
}

class TakePayment : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        household("0001", "王五");
        bill("0001", 101, 50.00, 50.00, 0, 0, 20, 2.5);
        bill("0001", 102, 45.80, 45.50, 0, -0.30, 13, 3.5, "电费");
    }
    charging::PaymentRequest request() {
        charging::PaymentRequest r;
        r.household = s("0001");
        r.bills = {101, 102};
        r.collector = s("李四");
        r.date = QDate(2024, 3, 18);
        r.invoice_number = s("0000123");
        return r;
    }
};

TEST_F(TakePayment, TwoBillsOneSerialAndTheCarryOverChange) {
    charging::PaymentRequest r = request();
    // The cashier took 100.00 instead of 95.50: 本期结余 -0.30 became 4.20.
    r.carry_over = charging::CarryOverChange{4.20, -0.30};
    const charging::PaymentOutcome out = charging::take_payment(db(), r, 9);
    ASSERT_TRUE(out.done);
    EXPECT_TRUE(out.messages.empty());
    EXPECT_EQ(out.serial, 1000000001);
    EXPECT_EQ(
        rows(s(
            "select 收据号,收费标志,收费人员,收费日期,发票号,流水号,实收金额,本月接转 from 总收费 "
            "order by 收据号")),
        (QList<QStringList>{{s("101"), s("0"), s("李四"), s("2024-03-18"), s("0000123"),
                             s("1000000001"), s("50"), s("0")},
                            // 45.50 + 4.20 - (-0.30) = 50.00
                            {s("102"), s("0"), s("李四"), s("2024-03-18"), s("0000123"),
                             s("1000000001"), s("50"), s("4.2")}}));
    EXPECT_EQ(rows(s("select 流水号 from 抄表总表 order by 收据号")),
              (QList<QStringList>{{s("1000000001")}, {s("1000000001")}}));
}

TEST_F(TakePayment, CarryOverLeftAsShownWritesNoChange) {
    charging::PaymentRequest r = request();
    r.carry_over = charging::CarryOverChange{-0.30, -0.30};
    r.invoice_number = s("");
    ASSERT_TRUE(charging::take_payment(db(), r, 9).done);
    EXPECT_EQ(value(s("select 实收金额 from 总收费 where 收据号=102")), s("45.5"));
    EXPECT_EQ(value(s("select 本月接转 from 总收费 where 收据号=102")), s("-0.3"));
    EXPECT_EQ(value(s("select 发票号 from 总收费 where 收据号=101")), s(""));
}

TEST_F(TakePayment, FailureHalfWayLeavesNothingPaid) {
    fail_readings_of(102);
    const charging::PaymentOutcome out = charging::take_payment(db(), request(), 9);
    EXPECT_FALSE(out.done);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_TRUE(out.messages[0].plain);
    EXPECT_TRUE(out.messages[0].text.contains(s("boom"))) << out.messages[0].text.toStdString();
    EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=1 and 流水号 is null")), 2);
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 流水号 is not null")), 0);
    // The serial was never used, so the next payment gets it.
    exec(s("drop trigger 坏"));
    EXPECT_EQ(charging::take_payment(db(), request(), 9).serial, 1000000001);
}

// The log row goes in with the payment or not at all, under the run's operator and moment; a
// row that cannot be written leaves the payment paid and says so.
TEST_F(TakePayment, TheLogRowIsKeptWithThePaymentOnly) {
    charging::PaymentRequest r = request();
    operator_name = s("李四");
    r.log = charging::PaymentLog{context(), s("收费管理"), s("窗口收费"), s("添加收费记录0001")};
    fail_readings_of(102);
    EXPECT_FALSE(charging::take_payment(db(), r, 9).done);
    EXPECT_EQ(count(s("select count(*) from 日志管理")), 0);

    exec(s("drop trigger 坏"));
    const charging::PaymentOutcome paid = charging::take_payment(db(), r, 9);
    ASSERT_TRUE(paid.done);
    EXPECT_FALSE(paid.log_failed);
    EXPECT_EQ(rows(s("select 操作人员,发生时间,上级项目,当前项目,备注 from 日志管理")),
              (QList<QStringList>{{s("李四"), s("2024-03-20 09:00:00"), s("收费管理"),
                                   s("窗口收费"), s("添加收费记录0001")}}));

    exec(s("drop table 日志管理"));
    exec(s("update 总收费 set 收费标志=1,流水号=null"));
    const charging::PaymentOutcome unlogged = charging::take_payment(db(), r, 9);
    EXPECT_TRUE(unlogged.done);
    EXPECT_TRUE(unlogged.log_failed);
    EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 2);
}

TEST_F(TakePayment, NoCollectorWritesNothing) {
    charging::PaymentRequest r = request();
    r.collector.clear();
    const charging::PaymentOutcome out = charging::take_payment(db(), r, 9);
    EXPECT_FALSE(out.done);
    EXPECT_TRUE(out.focus_collector);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text, s("请选择收费人员！"));
    EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 0);
}

TEST_F(TakePayment, CardRuleStartsFromTheCodedValue) {
    charging::PaymentRequest r = request();
    r.rule = SerialRule::Coded;
    EXPECT_EQ(charging::take_payment(db(), r, 6).serial, 1000001);
}

TEST_F(TakePayment, ValuesGoInAsTyped) {
    charging::PaymentRequest r = request();
    r.collector = s("O'Brien");
    r.invoice_number = s("0'12");
    r.date = QDate(2024, 12, 5);
    ASSERT_TRUE(charging::take_payment(db(), r, 9).done);
    EXPECT_EQ(rows(s("select distinct 收费人员,发票号,收费日期 from 总收费")),
              (QList<QStringList>{{s("O'Brien"), s("0'12"), s("2024-12-05")}}));
    // Without an invoice number (a batch) the bills keep the 发票号 they had.
    exec(s("update 总收费 set 收费标志=1,发票号='old'"));
    const charging::PaymentOutcome batch = charging::pay_bills_under_serial(
        db(), s("0001"), {101}, s("王收"), QDate(2024, 3, 20), std::nullopt, 77);
    ASSERT_TRUE(batch.done);
    EXPECT_EQ(rows(s("select 收费人员,发票号,流水号 from 总收费 where 收据号=101")),
              (QList<QStringList>{{s("王收"), s("old"), s("77")}}));
    EXPECT_EQ(value(s("select 流水号 from 抄表总表 where 收据号=101")), s("77"));
}

// A payment that cannot pay every bill it lists writes nothing and uses no serial.
TEST_F(TakePayment, RefusedWholeWhenNothingOrNotEverythingIsUnpaid) {
    const struct {
        const char* label;
        std::vector<qint64> bills;
        const char* before;  // what happened to the bills meanwhile
        const char* message;
    } cases[] = {
        {"no bill", {}, "", "该用户本月未抄表或已缴费！"},
        {"paid meanwhile by another payment",
         {101, 102},
         "update 总收费 set 收费标志=0,流水号=555 where 收据号=102",
         "该用户的收费记录已被修改,请重新查询！"},
        {"voided row",
         {101, 102},
         "update 总收费 set 标志=2 where 收据号=102",
         "该用户的收费记录已被修改,请重新查询！"},
        {"gone", {101, 109}, "", "该用户的收费记录已被修改,请重新查询！"},
        // Deleted, and its number given to another household's bill by an older program.
        {"now another household's",
         {101, 102},
         "update 总收费 set 户号='0002' where 收据号=102",
         "该用户的收费记录已被修改,请重新查询！"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        exec(s("update 总收费 set 收费标志=1,标志=1,流水号=null,户号='0001'"));
        if (*c.before) exec(s(c.before));
        const QList<QStringList> before = rows(s("select * from 总收费 order by 收据号"));
        charging::PaymentRequest r = request();
        r.bills = c.bills;
        const charging::PaymentOutcome out = charging::take_payment(db(), r, 9);
        EXPECT_FALSE(out.done);
        ASSERT_EQ(out.messages.size(), 1u);
        EXPECT_EQ(out.messages[0].text, s(c.message));
        EXPECT_EQ(rows(s("select * from 总收费 order by 收据号")), before);
        EXPECT_EQ(count(s("select count(*) from 抄表总表 where 流水号 is not null")), 0);
    }
    exec(s("update 总收费 set 收费标志=1,标志=1,流水号=null,户号='0001'"));
    EXPECT_EQ(charging::take_payment(db(), request(), 9).serial, 1000000001);
}

// Counter, card and batch pay through the one condition: a bill keyed by one of the household's
// meter accounts is its bill; a bill of another household, even one that carries the number
// shown, is paid by none of them. (Settling from balances writes under the same condition.)
TEST_F(TakePayment, EveryPathPaysOnlyTheShownHouseholdsBills) {
    household("0002", "赵六");
    meter("0001", "000101");
    exec(s("update 总收费 set 户号='000101' where 收据号=102"));
    enum class Path { Counter, Card, Batch };
    const auto pay = [&](Path path, const char* household) {
        if (path == Path::Batch) {
            platform::Transaction run(db());
            charging::PaymentOutcome out = charging::pay_bills_under_serial(
                db(), s(household), {101, 102}, s("王收"), QDate(2024, 3, 20), std::nullopt, 77);
            if (out.done) run.commit();
            return out;
        }
        charging::PaymentRequest r = request();
        r.household = s(household);
        r.rule = path == Path::Card ? SerialRule::Coded : SerialRule::Counter;
        return charging::take_payment(db(), r, 9);
    };
    for (const Path path : {Path::Counter, Path::Card, Path::Batch}) {
        SCOPED_TRACE(static_cast<int>(path));
        exec(s("update 总收费 set 收费标志=1,流水号=null"));
        exec(s("update 抄表总表 set 流水号=null"));
        for (const char* other : {"0002", "", "000101"}) {
            const charging::PaymentOutcome refused = pay(path, other);
            EXPECT_FALSE(refused.done) << other;
            EXPECT_TRUE(refused.bills_changed) << other;
            EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 0) << other;
        }
        const charging::PaymentOutcome paid = pay(path, "0001");
        EXPECT_TRUE(paid.done);
        EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 2);
        EXPECT_EQ(count(s("select count(*) from 抄表总表 where 流水号 is not null")), 2);
    }
}

// 本次收款 is money: at most two decimals, compared with 实收金额 (95.50) to the fen. Anything
// else is refused as no amount, never read as some other sum.
TEST_F(TakePayment, CashIsReadAsMoneyAndComparedInFen) {
    const QString not_an_amount = charging::kCashNotAnAmount;
    const struct {
        const char* handed;
        bool paid;
        const char* change;   // 本次找零
        const char* refusal;  // empty: none; "-": not an amount
    } cases[] = {
        {"1,000", false, "", "-"},
        {"70元", false, "", "-"},
        {"1e2", false, "", "-"},
        {"95.505", false, "", "-"},
        {"９５.５", false, "", "-"},  // full-width digits
        {"", true, "", ""},           // the exact sum handed over
        {"95.50", true, "0.00", ""},
        {" 95.5 ", true, "0.00", ""},
        {"100", true, "4.50", ""},
        {"95.49", false, "-0.01",
         "本次收款95.49元少于实收金额95.50元，不能收费！请核对本次收款。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.handed);
        exec(s("update 总收费 set 收费标志=1,流水号=null"));
        const charging::CashEntry cash = charging::cash_handed(s(c.handed), s("95.50"));
        EXPECT_EQ(charging::change_text(cash), s(c.change));
        const QString refusal = *c.refusal == '-' ? not_an_amount : s(c.refusal);
        EXPECT_EQ(charging::cash_short_text(cash), refusal);
        charging::PaymentRequest r = request();
        r.cash = cash;
        const charging::PaymentOutcome out = charging::take_payment(db(), r, 9);
        EXPECT_EQ(out.done, c.paid);
        EXPECT_EQ(out.focus_cash, !c.paid);
        EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), c.paid ? 2 : 0);
    }
}

// The bills ask 95.50 (50.00 + 45.50) and 本期结余 shows -0.30.
struct ShortfallCase {
    const char* label;
    double shown;  // 本期结余 after the cashier changed 实收
    bool confirmed;
    bool done;
    const char* received_101;
    const char* received_102;
    const char* message;
};

TEST_F(TakePayment, AShortfallIsArrearsOnlyWhenConfirmedAndNeverANegativeAmount) {
    const ShortfallCase cases[] = {
        {"90.00 received, not confirmed", -5.80, false, false, "50", "45.5",
         "实收金额比应交金额少5.50元。个人帐户未开启，欠款不能转入下期，请按应交金额收费！"},
        {"90.00 received, confirmed", -5.80, true, true, "50", "40", ""},
        // 45.50 short: the last bill goes to 0, the first takes the rest.
        {"40.00 received, confirmed", -55.80, true, true, "40", "0", ""},
        {"nothing received", -95.80, true, true, "0", "0", ""},
        {"less than nothing", -96.80, true, false, "50", "45.5", "实收金额不能小于零！"},
    };
    for (const ShortfallCase& c : cases) {
        SCOPED_TRACE(c.label);
        exec(s("update 总收费 set 收费标志=1,流水号=null,实收金额=50,本月接转=0 where 收据号=101"));
        exec(
            s("update 总收费 set 收费标志=1,流水号=null,实收金额=45.5,本月接转=-0.3 where "
              "收据号=102"));
        charging::PaymentRequest r = request();
        r.carry_over = charging::CarryOverChange{c.shown, -0.30};
        r.arrears_confirmed = c.confirmed;
        const charging::PaymentOutcome out = charging::take_payment(db(), r, 9);
        EXPECT_EQ(out.done, c.done);
        EXPECT_EQ(value(s("select 实收金额 from 总收费 where 收据号=101")), s(c.received_101));
        EXPECT_EQ(value(s("select 实收金额 from 总收费 where 收据号=102")), s(c.received_102));
        if (c.done) {
            EXPECT_TRUE(out.messages.empty());
            EXPECT_EQ(platform::to_number(value(s("select 本月接转 from 总收费 where 收据号=102"))),
                      c.shown);
        } else {
            ASSERT_EQ(out.messages.size(), 1u);
            EXPECT_EQ(out.messages[0].text, s(c.message));
            EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 0);
        }
    }
}

TEST(Underpayment, RefusedWithTheAccountClosedAskedWithItOpen) {
    charging::PaymentRequest r;
    EXPECT_EQ(charging::check_underpayment(r, false).step, charging::UnderpaymentStep::None);
    r.carry_over = charging::CarryOverChange{4.20, -0.30};  // more received: no question
    EXPECT_EQ(charging::check_underpayment(r, false).step, charging::UnderpaymentStep::None);
    r.carry_over = charging::CarryOverChange{-10.30, -0.30};
    const charging::UnderpaymentCheck closed = charging::check_underpayment(r, false);
    EXPECT_EQ(closed.step, charging::UnderpaymentStep::Refuse);
    EXPECT_EQ(
        closed.text,
        s("实收金额比应交金额少10.00元。个人帐户未开启，欠款不能转入下期，请按应交金额收费！"));
    const charging::UnderpaymentCheck open = charging::check_underpayment(r, true);
    EXPECT_EQ(open.step, charging::UnderpaymentStep::Ask);
    EXPECT_EQ(open.text, s("实收金额比应交金额少10.00元，本期结余-10.30元将作为欠款转入下期账单。"
                           "\r\n确定收费吗？"));
}

TEST(ReceiptHook, PrintsEachCopyOfTheSerial) {
    std::vector<qint64> printed;
    charging::charge_receipt_printer() = [&printed](qint64 serial) {
        printed.push_back(serial);
        return true;
    };
    EXPECT_EQ(charging::print_charge_receipts(1000000009, 3), 3);
    EXPECT_EQ(printed, (std::vector<qint64>{1000000009, 1000000009, 1000000009}));
    EXPECT_EQ(charging::print_charge_receipts(1, 0), 0);
    charging::charge_receipt_printer() = nullptr;
    EXPECT_EQ(charging::print_charge_receipts(1, 2), 0);
}

}  // namespace
}  // namespace charging_test
