// The monthly commit's engine: one case per rule, each checking the bill, its lines, its
// readings and its reduction record column by column.
#include <functional>

#include "engine_fixture.h"
#include "tariffs/charge_engine.h"

namespace tariffs_test {
namespace {

using tariffs::ChargeOutcome;

struct EngineCase {
    const char* name;
    std::function<void(EngineTest&)> seed;
    char bill_case;        // 0: no bill
    Columns bill;          // 总收费 of H1
    Columns first_reading; // the first reading seeded
    Columns last_reading;  // the last reading seeded
    int lines = 0;         // 月附加费 rows
    Columns line;          // the first line
    Columns reduction;     // the 减免明细 row (empty: none)
    const char* zero_usage = "关闭";
    const char* mode = "实际用量模式";
    const char* item = "水费";
    const char* tiered = "关闭";
};

// Household H1, meter account H101, category 居民 of 水费 at 2.35: readings of 12 and 8 give 47,
// and a surcharge of 0.8 per unit 16, so 63 in all.
void sixty_three(EngineTest& t) {
    t.category("居民", "水费", 2.35);
    t.reading("H1", "H101", 12, "水费", "居民", 2.35, "2024-3-1");
    t.reading("H1", "H101", 8, "水费", "居民", 2.35, "2024-3-2");
    t.surcharge("污水费", 0.8, "按用量", "居民", "水费");
}

const EngineCase kCases[] = {
    {"worked_example_unpaid_with_carry",
     [](EngineTest& t) {
         t.params.personal_account = s("开启");
         sixty_three(t);
         t.earlier_bill("H1", 5, 0.3);
     },
     'b',
     {{"户号", "H1"}, {"收据号", "1000000001"}, {"流水号", ""}, {"标志", "1"}, {"收费标志", "1"},
      {"收费人员", "未知"}, {"应收金额", "63"}, {"实收金额", "62.7"}, {"上月接转", "0.3"},
      {"本月接转", "0"}, {"附加费金额", "16"}, {"实收量", "20"}, {"价格", "2.35"},
      {"水费金额", "0"}, {"成本金额", "0"}, {"差额", "0"}, {"水损", "0"}, {"减免金额", "0"},
      {"减免用量", "0"}, {"预存扣款", "0"}, {"滞纳金", "0"}, {"抄表日期", "2024-03-02"},
      {"收费日期", "2024-03-02"}, {"收费项目", "水费"}, {"价格类别", "居民"}, {"抄表人员", "张三"}},
     {{"是否收费", "1"}, {"收据号", "1000000001"}, {"流水号", ""}, {"价格", "2.35"}, {"实收量", "12"}},
     {{"是否收费", "1"}, {"收据号", "1000000001"}, {"实收量", "8"}},
     1,
     {{"户号", "H1"}, {"附加费名称", "污水费"}, {"用量", "20"}, {"价格", "0.8"}, {"金额", "16"},
      {"收费日期", "2024-03-20"}, {"收据号", "1000000001"}, {"收费标志", "1"}, {"收费项目", "水费"},
      {"价格类别", "居民"}},
     {}},
    {"case_a_carry_over_covers_the_bill",
     [](EngineTest& t) {
         t.params.personal_account = s("开启");
         sixty_three(t);
         t.earlier_bill("H1", 5, 100);
     },
     'a',
     {{"实收金额", "63"}, {"本月接转", "37"}, {"上月接转", "100"}, {"收费标志", "0"},
      {"收费人员", "预存扣款"}, {"预存扣款", "0"}, {"流水号", "1000000001"}, {"应收金额", "63"}},
     {{"是否收费", "1"}, {"流水号", "1000000001"}},
     {{"流水号", "1000000001"}},
     1, {{"收据号", "1000000001"}}, {}},
    {"case_b_balance_short_of_the_bill",
     [](EngineTest& t) {
         sixty_three(t);
         t.prepayment(1, "H1", 30);
     },
     'b',
     {{"实收金额", "33"}, {"预存扣款", "30"}, {"收费标志", "1"}, {"本月接转", "0"}, {"流水号", ""}},
     {{"流水号", ""}}, {{"是否收费", "1"}}, 1, {}, {}},
    {"case_c_balance_covers_the_bill",
     [](EngineTest& t) {
         sixty_three(t);
         t.prepayment(1, "H1", 50);
         t.prepayment(2, "H1", 30);
         t.prepayment(3, "H1", 500, 2);  // void: not counted
     },
     'c',
     {{"实收金额", "0"}, {"预存扣款", "63"}, {"本月接转", "0"}, {"收费标志", "0"},
      {"收费人员", "预存扣款"}, {"流水号", "1000000001"}},
     {{"流水号", "1000000001"}}, {{"流水号", "1000000001"}}, 1, {}, {}},
    {"case_d_rest_rounds_to_nothing_is_carried_as_a_debt",
     [](EngineTest& t) {
         t.params.rounding_enabled = s("真");
         t.params.rounding_position = s("十分位");
         sixty_three(t);
         t.prepayment(1, "H1", 62.7);
     },
     'd',
     {{"实收金额", "0"}, {"预存扣款", "62.7"}, {"本月接转", "-0.3"}, {"收费标志", "0"},
      {"收费人员", "预存扣款"}, {"流水号", "1000000001"}},
     {{"流水号", "1000000001"}}, {}, 1, {}, {}},
    {"units_rounding_leaves_nothing_no_bill_and_no_lines",
     [](EngineTest& t) {
         t.params.rounding_enabled = s("真");
         t.params.rounding_position = s("个位");
         t.category("居民", "水费", 0.1);
         t.reading("H1", "H101", 2, "水费", "居民", 0.1);
         t.surcharge("污水费", 0.05, "按用量", "居民", "水费");
     },
     0, {}, {{"是否收费", "0"}, {"收据号", ""}}, {}, 0, {}, {}},
    {"units_rounding_with_carry_over_keeps_the_difference",
     [](EngineTest& t) {
         t.params.personal_account = s("开启");
         t.params.rounding_enabled = s("真");
         t.params.rounding_position = s("个位");
         sixty_three(t);
         t.earlier_bill("H1", 5, 0.3);
     },
     'b', {{"实收金额", "63"}, {"本月接转", "0.3"}, {"上月接转", "0.3"}}, {}, {}, 1, {}, {}},
    {"carry_over_off_keeps_no_difference",
     [](EngineTest& t) {
         t.params.rounding_enabled = s("真");
         t.params.rounding_position = s("个位");
         t.category("居民", "水费", 2.35);
         t.reading("H1", "H101", 12, "水费", "居民", 2.35);
         t.earlier_bill("H1", 5, 7);
     },
     'b', {{"实收金额", "28"}, {"本月接转", "0"}, {"上月接转", "0"}, {"应收金额", "28.2"}}, {}, {},
     0, {}, {}},
    {"halves_rounding_on_an_awkward_decimal",
     [](EngineTest& t) {
         t.params.rounding_enabled = s("真");
         t.params.rounding_position = s("十分位");
         t.category("居民", "水费", 1.3099);
         t.reading("H1", "H101", 40, "水费", "居民", 1.3099);  // 52.396 -> 52.40 -> 52.50
     },
     'b', {{"应收金额", "52.4"}, {"实收金额", "52.5"}}, {}, {}, 0, {}, {}},
    {"cents_on_an_awkward_decimal",
     [](EngineTest& t) {
         t.category("居民", "水费", 1.005);
         t.reading("H1", "H101", 1, "水费", "居民", 1.005);  // 1.005 is stored as 1.00499...
     },
     'b', {{"应收金额", "1.01"}, {"实收金额", "1.01"}}, {}, {}, 0, {}, {}},
    {"units_rounding_half_goes_up",
     [](EngineTest& t) {
         t.params.rounding_enabled = s("真");
         t.params.rounding_position = s("个位");
         t.category("居民", "水费", 2.5);
         t.reading("H1", "H101", 1, "水费", "居民", 2.5);
     },
     'b', {{"应收金额", "2.5"}, {"实收金额", "3"}}, {}, {}, 0, {}, {}},
    {"property_fee_with_parking",
     [](EngineTest& t) {
         t.exec(s("insert into 用户信息表 (户号,父号,用户名,物业类别,停车费) values "
                  "('H1','0','甲','住宅',50)"));
         t.reading("H1", "H101", 100, "物业", "住宅", 1.5);
     },
     'b',
     {{"应收金额", "200"}, {"实收金额", "200"}, {"价格类别", "住宅"}, {"价格", "1.5"},
      {"附加费金额", "0"}, {"收费项目", "物业"}},
     {}, {}, 1,
     {{"附加费名称", "停车费"}, {"用量", "1"}, {"价格", "50"}, {"金额", "50"}, {"收费项目", "物业"},
      {"价格类别", "住宅"}, {"收据号", "1000000001"}},
     {}, "关闭", "实际用量模式", "物业"},
    {"parking_alone_has_price_zero",
     [](EngineTest& t) {
         t.exec(s("insert into 用户信息表 (户号,父号,用户名,物业类别,停车费) values "
                  "('H1','0','甲','住宅',50)"));
         t.reading("H1", "H101", 0, "物业", "住宅", 1.5);
     },
     'b', {{"应收金额", "50"}, {"实收量", "0"}, {"价格", "0"}}, {{"实收量", "0"}, {"是否收费", "1"}},
     {}, 1, {{"附加费名称", "停车费"}}, {}, "开启", "基本用量模式", "物业"},
    {"base_quantity_then_loss",
     [](EngineTest& t) {
         t.category("居民", "电费", 2, 50);  // same name, another fee item: not its base
         t.category("居民", "水费", 2, 10);
         t.reading("H1", "H101", 3, "水费", "居民", 2, "2024-3-1", 1);
     },
     'b', {{"实收量", "11"}, {"应收金额", "22"}}, {{"实收量", "11"}}, {}, 0, {}, {}, "关闭",
     "基本用量模式"},
    {"base_quantity_window_of_the_fee_item",
     [](EngineTest& t) {
         t.category("居民", "水费", 2, 10);
         // A window of another fee item with the same category name is not used.
         t.exec(s("insert into 基本方调整 (抄表日起,抄表日止,用水类型,基本方,收费项目) values "
                  "('2024-2-25','2024-3-10','居民',50,'电费')"));
         t.exec(s("insert into 基本方调整 (抄表日起,抄表日止,用水类型,基本方,收费项目) values "
                  "('2024-2-25','2024-3-10','居民',20,'水费')"));
         t.reading("H1", "H101", 3, "水费", "居民", 2);
     },
     'b', {{"实收量", "20"}, {"应收金额", "40"}}, {}, {}, 0, {}, {}, "关闭", "基本用量模式"},
    {"zero_usage_billed_only_in_base_mode",
     [](EngineTest& t) {
         t.category("居民", "水费", 2);
         t.reading("H1", "H101", 0, "水费", "居民", 2);
     },
     0, {}, {{"是否收费", "0"}}, {}, 0, {}, {}, "开启", "实际用量模式"},
    {"quantity_reduction_runs_over_readings",
     [](EngineTest& t) {
         t.category("居民", "水费", 2);
         t.reading("H1", "H101", 3.6, "水费", "居民", 2, "2024-3-1");
         t.reading("H1", "H101", 4, "水费", "居民", 2, "2024-3-3");
         t.reduction_setting("H1", "部分减免", "永久", "按用量", 0, 5);
     },
     'b', {{"实收量", "3"}, {"应收金额", "6"}, {"减免用量", "5"}, {"减免金额", "0"}},
     {{"实收量", "0"}, {"是否收费", "1"}, {"价格", "2"}}, {{"实收量", "3"}}, 0, {},
     {{"户号", "H1"}, {"减免用量", "5"}, {"减免金额", ""}, {"减免日期", "2024-03-03"},
      {"收据号", "1000000001"}, {"减免类型", "按用量"}}},
    {"amount_reduction_permanent",
     [](EngineTest& t) {
         sixty_three(t);
         t.reduction_setting("H1", "部分减免", "永久", "按金额", 10, 0);
     },
     'b', {{"应收金额", "63"}, {"减免金额", "10"}, {"实收金额", "53"}}, {}, {}, 1, {},
     {{"户号", "H1"}, {"减免金额", "10"}, {"减免用量", ""}, {"减免日期", "2024-03-20"},
      {"收据号", "1000000001"}, {"减免类型", "按金额"}}},
    {"amount_reduction_count_limited_used_up",
     [](EngineTest& t) {
         sixty_three(t);
         t.reduction_setting("H1", "部分减免", "次数", "按金额", 10, 0, 1);
         t.reduction_record("H1", 7);
     },
     'b', {{"减免金额", "0"}, {"实收金额", "63"}}, {}, {}, 1, {}, {}},
    {"fully_reduced_writes_nothing",
     [](EngineTest& t) {
         sixty_three(t);
         t.reduction_setting("H1", "部分减免", "永久", "按金额", 100, 0);
     },
     0, {}, {{"是否收费", "0"}}, {{"是否收费", "0"}}, 0, {}, {}},
    {"tiers_restart_per_reading",
     [](EngineTest& t) {
         t.category("阶梯", "水费", 9);
         t.tier("阶梯", "水费", 1, 10, 1.5);
         t.tier("阶梯", "水费", 2, 20, 2);
         t.tier("阶梯", "水费", 3, 30, 3);
         t.tier("阶梯", "电费", 1, 1, 100);  // another fee item's tiers are not used
         t.reading("H1", "H101", 15, "水费", "阶梯", 9);
         t.reading("H1", "H101", 15, "水费", "阶梯", 9);
     },
     'b', {{"应收金额", "50"}, {"实收量", "30"}, {"价格", "1.67"}},
     {{"价格", "1.6667"}, {"实收量", "15"}}, {{"价格", "1.6667"}}, 0, {}, {}, "关闭",
     "实际用量模式", "水费", "开启"},
    {"tiers_missing_price_nothing",
     [](EngineTest& t) {
         t.category("阶梯", "水费", 9);
         t.reading("H1", "H101", 15, "水费", "阶梯", 9);
     },
     0, {}, {{"是否收费", "0"}}, {}, 0, {}, {}, "关闭", "实际用量模式", "水费", "开启"},
    {"mixed_use_split_by_share",
     [](EngineTest& t) {
         t.category("甲类", "水费", 2);
         t.category("乙类", "水费", 3);
         t.category("甲类", "电费", 100);  // same name under another fee item: not used
         t.exec(s("insert into 混合用水 (户号,价格类别,百分比值) values ('H101','甲类',30)"));
         t.exec(s("insert into 混合用水 (户号,价格类别,百分比值) values ('H101','乙类',70)"));
         t.reading("H1", "H101", 10.4, "水费", "混合用水", 0);
     },
     'b', {{"应收金额", "28.2"}, {"价格", "2.71"}, {"价格类别", "混合用水"}},
     {{"价格", "2.71"}, {"实收量", "10.4"}}, {}, 0, {}, {}},
};

class EngineCases : public EngineTest, public ::testing::WithParamInterface<EngineCase> {};

TEST_P(EngineCases, WritesTheBillItsLinesReadingsAndReduction) {
    const EngineCase& c = GetParam();
    c.seed(*this);
    const qint64 first = value(s("select min(编号) from 抄表总表")).toLongLong();
    const qint64 last = value(s("select max(编号) from 抄表总表")).toLongLong();
    const ChargeOutcome out = tariffs::generate_household_charges(
        db(), s("H1"), s(c.zero_usage), s(c.mode), s(c.item), s(c.tiered), context());
    EXPECT_EQ(out.result, 1);
    EXPECT_EQ(out.bill_case, c.bill_case);
    EXPECT_EQ(out.bill_written, c.bill_case != 0);
    const QString bill = s("select * from 总收费 where 户号='H1' and 收据号>=1000000000");
    if (c.bill_case == 0)
        EXPECT_EQ(count(s("select count(*) from 总收费 where 收据号>=1000000000")), 0);
    else
        expect_columns(bill, c.bill, "bill");
    if (!c.first_reading.empty())
        expect_columns(s("select * from 抄表总表 where 编号=") + QString::number(first),
                       c.first_reading, "first reading");
    if (!c.last_reading.empty())
        expect_columns(s("select * from 抄表总表 where 编号=") + QString::number(last),
                       c.last_reading, "last reading");
    EXPECT_EQ(count(s("select count(*) from 月附加费")), c.lines);
    if (!c.line.empty()) expect_columns(s("select * from 月附加费"), c.line, "line");
    if (c.reduction.empty())
        EXPECT_EQ(count(s("select count(*) from 减免明细 where 收据号>=1000000000")), 0);
    else
        expect_columns(s("select * from 减免明细 where 收据号>=1000000000"), c.reduction,
                       "reduction");
    // Nothing unwritable ever reaches a bill.
    for (const QStringList& r : rows(s("select * from 总收费")))
        for (const QString& v : r) EXPECT_FALSE(v.contains(s("nan")) || v.contains(s("inf")));
}

// Every table the engine writes, row by row.
QList<QStringList> written(EngineTest& t) {
    QList<QStringList> out;
    for (const char* table : {"总收费", "月附加费", "抄表总表", "减免明细", "预存结余", "预存结余新"}) {
        out << QStringList{s(table)};
        out += t.rows(s("select * from ") + s(table) + s(" order by rowid"));
    }
    return out;
}

// A bill run (batched savepoints, the price book read once) writes what the single bill writes.
TEST_P(EngineCases, ABillRunWritesTheSameRows) {
    const EngineCase& c = GetParam();
    c.seed(*this);
    const tariffs::FeeItemSwitches item{s(c.zero_usage), s(c.mode), s(c.item), s(c.tiered)};
    ChargeOutcome single;
    QList<QStringList> alone;
    {
        platform::Transaction undone(db());
        single = tariffs::generate_household_charges(db(), s("H1"), item, context());
        alone = written(*this);
    }
    std::vector<ChargeOutcome> told;
    tariffs::BillRun run(
        db(), item, [&](const ChargeOutcome& out) { told.push_back(out); }, context());
    EXPECT_TRUE(run.add(s("H1")));
    EXPECT_TRUE(run.finish());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].result, single.result);
    EXPECT_EQ(told[0].bill_case, single.bill_case);
    EXPECT_EQ(told[0].bill_number, single.bill_number);
    EXPECT_EQ(told[0].payment_serial, single.payment_serial);
    EXPECT_EQ(written(*this), alone);
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineCases, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, NoReadingsNothingWritten) {
    const ChargeOutcome out = tariffs::generate_household_charges(
        db(), s("H1"), s("关闭"), s("实际用量模式"), s("水费"), s("关闭"), context());
    EXPECT_EQ(out.result, 1);
    EXPECT_FALSE(out.bill_written);
    EXPECT_EQ(count(s("select count(*) from 总收费")), 0);
}

