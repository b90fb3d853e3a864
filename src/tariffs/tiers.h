#pragma once
// The two look-ups the charge engines share: the split of a quantity over a price category's
// tiers (阶梯信息), and the partial reduction (减免设置, 减免方式 "部分减免") granted to a
// household or meter account.
#include <QString>
#include <vector>

namespace platform {
struct Connection;
}

namespace tariffs {

// Divides `usage` over the tiers of the category and fee item in 阶梯序号 order: each tier
// takes the part between the previous bound and its own 阶梯止量, the tier that reaches the
// usage takes the rest and ends the split, and the last tier takes everything above the
// previous bound whatever its own. quantities[k] and prices[k] are the part in tier k and that
// tier's 类别价格. Both are emptied first and stay empty without tiers (or when the look-up
// fails; `ok` tells the two apart). The caller prices the parts.
void split_usage_into_tiers(platform::Connection& connection, const QString& category,
                            double usage, std::vector<double>& quantities,
                            std::vector<double>& prices, const QString& fee_item,
                            bool* ok = nullptr);

// The tiers of a category and fee item as the split reads them, in 阶梯序号 order; `ok` false
// when the look-up failed. A run over many households reads them once.
struct TierStep {
    double price = 0;  // 类别价格
    double stop = 0;   // 阶梯止量
};
std::vector<TierStep> read_tier_steps(platform::Connection& connection, const QString& category,
                                      const QString& fee_item, bool* ok = nullptr);
// The split of split_usage_into_tiers over tiers already read.
void split_usage_over_tiers(const std::vector<TierStep>& tiers, double usage,
                            std::vector<double>& quantities, std::vector<double>& prices);

// The sum over the tiers of round(quantity x price, 2): how both engines price a split.
double tier_charge(const std::vector<double>& quantities, const std::vector<double>& prices);

// The partial reduction of `number`: a count-limited setting (减免期限 "次数") counts while the
// number has fewer 减免明细 rows than its 减免次数; a permanent one ("永久") replaces it, its
// amount multiplied by `multiplier`. Returns the amount for kind "按金额", the quantity for any
// other kind; 0 without a setting in force.
double get_partial_reduction(platform::Connection& connection, const QString& number,
                             int multiplier, const QString& kind);

}  // namespace tariffs
