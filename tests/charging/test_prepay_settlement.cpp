// Settling unpaid bills from prepaid balances: which bills a balance covers and in what order,
// what a settled bill and its readings carry, one serial per bill, a household's bills under its
// meter accounts, the permission of the all-households runs, and a failure or a bill paid
// meanwhile that rolls back the whole run.
#include <utility>
#include <vector>

#include "charging/batch_charging.h"
#include "charging/prepay_settlement.h"
#include "charging_fixture.h"

namespace charging_test {
namespace {

class PrepaySettlement : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        params.payment_serial_digits = 6;
        shell::system_parameters = params;
        household("0001", "甲");
        household("0002", "乙");
    }
    void prepayment(const char* number, qint64 receipt, double amount, int flag = 1) {
        exec(s("insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志,抄表户号) "
               "values (") +
             QString::number(receipt) + u',' + q(s(number)) + u',' + n(amount) +
             s(",'2024-3-1','李四','',") + QString::number(flag) + s(",'')"));
    }
    // 收据号: 收费标志 流水号 实收金额 预存扣款 收费人员 收费日期 发票号, in 收据号 order.
    QStringList bills() {
        QStringList out;
        for (const QStringList& r :
             rows(s("select 收据号,收费标志,流水号,实收金额,预存扣款,收费人员,收费日期,发票号 from "
                    "总收费 order by 收据号")))
            out << r.join(u' ');
        return out;
    }
    QStringList reading_serials() {
        QStringList out;
        for (const QStringList& r : rows(s("select 收据号,流水号 from 抄表总表 order by 收据号")))
            out << r.join(u':');
        return out;
    }
    QStringList texts(const charging::Messages& messages) {
        QStringList out;
        for (const auto& m : messages) out << m.text;
        return out;
    }
};

TEST_F(PrepaySettlement, TheFirstUncoveredBillEndsTheHouseholdsTurn) {
    prepayment("0001", 1000000001, 60);
    prepayment("0001", 1000000002, 40);
    prepayment("0001", 1000000003, 500, 2);  // void: not counted
    bill("0001", 11, 30, 30);
    bill("0001", 12, 80, 80);
    bill("0001", 13, 10, 10);
    exec(s("update 总收费 set 发票号='F9' where 收据号=11"));
    const charging::SettlementOutcome out =
        charging::pay_household_charges_from_prepayment(db(), s("0001"), context());
    EXPECT_TRUE(out.completed);
    EXPECT_TRUE(out.messages.empty());
    ASSERT_EQ(out.settled.size(), 1u);
    EXPECT_EQ(out.settled[0].serial, 1000001);
    EXPECT_EQ(bills(),
              (QStringList{s("11 0 1000001 0 30 预存扣款 2024-03-20 F9"),
                           s("12 1  80 0 未知 2024-03-01 "), s("13 1  10 0 未知 2024-03-01 ")}));
    EXPECT_EQ(reading_serials(), (QStringList{s("11:1000001"), s("12:"), s("13:")}));
    // The balance tables as the grouped rebuild left them before the bill was settled.
    EXPECT_EQ(value(s("select 结余金额 from 预存结余新 where 户号='0001'")), s("100"));
}

TEST_F(PrepaySettlement, CoverageWithinTheTolerance) {
    struct Case {
        double balance, to_collect, already_prepaid;
        bool settled;
        const char* prepaid_after;
    } cases[] = {
        {50, 50.00000005, 0, true, "50.00000005"},
        {50, 50.01, 0, false, "0"},
        {50, 50, 0, true, "50"},
        {0.01, 0, 0, true, "0"},      // nothing due: settled at any balance
        {20, 12.5, 7.5, true, "20"},  // the former amount is added to what was settled before
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to_collect);
        exec(s("delete from 预存明细"));
        exec(s("delete from 总收费"));
        exec(s("delete from 抄表总表"));
        prepayment("0001", 1000000001, c.balance + c.already_prepaid);
        bill("0001", 11, c.to_collect + c.already_prepaid, c.to_collect);
        exec(s("update 总收费 set 预存扣款=") + n(c.already_prepaid));
        charging::pay_household_charges_from_prepayment(db(), s("0001"), context());
        EXPECT_EQ(value(s("select 收费标志 from 总收费")), c.settled ? s("0") : s("1"));
        EXPECT_EQ(value(s("select 预存扣款 from 总收费")),
                  c.settled ? s(c.prepaid_after) : n(c.already_prepaid));
    }
}

