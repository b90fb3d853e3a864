// Every reader of a household's bills on the balance side (both balance rebuilds, the balance
// list, settling from balances, the deduction list, the charge queries) takes the bills of the
// household's own number and of its meter accounts, and never those of a neighbour whose number
// begins with the household's.
#include <functional>

#include "charging/charge_queries.h"
#include "charging/deduction_query.h"
#include "charging/prepay_balance_list.h"
#include "charging/prepay_settlement.h"
#include "charging_fixture.h"
#include "tariffs/charge_engine.h"
#include "tariffs/household_bills.h"
#include "tariffs/prepay_balances.h"

namespace charging_test {
namespace {

class HouseholdBillReaders : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        household("0001", "甲");
        meter("0001", "000101");
        household("00011", "乙");  // a neighbour, not a meter account of 0001
        meter("00011", "0001101");
    }
    void prepayment(const char* number, double amount) {
        exec(s("insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志,抄表户号) "
               "values (") +
             QString::number(++receipt_) + u',' + q(s(number)) + u',' + n(amount) +
             s(",'2024-3-1','李四','',1,'')"));
    }
    // A bill of `billed`, `prepaid` of it taken from balances, the rest paid or still due.
    void bill_of(const char* number, qint64 receipt, double billed, double prepaid, bool unpaid) {
        bill(number, receipt, billed, unpaid ? billed - prepaid : 0);
        exec(s("update 总收费 set 预存扣款=") + n(prepaid) + s(",收费标志=") +
             QString::number(unpaid ? 1 : 0) + s(" where 收据号=") + QString::number(receipt));
    }
    static QStringList settled(const charging::SettlementOutcome& out) {
        QStringList numbers;
        for (const charging::SettledBill& b : out.settled)
            numbers << QString::number(b.bill_number);
        return numbers;
    }
    // The given cells of every row of a list.
    static QStringList cells(const QList<QStringList>& rows, std::initializer_list<int> columns) {
        QStringList out;
        for (const QStringList& row : rows) {
            QStringList picked;
            for (int c : columns) picked << row.value(c);
            out << picked.join(u' ');
        }
        return out;
    }
    qint64 receipt_ = 1000000000;
};