TEST_F(EngineTest, NumbersFollowTheLargestReadingNumberAndSerial) {
    sixty_three(*this);
    exec(s("insert into 抄表总表 (户号,父号,用量,是否收费,收据号) values ('X01','X',1,1,1000000041)"));
    exec(s("insert into 总收费 (户号,收据号,流水号,标志,收费标志) values ('X',1000000041,1000000077,1,0)"));
    prepayment(1, "H1", 100);
    const ChargeOutcome out = tariffs::generate_household_charges(
        db(), s("H1"), s("关闭"), s("实际用量模式"), s("水费"), s("关闭"), context());
    EXPECT_EQ(out.bill_number, 1000000042);
    EXPECT_EQ(out.payment_serial, 1000000078);
}

// A failing write leaves nothing of the household's bill: no line, no bill, no marked reading.
TEST_F(EngineTest, FailedBillInsertLeavesNothingAndReportsTheDatabaseText) {
    sixty_three(*this);
    exec(s("create trigger refuse before insert on 总收费 begin select raise(abort,'disk is full'); end"));
    const ChargeOutcome out = tariffs::generate_household_charges(
        db(), s("H1"), s("关闭"), s("实际用量模式"), s("水费"), s("关闭"), context());
    EXPECT_EQ(out.result, 0);
    EXPECT_NE(out.error.indexOf(s("disk is full")), -1);
    ASSERT_EQ(out.messages.size(), 2u);
    EXPECT_EQ(out.messages[0].text, out.error);
    EXPECT_TRUE(out.messages[1].text.startsWith(s("insert into 总收费")));
    EXPECT_EQ(count(s("select count(*) from 月附加费")), 0);
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 是否收费=1")), 0);
}

