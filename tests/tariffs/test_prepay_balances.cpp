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
