// The engine writes a reduction record only with its bill, and writes nothing when the
// transaction that guards a bill cannot begin (another program holds the file, or the file
// cannot be written): the database's text is the outcome, never a bill outside a transaction.
#include "engine_fixture.h"
#include "harness/refused_transactions.h"
#include "tariffs/charge_engine.h"

namespace tariffs_test {
namespace {

using tariffs::ChargeOutcome;

class EngineDurability : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        category("居民", "水费", 2);
        surcharge("污水费", 0.5, "按用量", "居民", "水费");
    }
    void expect_nothing_written() {
        for (const char* table : {"总收费", "月附加费", "减免明细"})
            EXPECT_EQ(count(s("select count(*) from ") + s(table)), 0) << table;
        EXPECT_EQ(count(s("select count(*) from 抄表总表 where 是否收费=1")), 0);
    }
    const tariffs::FeeItemSwitches item{s("关闭"), s("实际用量模式"), s("水费"), s("关闭")};
};

TEST_F(EngineDurability, ABillWhoseTransactionCannotBeginIsNotWritten) {
    reading("H1", "H101", 10, "水费", "居民", 2);
    reading("H2", "H201", 10, "水费", "居民", 2);
    reduction_setting("H1", "部分减免", "永久", "按金额", 1, 0);
    const auto refused = [&](const ChargeOutcome& out, const char* label) {
        EXPECT_EQ(out.result, 0) << label;
        EXPECT_FALSE(out.bill_written) << label;
        EXPECT_TRUE(out.error.contains(s("not authorized"))) << label << out.error.toStdString();
        ASSERT_FALSE(out.messages.empty()) << label;
        EXPECT_EQ(out.messages.front().text, out.error) << label;
    };
    harness::RefusedTransactions locked(db(), "BEGIN");
    refused(tariffs::generate_household_charges(db(), s("H1"), item, context()), "engine");
    std::vector<ChargeOutcome> told;
    bool finished = true;
    {
        tariffs::BillRun run(
            db(), item, [&](const ChargeOutcome& out) { told.push_back(out); }, context());
        EXPECT_FALSE(run.add(s("H1")));
        EXPECT_FALSE(run.add(s("H2")));
        finished = run.finish();
    }
    EXPECT_FALSE(finished);
    ASSERT_EQ(told.size(), 1u);
    refused(told.front(), "bill run");
    expect_nothing_written();
}

// A run that writes no bill (the amount rounds to nothing, or a reduction covers it) grants no
// reduction: no record under a bill number the next bill will take, and a count-limited
// reduction keeps its count for the bill that is written later.
TEST_F(EngineDurability, AReductionIsRecordedOnlyWithItsBill) {
    params.rounding_enabled = s("真");
    params.rounding_position = s("个位");
    // H1: 10 units less 9 granted once leave 1 unit at 0.4, which rounds to nothing.
    category("优惠", "水费", 0.4);
    reading("H1", "H101", 10, "水费", "优惠", 0.4);
    reduction_setting("H1", "部分减免", "次数", "按用量", 0, 9, 1);
    reading("H2", "H201", 10, "水费", "居民", 2);
    ChargeOutcome h1 = tariffs::generate_household_charges(db(), s("H1"), item, context());
    EXPECT_TRUE(h1.ok());
    EXPECT_FALSE(h1.bill_written);
    EXPECT_EQ(count(s("select count(*) from 减免明细")), 0);
    const ChargeOutcome h2 = tariffs::generate_household_charges(db(), s("H2"), item, context());
    EXPECT_EQ(h2.bill_number, 1000000001);
    EXPECT_EQ(count(s("select count(*) from 减免明细")), 0);

    // Next month H1 reads 20 more: the reduction is still there for the bill of 21 units.
    reading("H1", "H101", 20, "水费", "优惠", 0.4, "2024-3-15");
    h1 = tariffs::generate_household_charges(db(), s("H1"), item, context());
    ASSERT_TRUE(h1.bill_written);
    EXPECT_EQ(value(s("select 减免用量 from 总收费 where 户号='H1'")), s("9"));
    EXPECT_EQ(value(s("select 实收金额 from 总收费 where 户号='H1'")), s("8"));
    EXPECT_EQ(rows(s("select 户号,收据号,减免用量 from 减免明细")),
              (QList<QStringList>{{s("H1"), QString::number(h1.bill_number), s("9")}}));
}

}  // namespace
}  // namespace tariffs_test