TEST_F(EngineTest, FailedSurchargeLineStopsTheBill) {
    sixty_three(*this);
    exec(s("create trigger refuse before insert on 月附加费 begin select raise(abort,'no room'); end"));
    const ChargeOutcome out = tariffs::generate_household_charges(
        db(), s("H1"), s("关闭"), s("实际用量模式"), s("水费"), s("关闭"), context());
    EXPECT_EQ(out.result, 0);
    EXPECT_FALSE(out.bill_written);
    EXPECT_NE(out.error.indexOf(s("no room")), -1);
    EXPECT_EQ(count(s("select count(*) from 总收费")), 0);
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 是否收费=1")), 0);
}

TEST_F(EngineTest, FailedReadingUpdateTakesTheBillBack) {
    sixty_three(*this);
    reduction_setting("H1", "部分减免", "永久", "按金额", 1, 0);
    exec(s("create trigger refuse before update on 抄表总表 begin select raise(abort,'locked'); end"));
    const ChargeOutcome out = tariffs::generate_household_charges(
        db(), s("H1"), s("关闭"), s("实际用量模式"), s("水费"), s("关闭"), context());
    EXPECT_EQ(out.result, 0);
    EXPECT_FALSE(out.bill_written);
    EXPECT_EQ(count(s("select count(*) from 总收费")), 0);
    EXPECT_EQ(count(s("select count(*) from 月附加费")), 0);
    EXPECT_EQ(count(s("select count(*) from 减免明细")), 0);
}