TEST_F(PrepaySettlement, ACreditBillRaisesTheRunningBalance) {
    prepayment("0001", 1000000001, 10);
    bill("0001", 11, -5, -5);
    bill("0001", 12, 15, 15);
    bill("0001", 13, 0.5, 0.5);
    const auto out = charging::pay_household_charges_from_prepayment(db(), s("0001"), context());
    // 10 + 5 covers 15; then 0 is left for 0.5.
    ASSERT_EQ(out.settled.size(), 2u);
    EXPECT_EQ(bills(), (QStringList{s("11 0 1000001 0 -5 预存扣款 2024-03-20 "),
                                    s("12 0 1000002 0 15 预存扣款 2024-03-20 "),
                                    s("13 1  0.5 0 未知 2024-03-01 ")}));
}

TEST_F(PrepaySettlement, SerialsContinueTheLargestStored) {
    household("0003", "丙");
    bill("0003", 5, 1, 1);
    exec(s("update 总收费 set 收费标志=0,流水号=1000000007 where 收据号=5"));
    prepayment("0001", 1000000001, 100);
    bill("0001", 11, 1, 1);
    bill("0001", 12, 2, 2);
    bill("0001", 13, 3, 3);
    charging::pay_household_charges_from_prepayment(db(), s("0001"), context());
    EXPECT_EQ(reading_serials(),
              (QStringList{s("5:"), s("11:1000000008"), s("12:1000000009"), s("13:1000000010")}));
}

TEST_F(PrepaySettlement, BillsUnderAMeterAccountAreTheHouseholds) {
    meter("0001", "000101");
    prepayment("0001", 1000000001, 100);
    bill("000101", 11, 30, 30);  // booked under the meter account only
    EXPECT_EQ(
        charging::pay_household_charges_from_prepayment(db(), s("0001"), context()).settled.size(),
        1u);
    bill("000101", 12, 20, 20);
    const charging::DeductionRunOutcome run = charging::execute_prepay_deductions(db(), context());
    EXPECT_EQ(texts(run.messages), QStringList{s("操作完成!")});
    EXPECT_FALSE(run.show_shortfall_list);
    EXPECT_EQ(bills(), (QStringList{s("11 0 1000001 0 30 预存扣款 2024-03-20 "),
                                    s("12 0 1000002 0 20 预存扣款 2024-03-20 ")}));
}

TEST_F(PrepaySettlement, TheOldestBillIsSettledFirstAcrossTheHouseholdsNumbers) {
    // The household's own bill is newer than its meter account's: whichever index serves the
    // two numbers, the balance goes to the older bill and the newer one waits.
    meter("0001", "000101");
    prepayment("0001", 1000000001, 30);
    bill("0001", 12, 30, 30);
    bill("000101", 11, 30, 30);
    const charging::SettlementOutcome out =
        charging::pay_household_charges_from_prepayment(db(), s("0001"), context());
    ASSERT_EQ(out.settled.size(), 1u);
    EXPECT_EQ(bills(), (QStringList{s("11 0 1000001 0 30 预存扣款 2024-03-20 "),
                                    s("12 1  30 0 未知 2024-03-01 ")}));
}

