// The reduction pass: which settings apply, the reduction record and the readings it marks.
#include "engine_fixture.h"
#include "tariffs/charge_engine.h"
#include "tariffs/reductions.h"

namespace tariffs_test {
namespace {

class Reductions : public EngineTest {
public:
    void SetUp() override {
        EngineTest::SetUp();
        category("居民", "水费", 1);
    }
    // Readings of H1 worth the given amounts (price 1, so the quantity too).
    QString readings_of(const char* household, std::initializer_list<double> usages) {
        QString ids;
        const QString meter = s(household) + s("01");
        for (double usage : usages)
            ids += QString::number(reading(household, meter.toUtf8().constData(), usage, "水费",
                                           "居民", 1)) +
                   u'|';
        return ids;
    }
    qint64 billed() { return count(s("select count(*) from 抄表总表 where 是否收费=1")); }
};

TEST_F(Reductions, PartialPermanentByAmountCoversTheReadings) {
    const QString ids = readings_of("H1", {10, 10, 5});
    reduction_setting("H1", "部分减免", "永久", "按金额", 10, 0);  // 10 x 3 readings >= 25
    const auto out = tariffs::apply_all_reductions(db(), kToday);
    EXPECT_EQ(out.applied, 1);
    expect_columns(s("select * from 减免明细"),
                   {{"户号", "H1"}, {"减免金额", "25"}, {"减免用量", "0"},
                    {"减免日期", "2024-03-20"}, {"收据号", "1000000001"}, {"减免类型", "按金额"}},
                   "record");
    EXPECT_EQ(value(s("select 抄表ID from 减免明细")), ids);
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 是否收费=1 and 收据号=1000000001")), 3);
    EXPECT_EQ(count(s("select count(*) from 总收费")), 0);
    // The engine leaves reduced readings alone.
    EXPECT_FALSE(tariffs::generate_household_charges(db(), s("H1"), s("关闭"), s("实际用量模式"),
                                                     s("水费"), s("关闭"), context())
                     .bill_written);
}

TEST_F(Reductions, PartialAmountShortOfTheReadingsDoesNotApply) {
    readings_of("H1", {10, 10, 15});
    reduction_setting("H1", "部分减免", "永久", "按金额", 10, 0);
    EXPECT_EQ(tariffs::apply_all_reductions(db(), kToday).applied, 0);
    EXPECT_EQ(billed(), 0);
    EXPECT_EQ(count(s("select count(*) from 减免明细")), 0);
}

TEST_F(Reductions, PartialByQuantityWhenItCoversTheQuantity) {
    readings_of("H1", {8});
    readings_of("H2", {12});
    reduction_setting("H1", "部分减免", "永久", "按用量", 0, 10);
    reduction_setting("H2", "部分减免", "永久", "按用量", 0, 10);
    EXPECT_EQ(tariffs::apply_all_reductions(db(), kToday).applied, 1);
    expect_columns(s("select * from 减免明细"),
                   {{"户号", "H1"}, {"减免金额", "0"}, {"减免用量", "8"}, {"减免类型", "按用量"}},
                   "record");
}

TEST_F(Reductions, FullPermanentAndConsecutiveNumbers) {
    readings_of("H1", {3, 4});
    readings_of("H2", {5});
    reduction_setting("H1", "全部减免", "永久", "按金额", 0, 0);
    reduction_setting("H2", "全部减免", "永久", "按用量", 0, 0);
    EXPECT_EQ(tariffs::apply_all_reductions(db(), kToday).applied, 2);
    expect_columns(s("select * from 减免明细 where 户号='H1'"),
                   {{"减免金额", "7"}, {"减免用量", "7"}, {"收据号", "1000000001"}}, "H1");
    expect_columns(s("select * from 减免明细 where 户号='H2'"),
                   {{"减免金额", "5"}, {"收据号", "1000000002"}, {"减免类型", "按用量"}}, "H2");
    EXPECT_EQ(billed(), 3);
}

TEST_F(Reductions, CountLimitedOnlyWhileInUse) {
    readings_of("H1", {3});
    readings_of("H2", {3});
    reduction_setting("H1", "全部减免", "次数", "按金额", 0, 0, 2);
    reduction_setting("H2", "全部减免", "次数", "按金额", 0, 0, 2);
    reduction_record("H1", 7);
    reduction_record("H2", 8);
    reduction_record("H2", 9);  // H2 has used both
    EXPECT_EQ(tariffs::apply_all_reductions(db(), kToday).applied, 1);
    EXPECT_EQ(count(s("select count(*) from 减免明细 where 户号='H1'")), 2);
    EXPECT_EQ(count(s("select count(*) from 减免明细 where 户号='H2'")), 2);
    EXPECT_EQ(value(s("select 是否收费 from 抄表总表 where 户号='H201'")), s("0"));
}

TEST_F(Reductions, PartialCountLimitedAmountIsNotMultiplied) {
    readings_of("H1", {4, 4});
    reduction_setting("H1", "部分减免", "次数", "按金额", 5, 0, 1);  // 5 < 8: no
    EXPECT_EQ(tariffs::apply_all_reductions(db(), kToday).applied, 0);
    exec(s("update 减免设置 set 减免金额=8"));
    EXPECT_EQ(tariffs::apply_all_reductions(db(), kToday).applied, 1);
}

TEST_F(Reductions, NothingToReduceWritesNothing) {
    reduction_setting("H1", "全部减免", "永久", "按金额", 0, 0);
    EXPECT_EQ(tariffs::apply_all_reductions(db(), kToday).applied, 0);
    EXPECT_EQ(count(s("select count(*) from 减免明细")), 0);
}

// A full reduction covers what the engine would bill over every fee item: the amount to the fen,
// the whole quantity, and every reading, each marked billed under the record's number.
TEST_F(Reductions, AFullReductionTakesEveryFeeItemsAmountQuantityAndReadings) {
    category("照明", "电费", 0.333);
    QStringList ids = readings_of("H1", {2.5, 4}).split(u'|', Qt::SkipEmptyParts);
    ids << QString::number(reading("H1", "H102", 10, "电费", "照明", 0.333));
    readings_of("H2", {7});
    reduction_setting("H1", "全部减免", "永久", "按金额", 0, 0);
    EXPECT_EQ(tariffs::apply_all_reductions(db(), kToday).applied, 1);
    expect_columns(
        s("select * from 减免明细"),
        {{"户号", "H1"}, {"减免金额", "9.83"}, {"减免用量", "16.5"}, {"收据号", "1000000001"}},
        "record");
    QStringList recorded = value(s("select 抄表ID from 减免明细")).split(u'|', Qt::SkipEmptyParts);
    recorded.sort();
    ids.sort();
    EXPECT_EQ(recorded, ids);
    EXPECT_EQ(rows(s("select 户号,收据号 from 抄表总表 where 是否收费=1 order by 编号")),
              (QList<QStringList>{{s("H101"), s("1000000001")},
                                  {s("H101"), s("1000000001")},
                                  {s("H102"), s("1000000001")}}));
}

// A failing write takes back the marks: the readings stay for the engine.
TEST_F(Reductions, FailedRecordLeavesTheReadingsUnbilled) {
    readings_of("H1", {3});
    reduction_setting("H1", "全部减免", "永久", "按金额", 0, 0);
    exec(s("create trigger refuse before insert on 减免明细 begin select raise(abort,'full'); end"));
    const auto out = tariffs::apply_all_reductions(db(), kToday);
    EXPECT_EQ(out.applied, 0);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text, s("添加减免明细错误数据不符合约束（full）"));
    EXPECT_EQ(billed(), 0);
}

}  // namespace
}  // namespace tariffs_test
