// Tier split and the partial-reduction look-up.
#include <functional>

#include "engine_fixture.h"
#include "tariffs/tiers.h"

namespace tariffs_test {
namespace {

struct SplitCase {
    const char* name;
    int tiers;  // how many of the tiers 10 @1.5, 20 @2, 30 @3 exist
    double usage;
    std::vector<double> quantities;
    std::vector<double> prices;
};

const SplitCase kSplits[] = {
    {"inside_the_third", 3, 25, {10, 10, 5}, {1.5, 2, 3}},
    {"on_the_second_bound", 3, 20, {10, 10}, {1.5, 2}},
    {"above_the_last_bound", 3, 35, {10, 10, 15}, {1.5, 2, 3}},
    {"inside_the_first", 3, 8, {8}, {1.5}},
    {"single_tier_takes_everything", 1, 35, {35}, {1.5}},
    {"just_under_a_bound", 3, 19.99999999, {10, 10}, {1.5, 2}},
    {"no_tiers", 0, 25, {}, {}},
};

class TierSplit : public EngineTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(TierSplit, PartsAndPrices) {
    const SplitCase& c = GetParam();
    const double stops[] = {10, 20, 30};
    const double prices[] = {1.5, 2, 3};
    for (int k = 0; k < c.tiers; ++k) tier("阶梯", "水费", k + 1, stops[k], prices[k]);
    tier("阶梯", "电费", 1, 5, 100);  // another fee item's tiers are not used
    std::vector<double> quantities{99}, got_prices{99};
    tariffs::split_usage_into_tiers(db(), s("阶梯"), c.usage, quantities, got_prices, s("水费"));
    ASSERT_EQ(quantities.size(), c.quantities.size());
    for (size_t k = 0; k < quantities.size(); ++k) {
        EXPECT_NEAR(quantities[k], c.quantities[k], 1e-6) << k;
        EXPECT_EQ(got_prices[k], c.prices[k]) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, TierSplit, ::testing::ValuesIn(kSplits),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TierCharge, EachPartRoundedToTheFen) {
    EXPECT_DOUBLE_EQ(tariffs::tier_charge({1.005, 1}, {1, 0.125}), 1.01 + 0.13);
    EXPECT_DOUBLE_EQ(tariffs::tier_charge({}, {}), 0);
}

struct ReductionCase {
    const char* name;
    std::function<void(EngineTest&)> seed;
    int multiplier;
    double amount;    // asked "按金额"
    double quantity;  // asked "按用量"
};

const ReductionCase kReductions[] = {
    {"none", [](EngineTest&) {}, 1, 0, 0},
    {"count_limited_in_use",
     [](EngineTest& t) {
         t.reduction_setting("H1", "部分减免", "次数", "按金额", 10, 4, 2);
         t.reduction_record("H1", 1);
     },
     3, 10, 4},
    {"count_limited_used_up",
     [](EngineTest& t) {
         t.reduction_setting("H1", "部分减免", "次数", "按金额", 10, 4, 2);
         t.reduction_record("H1", 1);
         t.reduction_record("H1", 2);
     },
     1, 0, 0},
    {"permanent_replaces_a_used_up_one",
     [](EngineTest& t) {
         t.reduction_setting("H1", "部分减免", "次数", "按金额", 10, 4, 1);
         t.reduction_record("H1", 1);
         t.reduction_setting("H1", "部分减免", "永久", "按用量", 10, 6);
     },
     3, 30, 6},
    {"full_reductions_are_not_partial",
     [](EngineTest& t) { t.reduction_setting("H1", "全部减免", "永久", "按金额", 10, 4); }, 1, 0,
     0},
    {"another_number",
     [](EngineTest& t) { t.reduction_setting("H2", "部分减免", "永久", "按金额", 10, 4); }, 1, 0,
     0},
};

class PartialReduction : public EngineTest, public ::testing::WithParamInterface<ReductionCase> {};

TEST_P(PartialReduction, AmountAndQuantity) {
    const ReductionCase& c = GetParam();
    c.seed(*this);
    EXPECT_DOUBLE_EQ(tariffs::get_partial_reduction(db(), s("H1"), c.multiplier, s("按金额")),
                     c.amount);
    EXPECT_DOUBLE_EQ(tariffs::get_partial_reduction(db(), s("H1"), c.multiplier, s("按用量")),
                     c.quantity);
}

INSTANTIATE_TEST_SUITE_P(Cases, PartialReduction, ::testing::ValuesIn(kReductions),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tariffs_test