TEST_F(PrepaySettlement, TheRunServesEveryHouseholdWithABalance) {
    prepayment("0001", 1000000001, 30);
    prepayment("0002", 1000000002, 5);
    bill("0001", 11, 20, 20);
    bill("0001", 12, 20, 20);
    bill("0002", 21, 10, 10);
    exec(s("update 总收费 set 预存扣款=3 where 收据号=12"));  // a part already settled
    const charging::DeductionRunOutcome run = charging::execute_prepay_deductions(db(), context());
    EXPECT_EQ(texts(run.messages), QStringList{s("操作完成!\r\n以下是余额不足的用户请查看!")});
    EXPECT_TRUE(run.show_shortfall_list);
    // 0001: 30 − 3 already taken = 27 covers 20, not the next 20; 0002: 5 does not cover 10.
    EXPECT_EQ(bills(),
              (QStringList{s("11 0 1000001 0 20 预存扣款 2024-03-20 "),
                           s("12 1  20 3 未知 2024-03-01 "), s("21 1  10 0 未知 2024-03-01 ")}));
}

// With late fees charged, each household's bills are read after its fees are written: a fee
// that takes a bill past the balance keeps it unpaid, and a covered bill moves its amount with
// the fee into 预存扣款.
TEST_F(PrepaySettlement, TheRunReadsEachHouseholdsBillsAfterItsLateFees) {
    params.late_fee_enabled = s("开启");
    params.late_fee_mode = s("按利率");
    params.late_fee_value = s("10");
    params.late_fee_start_day = s("1");
    prepayment("0001", 1000000001, 20);
    prepayment("0002", 1000000002, 100);
    bill("0001", 11, 20, 20);
    bill("0002", 21, 20, 20);
    const charging::DeductionRunOutcome run = charging::execute_prepay_deductions(db(), context());
    ASSERT_TRUE(run.run.completed);
    const double fee = value(s("select 滞纳金 from 总收费 where 收据号=11")).toDouble();
    ASSERT_GT(fee, 0);
    EXPECT_EQ(value(s("select 收费标志 from 总收费 where 收据号=11")), s("1"));
    EXPECT_EQ(value(s("select 实收金额 from 总收费 where 收据号=11")).toDouble(), 20 + fee);
    ASSERT_EQ(run.run.settled.size(), 1u);
    EXPECT_EQ(run.run.settled[0].bill_number, 21);
    EXPECT_EQ(value(s("select 预存扣款 from 总收费 where 收据号=21")).toDouble(), 20 + fee);
}

// A bill two households reach (household 0002's meter account numbered as household 0001) is
// settled once, by the first household served, and the run goes on.
TEST_F(PrepaySettlement, ABillTwoHouseholdsReachIsSettledOnce) {
    meter("0002", "0001");
    prepayment("0001", 1000000001, 50);
    prepayment("0002", 1000000002, 50);
    bill("0001", 11, 20, 20);
    bill("0002", 21, 10, 10);
    const charging::DeductionRunOutcome run = charging::execute_prepay_deductions(db(), context());
    EXPECT_TRUE(run.run.completed);
    EXPECT_EQ(texts(run.messages), QStringList{s("操作完成!")});
    EXPECT_EQ(bills(), (QStringList{s("11 0 1000001 0 20 预存扣款 2024-03-20 "),
                                    s("21 0 1000002 0 10 预存扣款 2024-03-20 ")}));
}

TEST_F(PrepaySettlement, TheRunsOfEveryHouseholdNeedTheRight) {
    operator_name = s("李四");
    prepayment("0001", 1000000001, 30);
    bill("0001", 11, 20, 20);
    for (bool batch : {true, false}) {
        const charging::Messages messages =
            batch ? charging::batch_pay_from_prepayments(db(), context()).messages
                  : charging::execute_prepay_deductions(db(), context()).messages;
        EXPECT_EQ(texts(messages),
                  QStringList{s("您没有取得授权！\n请管理员在菜单“基本设置 → 操作人员管理 → "
                                "操作人员权限设置”中为您勾选“预存管理”下的“预存扣款”。")});
    }
    EXPECT_EQ(value(s("select 收费标志 from 总收费")), s("1"));
    exec(s("insert into 权限管理 (当前项目,人员姓名,权限标识) values ('预存扣款','李四',1)"));
    const charging::SettlementOutcome out = charging::batch_pay_from_prepayments(db(), context());
    EXPECT_TRUE(out.completed);
    EXPECT_TRUE(out.messages.empty());
    EXPECT_EQ(value(s("select 收费标志 from 总收费")), s("0"));
}

