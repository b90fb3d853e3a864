// A bill run over many households: batches under one savepoint each, a failing batch billed
// again household by household, so a failing household keeps nothing of its bill, the ones
// before it stay billed with consecutive numbers, none after it is billed, and its failure
// consumes no number.
#include "engine_fixture.h"
#include "tariffs/charge_engine.h"

namespace tariffs_test {
namespace {

using tariffs::ChargeOutcome;

class BillRunTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        category("居民", "水费", 2.5);
        surcharge("污水费", 0.8, "按用量", "居民", "水费");
        for (const char* h : {"H1", "H2", "H3", "H4", "H5"})
            reading(h, (std::string(h) + "01").c_str(), 10, "水费", "居民", 2.5);
    }
    // Bills the households in batches of two; the outcomes told, in order.
    std::vector<ChargeOutcome> bill(const QStringList& households, bool* finished) {
        std::vector<ChargeOutcome> told;
        tariffs::BillRun run(
            db(), item, [&](const ChargeOutcome& out) { told.push_back(out); }, context(), 2);
        for (const QString& h : households)
            if (!run.add(h)) break;
        *finished = run.finish();
        return told;
    }
    QList<QStringList> bills() {
        return rows(s("select 户号,收据号,应收金额 from 总收费 order by 收据号"));
    }

    const tariffs::FeeItemSwitches item{s("关闭"), s("实际用量模式"), s("水费"), s("关闭")};
};

TEST_F(BillRunTest, AFailingHouseholdKeepsNothingAndStopsTheRun) {
    exec(s("CREATE TRIGGER refuse_h4 BEFORE INSERT ON 总收费 WHEN new.户号='H4' "
           "BEGIN SELECT RAISE(ABORT,'disk is full'); END"));
    bool finished = true;
    const std::vector<ChargeOutcome> told =
        bill({s("H1"), s("H2"), s("H3"), s("H4"), s("H5")}, &finished);
    EXPECT_FALSE(finished);
    // H1 to H3 told as billed, H4 as failed with the database's text and its statement; H5
    // never billed.
    ASSERT_EQ(told.size(), 4u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(told[i].ok());
        EXPECT_EQ(told[i].bill_number, 1000000001 + static_cast<qint64>(i));
    }
    EXPECT_FALSE(told[3].ok());
    EXPECT_FALSE(told[3].bill_written);
    ASSERT_EQ(told[3].messages.size(), 2u);
    EXPECT_TRUE(told[3].messages[0].text.contains(s("disk is full")));
    EXPECT_TRUE(told[3].messages[1].text.startsWith(s("insert into 总收费")));

    EXPECT_EQ(bills(), (QList<QStringList>{{s("H1"), s("1000000001"), s("33")},
                                           {s("H2"), s("1000000002"), s("33")},
                                           {s("H3"), s("1000000003"), s("33")}}));
    // No line under H4's number, H4 and H5 still unbilled.
    EXPECT_EQ(rows(s("select 户号,收据号 from 月附加费 order by 收据号")),
              (QList<QStringList>{{s("H1"), s("1000000001")},
                                  {s("H2"), s("1000000002")},
                                  {s("H3"), s("1000000003")}}));
    EXPECT_EQ(rows(s("select 父号 from 抄表总表 where 是否收费=0 order by 编号")),
              (QList<QStringList>{{s("H4")}, {s("H5")}}));

    // The failure took no number: the next run goes on from H3's.
    exec(s("DROP TRIGGER refuse_h4"));
    const std::vector<ChargeOutcome> again = bill({s("H4"), s("H5")}, &finished);
    EXPECT_TRUE(finished);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0].bill_number, 1000000004);
    EXPECT_EQ(again[1].bill_number, 1000000005);
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 是否收费=0")), 0);
}

TEST_F(BillRunTest, OutcomesAreToldOnceTheirBatchWentIn) {
    std::vector<ChargeOutcome> told;
    {
        tariffs::BillRun run(
            db(), item, [&](const ChargeOutcome& out) { told.push_back(out); }, context(), 2);
        EXPECT_TRUE(run.add(s("H1")));
        EXPECT_TRUE(told.empty());
        EXPECT_TRUE(run.add(s("H2")));
        EXPECT_EQ(told.size(), 2u);
        EXPECT_TRUE(run.add(s("H3")));
        // Ending the run bills what is queued.
    }
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[2].bill_number, 1000000003);
    EXPECT_EQ(count(s("select count(*) from 总收费")), 3);
}

