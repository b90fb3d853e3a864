// The two balance rebuilds: which prepayments and which bills each counts.
#include "engine_fixture.h"
#include "tariffs/prepay_balances.h"

namespace tariffs_test {
namespace {

const char* kOneHouseholdGrouped =
    "INSERT INTO 预存结余 (编号,户号,预存金额,已扣金额,应扣金额) select 收据号,户号,预存金额,0,0 "
    "from 预存明细 where 户号='H1' and 标志=1";
const char* kOneHouseholdPerRow =
    "INSERT INTO 预存结余 (编号,户号,预存金额) select 收据号,户号,预存金额 from 预存明细 where "
    "户号='H1' and 标志=1";

class Balances : public EngineTest {
public:
    void SetUp() override {
        EngineTest::SetUp();
        prepayment(12, "H1", 100);
        prepayment(11, "H1", 50);
        prepayment(13, "H1", 1000, 2);  // void
        earlier_bill("H1", 1, 0, 20);              // paid from the balance
        exec(s("insert into 用户表管理 (户号,父号,收费项目) values ('H101','H1','水费')"));
        earlier_bill("H101", 2, 0, 5);             // under a meter account of H1
        earlier_bill("H11", 5, 0, 7, 1, 9);        // another household's, though it begins H1
        earlier_bill("H1", 3, 0, -4);              // a negative deduction
        earlier_bill("H1", 4, 0, 0, 1, 30);        // unpaid, 30 due
        prepayment(14, "H2", 10);
    }
};

TEST_F(Balances, GroupedRebuildTakesTheHouseholdsBills) {
    const auto out = tariffs::rebuild_prepayment_balances(db(), s(kOneHouseholdGrouped), 1);
    EXPECT_TRUE(out.ok) << out.error.toStdString();
    expect_columns(s("select * from 预存结余新 where 户号='H1'"),
                   {{"预存金额", "150"}, {"已扣金额", "25"}, {"结余金额", "125"},
                    {"应扣金额", "30"}, {"标记", "1"}},
                   "H1");
    EXPECT_EQ(count(s("select count(*) from 预存结余新")), 1);
    EXPECT_DOUBLE_EQ(tariffs::grouped_balance_of(db(), s("H1")), 125);
    // Every household with an empty statement.
    EXPECT_TRUE(tariffs::rebuild_prepayment_balances(db(), QString(), 1).ok);
    expect_columns(s("select * from 预存结余新 where 户号='H2'"),
                   {{"预存金额", "10"}, {"已扣金额", "0"}, {"结余金额", "10"}, {"标记", ""}}, "H2");
}

TEST_F(Balances, PerRowRebuildMergesAndTakesTheHouseholdsBills) {
    const auto out = tariffs::recompute_prepay_balances(db(), s(kOneHouseholdPerRow));
    EXPECT_TRUE(out.ok) << out.error.toStdString();
    ASSERT_EQ(count(s("select count(*) from 预存结余")), 1);
    // 20 + 5 (meter account) - 4 (negative deduction) taken from 150.
    expect_columns(s("select * from 预存结余"),
                   {{"编号", "11"}, {"户号", "H1"}, {"预存金额", "150"}, {"已扣金额", "21"},
                    {"结余金额", "129"}},
                   "H1");
    EXPECT_DOUBLE_EQ(tariffs::per_row_balance_of(db(), s("H1")), 129);
}

// Households whose bills sit under a meter account listed twice, or under an account that carries
// the household's own number: each bill counts once.
class BalancesOfAccounts : public Balances {
public:
    void SetUp() override {
        Balances::SetUp();
        prepayment(21, "H3", 80);
        for (const char* account : {"H3", "H301", "H301"})
            exec(s("insert into 用户表管理 (户号,父号,收费项目) values ('") + s(account) +
                 s("','H3','水费')"));
        earlier_bill("H3", 22, 0, 6);           // under its own number, also an account's
        earlier_bill("H301", 23, 0, 3, 1, 12);  // under the account listed twice, 12 due
        earlier_bill("H301", 24, 0, -1);        // a negative deduction there
        earlier_bill("H4", 25, 0, 2, 1, 5);     // a household without prepayments
        prepayment(26, "H5", 40, 2);            // and one with a voided one only
        earlier_bill("H5", 27, 0, 1, 1, 4);
    }
    QList<QStringList> work_tables() {
        return rows(s("select 编号,户号,预存金额,已扣金额,应扣金额,结余金额,标记 from 预存结余 "
                      "order by rowid")) +
               rows(s("select * from 预存结余新 order by rowid"));
    }
};

TEST_F(BalancesOfAccounts, TheRebuildForOneHouseholdLeavesWhatTheGroupedRebuildDoes) {
    for (const char* household : {"H1", "H2", "H3", "H4", "H5"}) {
        SCOPED_TRACE(household);
        const auto grouped = tariffs::rebuild_prepayment_balances(
            db(),
            s("INSERT INTO 预存结余 (编号,户号,预存金额,已扣金额,应扣金额) select 收据号,户号,预存金额,"
              "0,0 from 预存明细 where 户号='") +
                s(household) + s("' and 标志=1"));
        ASSERT_TRUE(grouped.ok) << grouped.error.toStdString();
        const QList<QStringList> expected = work_tables();
        exec(s("delete from 预存结余"));
        const auto one = tariffs::rebuild_household_prepayment_balances(db(), s(household));
        ASSERT_TRUE(one.ok) << one.error.toStdString();
        EXPECT_EQ(work_tables(), expected);
    }
    // 6 + 3 taken, 12 due.
    tariffs::rebuild_household_prepayment_balances(db(), s("H3"));
    EXPECT_DOUBLE_EQ(tariffs::grouped_balance_of(db(), s("H3")), 71);
    EXPECT_EQ(value(s("select 应扣金额 from 预存结余新")), s("12"));
}

TEST_F(BalancesOfAccounts, ThePerRowRebuildCountsEachBillOnce) {
    const auto out = tariffs::recompute_prepay_balances(
        db(), s("INSERT INTO 预存结余 (编号,户号,预存金额) select 收据号,户号,预存金额 from 预存明细 "
                "where 标志=1"));
    EXPECT_TRUE(out.ok) << out.error.toStdString();
    // H1 as above; H3: 6 + 3 - 1 taken from 80; H2 took nothing; H5's only deposit is void.
    EXPECT_EQ(rows(s("select 编号,户号,预存金额,已扣金额,结余金额 from 预存结余 order by 编号")),
              (QList<QStringList>{{s("11"), s("H1"), s("150"), s("21"), s("129")},
                                  {s("14"), s("H2"), s("10"), s("0"), s("10")},
                                  {s("21"), s("H3"), s("80"), s("8"), s("72")}}));
}

TEST_F(Balances, FailingStatementIsReported) {
    const auto grouped = tariffs::rebuild_prepayment_balances(db(), s("insert into nowhere"), 1);
    EXPECT_FALSE(grouped.ok);
    ASSERT_EQ(grouped.messages.size(), 1u);
    EXPECT_FALSE(grouped.error.isEmpty());
    const auto per_row = tariffs::recompute_prepay_balances(db(), s("insert into nowhere"));
    EXPECT_FALSE(per_row.ok);
    ASSERT_EQ(per_row.messages.size(), 2u);
    EXPECT_EQ(per_row.messages[1].text, s("insert into nowhere"));
}

}  // namespace
}  // namespace tariffs_test