TEST_F(PrepaySettlement, AFailureRollsBackTheWholeRun) {
    household("0003", "丙");
    prepayment("0001", 1000000001, 100);
    prepayment("0003", 1000000002, 100);
    bill("0001", 11, 10, 10);
    bill("0001", 12, 10, 10);
    bill("0001", 13, 10, 10);
    bill("0003", 31, 10, 10);
    fail_readings_of(12);
    const charging::DeductionRunOutcome run = charging::execute_prepay_deductions(db(), context());
    EXPECT_FALSE(run.run.completed);
    EXPECT_TRUE(run.run.settled.empty());
    ASSERT_EQ(texts(run.messages).size(), 1);  // the failure, and no closing message
    EXPECT_TRUE(run.messages[0].text.contains(s("boom")));
    EXPECT_TRUE(run.messages[0].plain);
    // Not even bill 11, settled before the failure, stays paid.
    EXPECT_EQ(bills(),
              (QStringList{s("11 1  10 0 未知 2024-03-01 "), s("12 1  10 0 未知 2024-03-01 "),
                           s("13 1  10 0 未知 2024-03-01 "), s("31 1  10 0 未知 2024-03-01 ")}));
    EXPECT_EQ(reading_serials(), (QStringList{s("11:"), s("12:"), s("13:"), s("31:")}));
}

TEST_F(PrepaySettlement, BatchChargingSettlesFromBalancesFirst) {
    meter("0001", "000101", "张三");
    meter("0002", "000201", "张三");
    prepayment("0001", 1000000001, 25);
    bill("000101", 11, 20, 20);
    bill("000101", 12, 20, 20);
    bill("000201", 21, 7, 7);
    charging::batch_pay_from_prepayments_hook() = [this](const shell::RunContext& run) {
        charging::batch_pay_from_prepayments(db(), run);
    };
    const charging::BatchRunOutcome out =
        charging::run_batch_charging(db(), {s("张三"), s(""), s("王收")}, context());
    EXPECT_EQ(out.batch.bills_paid, 2);
    // 11 from the balance under its own serial; 12 and 21 in the batch, one serial each.
    EXPECT_EQ(bills(), (QStringList{s("11 0 1000001 0 20 预存扣款 2024-03-20 "),
                                    s("12 0 1000002 20 0 王收 2024-03-20 "),
                                    s("21 0 1000003 7 0 王收 2024-03-20 ")}));
}

// The run serves only households that owe something, yet in the order of their prepayments, as
// a run over every household would: a household owing only under its meter account is served,
// one with a balance and nothing unpaid takes no turn and no serial, and a run with nothing left
// to settle completes.
TEST_F(PrepaySettlement, TheHouseholdsOwingAreServedInTheOrderOfTheirPrepayments) {
    household("0003", "丙");
    household("０００４", "丁");  // full-width: its turn is under 0004's bills
    meter("0003", "000301");
    prepayment("0003", 1000000001, 50);
    prepayment("0002", 1000000002, 50);
    prepayment("０００４", 1000000003, 50);
    prepayment("0001", 1000000004, 50);
    prepayment("0003", 1000000005, 5);  // merged into 0003's first row
    bill("0001", 11, 10, 10);
    bill("0002", 21, 10, 10);
    exec(s("update 总收费 set 收费标志=0,流水号=1000000 where 收据号=21"));  // paid already
    bill("000301", 31, 55, 55);  // 0003's, under its meter account only
    bill("0004", 41, 20, 20);
    const charging::DeductionRunOutcome run = charging::execute_prepay_deductions(db(), context());
    EXPECT_EQ(texts(run.messages), QStringList{s("操作完成!")});
    // 0003 first (55 covered by 50 + 5), then 0001; ０００４'s turn finds no balance under 0004.
    EXPECT_EQ(reading_serials(),
              (QStringList{s("11:1000002"), s("21:"), s("31:1000001"), s("41:")}));
    const charging::DeductionRunOutcome again =
        charging::execute_prepay_deductions(db(), context());
    EXPECT_TRUE(again.run.completed);
    EXPECT_TRUE(again.run.settled.empty());
    EXPECT_EQ(texts(again.messages), QStringList{s("操作完成!")});
}