TEST_F(HouseholdBillReaders, TakeTheMeterAccountsBillsAndNotTheNeighbours) {
    prepayment("0001", 100);
    bill_of("0001", 1, 10, 10, false);    // paid from the balance
    bill_of("000101", 2, 20, 20, false);  // paid from the balance, under the meter account
    bill_of("000101", 3, 30, 0, true);    // due, under the meter account (a rebill)
    bill_of("00011", 4, 7, 7, false);     // the neighbour's
    bill_of("00011", 5, 9, 0, true);
    bill_of("0001101", 6, 6, 2, true);  // the neighbour's meter account, partly prepaid
    struct Case {
        const char* reader;
        std::function<QStringList()> read;
        QStringList expected;
    };
    const Case cases[] = {
        {"grouped rebuild (the engine's and one household's settlement)",
         [&] {
             tariffs::rebuild_household_prepayment_balances(db(), s("0001"));
             return rows(s("select 预存金额,已扣金额,应扣金额,结余金额 from 预存结余新")).value(0);
         },
         {s("100"), s("30"), s("30"), s("70")}},
        {"per-row rebuild and amounts due (the balance list)",
         [&] {
             charging::rebuild_balances_with_amounts_due(
                 db(), charging::balance_household_insert(s("0001")));
             return cells(charging::balance_list_rows(db(), charging::balance_list_statement(
                                                                charging::kBalanceReceiptOrder)),
                          {0, 7, 8, 9, 10});
         },
         {s("0001 100.00 30.00 70.00 30.00"), s("合计： 100.00 30.00 70.00 30.00")}},
        {"settling one household after a prepayment",
         [&] {
             return settled(
                 charging::pay_household_charges_from_prepayment(db(), s("0001"), context()));
         },
         {s("3")}},
        {"执行扣款",
         [&] { return settled(charging::execute_prepay_deductions(db(), context()).run); },
         {s("3")}},
        {"deduction list by household",
         [&] {
             return cells(charging::deduction_list_rows(
                              db(), charging::deduction_household_statement(s("0001"))),
                          {0, 4});
         },
         {s("0001 10.00"), s("0001 20.00"), s("合计： 30.00")}},
        {"deduction list by period: each bill under its household",
         [&] {
             return cells(
                 charging::deduction_list_rows(db(), charging::deduction_period_statement(
                                                         QDate(2024, 1, 1), QDate(2024, 12, 31))),
                 {0, 4});
         },
         {s("0001 10.00"), s("0001 20.00"), s("00011 7.00"), s("00011 2.00"), s("合计： 39.00")}},
        {"paid charges by household",
         [&] {
             return cells(
                 charging::paid_charge_rows(db(), charging::household_paid_statement(s("0001"))),
                 {0, 4});
         },
         {s("0001 10.00"), s("0001 20.00"), s("合计 30.00")}},
        {"arrears: each bill under its household",
         [&] {
             charging::build_unpaid_charge_table(db(), s("管理员"),
                                                 charging::unpaid_query_statement({}));
             return cells(
                 charging::unpaid_charge_rows(db(), charging::unpaid_list_statement(s("管理员"))),
                 {0, 1, 10});
         },
         {s("0001 甲 30.00"), s("00011 乙 9.00"), s("00011 乙 4.00"), s("合计： 3 43.00")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reader);
        // Each reader starts from the same bills.
        platform::Transaction untouched(db());
        ASSERT_TRUE(untouched.active());
        EXPECT_EQ(c.read(), c.expected);
        untouched.rollback();
    }
}

// A deposit of 60.00 with a 46.00 bill keyed by the meter account: 执行扣款 settles it, and the
// next month's bill may take only the 14.00 left, not the whole 60.00 again.
TEST_F(HouseholdBillReaders, ADepositIsSpentOnce) {
    prepayment("0001", 60);
    bill_of("000101", 1, 46, 0, true);
    const charging::DeductionRunOutcome run = charging::execute_prepay_deductions(db(), context());
    ASSERT_EQ(settled(run.run), QStringList{s("1")});

    exec(
        s("insert into 水价类别 (水价类别,收费项目,价格,基本方,电损率) values "
          "('居民','水费',4.15,0,0)"));
    exec(
        s("insert into 抄表总表 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,抄表人员,"
          "是否收费,价格) values "
          "('000101','0001',0,10,10,0,'2024-4-1','水费','居民','张三',0,4.15)"));
    shell::RunContext billing = context();
    billing.parameters.personal_account = s("关闭");
    billing.parameters.rounding_enabled = s("假");
    const tariffs::ChargeOutcome billed = tariffs::generate_household_charges(
        db(), s("0001"), s("关闭"), s("实际用量模式"), s("水费"), s("关闭"), billing);
    ASSERT_TRUE(billed.ok()) << billed.error.toStdString();
    EXPECT_EQ(rows(s("select 应收金额,预存扣款,实收金额,收费标志 from 总收费 where 收据号<>1")),
              (QList<QStringList>{{s("41.5"), s("14"), s("27.5"), s("1")}}));
    EXPECT_EQ(value(s("select sum(预存扣款) from 总收费 where 标志=1 and ") +
                    tariffs::household_bills_condition(s("0001"))),
              s("60"));
}

// Another window or program paid one of the run's bills after the run read it: the whole run
// rolls back and says so.
TEST_F(HouseholdBillReaders, ABillPaidMeanwhileRollsBackTheRun) {
    prepayment("0001", 100);
    bill_of("0001", 1, 10, 0, true);
    bill_of("000101", 2, 20, 0, true);
    exec(
        s("create trigger 抢先 after update on 抄表总表 when new.收据号=1 begin update 总收费 set "
          "收费标志=0,收费人员='王收' where 收据号=2; end"));
    const charging::DeductionRunOutcome run = charging::execute_prepay_deductions(db(), context());
    EXPECT_FALSE(run.run.completed);
    EXPECT_TRUE(run.run.settled.empty());
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].text, s("该用户的收费记录已被修改,请重新查询！"));
    EXPECT_EQ(rows(s("select 收费标志,收费人员,流水号 from 总收费 order by 收据号")),
              (QList<QStringList>{{s("1"), s("未知"), s("")}, {s("1"), s("未知"), s("")}}));
}

// A rebuild that fails is no balance to spend: 执行扣款 reports the database's text, not
// "操作完成!", and settles nothing.
TEST_F(HouseholdBillReaders, AFailedRebuildIsReportedNotCompleted) {
    prepayment("0001", 100);
    bill_of("0001", 1, 10, 0, true);
    exec(
        s("create trigger 坏 before update of 已扣金额 on 预存结余 begin select "
          "raise(abort,'disk full'); end"));
    const charging::DeductionRunOutcome run = charging::execute_prepay_deductions(db(), context());
    EXPECT_FALSE(run.run.completed);
    ASSERT_FALSE(run.messages.empty());
    EXPECT_TRUE(run.messages[0].text.contains(s("disk full")));
    for (const auto& m : run.messages) EXPECT_FALSE(m.text.startsWith(s("操作完成!")));
    EXPECT_EQ(value(s("select 收费标志 from 总收费")), s("1"));
}

}  // namespace
}  // namespace charging_test
