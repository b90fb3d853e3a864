// Rebilling one meter account's month after a reading edit: one case per rule, the bill, its
// lines, its readings and its reduction record checked column by column.
#include <functional>

#include "engine_fixture.h"
#include "tariffs/charge_engine.h"

namespace tariffs_test {
namespace {

struct RebillCase {
    const char* name;
    std::function<void(EngineTest&)> seed;
    char bill_case;  // 0: no bill
    Columns bill;    // 总收费 of H101
    Columns first_reading;
    int lines = 0;
    std::vector<Columns> line_rows;  // 月附加费 in insertion order
    Columns reduction;
    const char* zero_usage = "关闭";
    const char* mode = "实际用量模式";
    const char* tiered = "关闭";
};

// Category 居民 of 水费 at 2 with a base quantity of 10; meter account H101 of household H1.
void base(EngineTest& t) { t.category("居民", "水费", 2, 10); }

const RebillCase kCases[] = {
    {"base_quantity_counts_the_loss",
     [](EngineTest& t) {
         base(t);
         t.reading("H1", "H101", 3, "水费", "居民", 9, "2024-3-5", 1);
     },
     'b',
     {{"户号", "H101"}, {"收据号", "1000000001"}, {"流水号", ""}, {"标志", "1"}, {"收费标志", "1"},
      {"收费人员", "柜台"}, {"水费金额", "8"}, {"附加费金额", "0"}, {"成本金额", "8"},
      {"差额", "12"}, {"应收金额", "20"}, {"实收金额", "20"}, {"实收量", "10"}, {"水损", "1"},
      {"价格", "2"}, {"上月接转", "0"}, {"本月接转", "0"}, {"预存扣款", "0"}, {"滞纳金", "0"},
      {"减免金额", "0"}, {"减免用量", "0"}, {"抄表日期", "2024-03-05"}, {"收费日期", "2024-03-05"},
      {"收费项目", "水费"}, {"价格类别", "居民"}, {"抄表人员", "张三"}},
     {{"是否收费", "1"}, {"收据号", "1000000001"}, {"价格", "9"}, {"实收量", ""}},
     0, {}, {}, "关闭", "基本用量模式"},
    {"quantity_reduction_on_every_reading",
     [](EngineTest& t) {
         base(t);
         t.reading("H1", "H101", 5, "水费", "居民", 2, "2024-3-1");
         t.reading("H1", "H101", 6, "水费", "居民", 2, "2024-3-9");
         t.reduction_setting("H101", "部分减免", "永久", "按用量", 0, 2);
     },
     'b', {{"实收量", "7"}, {"应收金额", "14"}, {"减免用量", "4"}, {"水费金额", "14"}}, {}, 0, {},
     {{"户号", "H101"}, {"减免用量", "4"}, {"减免日期", "2024-03-09"}, {"收据号", "1000000001"},
      {"减免类型", "按用量"}}},
    {"amount_reduction_multiplied_by_the_readings",
     [](EngineTest& t) {
         base(t);
         t.reading("H1", "H101", 5, "水费", "居民", 2, "2024-3-1");
         t.reading("H1", "H101", 6, "水费", "居民", 2, "2024-3-9");
         t.reduction_setting("H101", "部分减免", "永久", "按金额", 5, 0);
     },
     'b', {{"应收金额", "22"}, {"减免金额", "10"}, {"实收金额", "12"}, {"差额", "-10"}}, {}, 0, {},
     {{"户号", "H101"}, {"减免金额", "10"}, {"减免日期", "2024-03-20"}, {"减免类型", "按金额"}}},
    {"balance_pays_with_six_digit_numbers",
     [](EngineTest& t) {
         t.params.payment_serial_digits = 6;
         base(t);
         t.reading("H1", "H101", 10, "水费", "居民", 2);
         t.prepayment(1, "H1", 100);
     },
     'c',
     {{"收据号", "1000001"}, {"流水号", "1000001"}, {"实收金额", "0"}, {"预存扣款", "20"},
      {"收费人员", "预存扣款"}, {"收费标志", "0"}},
     {{"流水号", "1000001"}, {"收据号", "1000001"}}, 0, {}, {}},
    {"balance_short_of_the_bill",
     [](EngineTest& t) {
         base(t);
         t.reading("H1", "H101", 10, "水费", "居民", 2);
         t.prepayment(1, "H1", 5);
     },
     'b', {{"实收金额", "15"}, {"预存扣款", "5"}, {"收费标志", "1"}}, {{"流水号", ""}}, 0, {}, {}},
    {"number_skips_a_reduction_records_receipt",
     [](EngineTest& t) {
         base(t);
         t.reading("H1", "H101", 10, "水费", "居民", 2);
         t.reduction_record("H2", 1000000001);
     },
     'b', {{"收据号", "1000000002"}}, {}, 0, {}, {}},
    {"carry_credit_larger_than_the_charge_writes_nothing",
     [](EngineTest& t) {
         t.params.personal_account = s("开启");
         base(t);
         t.surcharge("污水费", 0.5, "按用量", "居民", "水费");
         t.reading("H1", "H101", 10, "水费", "居民", 2);
         t.earlier_bill("H101", 5, 100);
     },
     0, {}, {{"是否收费", "0"}}, 0, {}, {}},
    {"carry_over_and_rounding",
     [](EngineTest& t) {
         t.params.personal_account = s("开启");
         t.params.rounding_enabled = s("真");
         t.params.rounding_position = s("个位");
         base(t);
         t.reading("H1", "H101", 10, "水费", "居民", 2);
         t.earlier_bill("H101", 5, 0.4);
     },
     'b',
     {{"应收金额", "20"}, {"上月接转", "0.4"}, {"实收金额", "20"}, {"本月接转", "0.4"},
      {"差额", "0"}},
     {}, 0, {}, {}},
    {"zero_usage_with_loss_billed_in_actual_mode",
     [](EngineTest& t) {
         base(t);
         t.reading("H1", "H101", 0, "水费", "居民", 2, "2024-3-5", 2);
     },
     'b', {{"实收量", "2"}, {"应收金额", "4"}, {"水损", "2"}}, {}, 0, {}, {}, "开启"},
    {"lines_from_every_fee_item_unrounded",
     [](EngineTest& t) {
         base(t);
         t.surcharge("污水费", 0.333, "按用量", "居民", "水费");
         t.surcharge("垃圾费", 1.5, "固定", "居民", "电费");
         t.reading("H1", "H101", 3, "水费", "居民", 2);
     },
     'b', {{"应收金额", "7"}, {"附加费金额", "2.499"}, {"成本金额", "8.499"}, {"差额", "-1.499"}},
     {}, 2,
     {{{"户号", "H101"}, {"附加费名称", "污水费"}, {"用量", "3"}, {"价格", "0.333"},
       {"金额", "0.999"}, {"收据号", "1000000001"}, {"收费项目", "水费"}, {"价格类别", "居民"},
       {"收费日期", "2024-03-20"}},
      {{"附加费名称", "垃圾费"}, {"用量", "3"}, {"金额", "1.5"}, {"收费项目", "水费"}}},
     {}},
    {"tiers_price_usage_and_quantity_apart",
     [](EngineTest& t) {
         base(t);
         t.tier("居民", "水费", 1, 5, 1);
         t.tier("居民", "水费", 2, 20, 2);
         t.reading("H1", "H101", 3, "水费", "居民", 2, "2024-3-5", 1);
     },
     'b', {{"水费金额", "4"}, {"应收金额", "15"}, {"价格", "1.5"}, {"实收量", "10"}}, {}, 0, {},
     {}, "关闭", "基本用量模式", "开启"},
    {"another_month_is_not_billed",
     [](EngineTest& t) {
         base(t);
         t.reading("H1", "H101", 10, "水费", "居民", 2, "2024-4-1");
     },
     0, {}, {{"是否收费", "0"}}, 0, {}, {}},
    {"category_without_price_row_is_not_billed",
     [](EngineTest& t) { t.reading("H1", "H101", 10, "水费", "无价", 2); }, 0, {},
     {{"是否收费", "0"}}, 0, {}, {}},
};

class RebillCases : public EngineTest, public ::testing::WithParamInterface<RebillCase> {};

TEST_P(RebillCases, WritesTheBillItsLinesReadingsAndReduction) {
    const RebillCase& c = GetParam();
    c.seed(*this);
    const qint64 first = value(s("select min(编号) from 抄表总表")).toLongLong();
    const tariffs::ChargeOutcome out = tariffs::rebill_meter_for_month(
        db(), s("H101"), s("柜台"), QDate(2024, 3, 15), s(c.zero_usage), s(c.mode), s("水费"),
        s(c.tiered), context());
    EXPECT_EQ(out.result, 1);
    EXPECT_EQ(out.bill_case, c.bill_case);
    if (c.bill_case == 0)
        EXPECT_EQ(count(s("select count(*) from 总收费 where 户号='H101' and 收据号<>5")), 0);
    else
        expect_columns(s("select * from 总收费 where 户号='H101' and 收据号<>5"), c.bill, "bill");
    if (!c.first_reading.empty())
        expect_columns(s("select * from 抄表总表 where 编号=") + QString::number(first),
                       c.first_reading, "reading");
    EXPECT_EQ(count(s("select count(*) from 月附加费")), c.lines);
    const QList<QStringList> ids = rows(s("select rowid from 月附加费 order by rowid"));
    for (size_t i = 0; i < c.line_rows.size() && i < static_cast<size_t>(ids.size()); ++i)
        expect_columns(s("select * from 月附加费 where rowid=") + ids[static_cast<int>(i)][0],
                       c.line_rows[i], "line");
    if (c.reduction.empty())
        EXPECT_EQ(count(s("select count(*) from 减免明细 where 收据号>1000")),
                  count(s("select count(*) from 减免明细 where 收据号>1000 and 户号='H2'")));
    else
        expect_columns(s("select * from 减免明细 where 户号='H101'"), c.reduction, "reduction");
}

INSTANTIATE_TEST_SUITE_P(Cases, RebillCases, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, RebillNumbersFollowTheBills) {
    base(*this);
    reading("H1", "H101", 10, "水费", "居民", 2);
    prepayment(1, "H1", 100);
    exec(s("insert into 总收费 (户号,收据号,流水号,标志,收费标志) values ('X',5,1000000009,1,0)"));
    const tariffs::ChargeOutcome out =
        tariffs::rebill_meter_for_month(db(), s("H101"), s("未知"), QDate(2024, 3, 1), s("关闭"),
                                        s("实际用量模式"), s("水费"), s("关闭"), context());
    EXPECT_EQ(out.bill_case, 'c');
    EXPECT_EQ(out.bill_number, 6);
    EXPECT_EQ(out.payment_serial, 1000000010);
}

TEST_F(EngineTest, RebillLineFailureLeavesNothing) {
    base(*this);
    surcharge("污水费", 0.5, "按用量", "居民", "水费");
    reading("H1", "H101", 10, "水费", "居民", 2);
    exec(s("create trigger refuse before insert on 月附加费 begin select raise(abort,'no room'); end"));
    const tariffs::ChargeOutcome out =
        tariffs::rebill_meter_for_month(db(), s("H101"), s("未知"), QDate(2024, 3, 1), s("关闭"),
                                        s("实际用量模式"), s("水费"), s("关闭"), context());
    EXPECT_EQ(out.result, 0);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text, s("添加附加费失败!\r\n数据不符合约束（no room）"));
    EXPECT_FALSE(out.messages[0].plain);
    EXPECT_EQ(count(s("select count(*) from 总收费")), 0);
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 是否收费=1")), 0);
}

}  // namespace
}  // namespace tariffs_test