// One run writes bills of every shape, each shape's statement serving many households: unpaid
// and born-paid bills (with and without 流水号), reductions by amount and by quantity. Each
// household's rows carry its own values, whatever shape the household before it had.
TEST_F(BillRunTest, EachShapeOfWriteKeepsItsOwnValuesAcrossHouseholds) {
    reduction_setting("H1", "部分减免", "永久", "按金额", 5, 0);
    reduction_setting("H2", "部分减免", "永久", "按用量", 0, 4);
    prepayment(501, "H2", 100);
    reduction_setting("H4", "部分减免", "永久", "按金额", 3, 0);
    prepayment(502, "H5", 50);
    bool finished = false;
    const std::vector<ChargeOutcome> told =
        bill({s("H1"), s("H2"), s("H3"), s("H4"), s("H5")}, &finished);
    EXPECT_TRUE(finished);
    ASSERT_EQ(told.size(), 5u);

    // 10 units at 2.5 plus 0.8 a unit: 33; H1 less 5, H2 for 6 units, H4 less 3.
    EXPECT_EQ(rows(s("select 户号,收据号,流水号,收费标志,收费人员,应收金额,实收金额,预存扣款,"
                     "减免金额,减免用量,实收量 from 总收费 order by 收据号")),
              (QList<QStringList>{
                  {s("H1"), s("1000000001"), s(""), s("1"), s("未知"), s("33"), s("28"), s("0"),
                   s("5"), s("0"), s("10")},
                  {s("H2"), s("1000000002"), s("1000000001"), s("0"), s("预存扣款"), s("19.8"),
                   s("0"), s("19.8"), s("0"), s("4"), s("6")},
                  {s("H3"), s("1000000003"), s(""), s("1"), s("未知"), s("33"), s("33"), s("0"),
                   s("0"), s("0"), s("10")},
                  {s("H4"), s("1000000004"), s(""), s("1"), s("未知"), s("33"), s("30"), s("0"),
                   s("3"), s("0"), s("10")},
                  {s("H5"), s("1000000005"), s("1000000002"), s("0"), s("预存扣款"), s("33"),
                   s("0"), s("33"), s("0"), s("0"), s("10")}}));
    EXPECT_EQ(rows(s("select 户号,收据号,用量,金额 from 月附加费 order by 收据号")),
              (QList<QStringList>{{s("H1"), s("1000000001"), s("10"), s("8")},
                                  {s("H2"), s("1000000002"), s("6"), s("4.8")},
                                  {s("H3"), s("1000000003"), s("10"), s("8")},
                                  {s("H4"), s("1000000004"), s("10"), s("8")},
                                  {s("H5"), s("1000000005"), s("10"), s("8")}}));
    EXPECT_EQ(rows(s("select 父号,是否收费,收据号,流水号,价格,实收量 from 抄表总表 order by 编号")),
              (QList<QStringList>{
                  {s("H1"), s("1"), s("1000000001"), s(""), s("2.5"), s("10")},
                  {s("H2"), s("1"), s("1000000002"), s("1000000001"), s("2.5"), s("6")},
                  {s("H3"), s("1"), s("1000000003"), s(""), s("2.5"), s("10")},
                  {s("H4"), s("1"), s("1000000004"), s(""), s("2.5"), s("10")},
                  {s("H5"), s("1"), s("1000000005"), s("1000000002"), s("2.5"), s("10")}}));
    const QString h2_reading = value(s("select 编号 from 抄表总表 where 父号='H2'"));
    const QString h4_reading = value(s("select 编号 from 抄表总表 where 父号='H4'"));
    EXPECT_EQ(rows(s("select 户号,减免金额,减免用量,抄表ID,减免日期,收据号,减免类型 from 减免明细 "
                     "order by 编号")),
              (QList<QStringList>{
                  {s("H1"), s("5"), s(""), value(s("select 编号 from 抄表总表 where 父号='H1'")) + u'|',
                   s("2024-03-20"), s("1000000001"), s("按金额")},
                  {s("H2"), s(""), s("4"), h2_reading + u'|', s("2024-03-01"), s("1000000002"),
                   s("按用量")},
                  {s("H4"), s("3"), s(""), h4_reading + u'|', s("2024-03-20"), s("1000000004"),
                   s("按金额")}}));
}

}  // namespace
}  // namespace tariffs_test