// A household's prepayments stored under other spellings of its number (full-width digits, as
// old imports wrote them) give it no second turn: its balance pays its bills once, whichever
// spelling comes first, and a second run finds nothing more to settle.
TEST_F(PrepaySettlement, AHouseholdsBalanceIsSpentOnceWhateverSpellingsItsPrepaymentsCarry) {
    const struct Case {
        const char* label;
        std::vector<std::pair<const char*, double>> prepayments;  // in receipt order
    } cases[] = {
        {"half-width first", {{"0001", 100}, {"０００１", 1}}},
        {"full-width first", {{"０００１", 1}, {"0001", 100}}},
        {"three spellings", {{"0001", 100}, {"０００１", 1}, {"００01", 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        for (const char* table : {"预存明细", "总收费", "抄表总表"})
            exec(s("delete from ") + s(table));
        qint64 receipt = 1000000001;
        for (const auto& [number, amount] : c.prepayments) prepayment(number, receipt++, amount);
        bill("0001", 11, 60, 60);
        bill("0001", 12, 60, 60);
        bill("0001", 13, 60, 60);
        for (int run = 0; run < 2; ++run) {
            const charging::DeductionRunOutcome out =
                charging::execute_prepay_deductions(db(), context());
            ASSERT_TRUE(out.run.completed);
            EXPECT_EQ(out.run.settled.size(), run == 0 ? 1u : 0u);
        }
        // The 100 under 0001 covers one bill of 60; the 40 left does not cover the next.
        EXPECT_EQ(value(s("select group_concat(收据号) from 总收费 where 收费标志=0")), s("11"));
        EXPECT_EQ(value(s("select sum(预存扣款) from 总收费")), s("60"));
    }
}

// A household number that begins with another's: each household settles its own bills only.
TEST_F(PrepaySettlement, ANumberBeginningWithAnothersIsAnotherHousehold) {
    household("00011", "丁");
    prepayment("0001", 1000000001, 100);
    prepayment("00011", 1000000002, 50);
    bill("00011", 21, 20, 20);
    bill("00011", 22, 40, 40);
    const charging::DeductionRunOutcome run = charging::execute_prepay_deductions(db(), context());
    EXPECT_TRUE(run.run.completed);
    // 00011's 50 covers 20, not the next 40; 0001's 100 is not spent on them.
    EXPECT_EQ(bills(), (QStringList{s("21 0 1000001 0 20 预存扣款 2024-03-20 "),
                                    s("22 1  40 0 未知 2024-03-01 ")}));
}

TEST_F(PrepaySettlement, AQuoteInAHouseholdNumberStaysText) {
    exec(s("insert into 用户信息表 (户号,父号,用户名) values ('9''9','0','奥')"));
    prepayment("9'9", 1000000001, 10);
    bill("9'9", 11, 10, 10);
    const auto out = charging::pay_household_charges_from_prepayment(db(), s("9'9"), context());
    EXPECT_TRUE(out.completed);
    EXPECT_EQ(out.settled.size(), 1u);
}

}  // namespace
}  // namespace charging_test