TEST_F(EngineTest, QuotesInNamesStayText) {
    category("O'Hara", "水费", 2);
    reading("H'1", "H'101", 5, "水费", "O'Hara", 2);
    const ChargeOutcome out = tariffs::generate_household_charges(
        db(), s("H'1"), s("关闭"), s("实际用量模式"), s("水费"), s("关闭"), context());
    EXPECT_EQ(out.result, 1);
    EXPECT_EQ(value(s("select 价格类别 from 总收费 where 户号='H''1'")), s("O'Hara"));
}

}  // namespace
}  // namespace tariffs_test

namespace tariffs_test {
namespace {

// The balance work tables end as the grouped rebuild leaves them, also when the household has
// no prepayment and the tables held another household's rows or one of them was missing.
TEST_F(EngineTest, WorkTablesEndAsTheRebuildLeavesThem) {
    sixty_three(*this);
    exec(s("insert into 预存结余新 (户号,预存金额,已扣金额,结余金额,应扣金额) values ('H9',5,0,5,0)"));
    EXPECT_TRUE(tariffs::generate_household_charges(db(), s("H1"), s("关闭"), s("实际用量模式"),
                                                    s("水费"), s("关闭"), context())
                    .bill_written);
    EXPECT_EQ(count(s("select count(*) from 预存结余新")), 0);
    EXPECT_EQ(count(s("select count(*) from 预存结余")), 0);

    reading("H2", "H201", 10, "水费", "居民", 2.35);
    exec(s("DROP TABLE 预存结余新"));
    EXPECT_EQ(tariffs::generate_household_charges(db(), s("H2"), s("关闭"), s("实际用量模式"),
                                                  s("水费"), s("关闭"), context())
                  .bill_case,
              'b');
    EXPECT_EQ(count(s("select count(*) from 预存结余新")), 0);

    reading("H3", "H301", 10, "水费", "居民", 2.35);
    prepayment(1, "H3", 100);
    EXPECT_EQ(tariffs::generate_household_charges(db(), s("H3"), s("关闭"), s("实际用量模式"),
                                                  s("水费"), s("关闭"), context())
                  .bill_case,
              'c');
    expect_columns(s("select * from 预存结余新"),
                   {{"户号", "H3"}, {"预存金额", "100"}, {"已扣金额", "0"}, {"结余金额", "100"}},
                   "balance");
}

}  // namespace
}  // namespace tariffs_test
