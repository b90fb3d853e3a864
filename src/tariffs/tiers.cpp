#include "tariffs/tiers.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/query.h"
#include "tariffs/bills.h"

namespace tariffs {

std::vector<TierStep> read_tier_steps(platform::Connection& connection, const QString& category,
                                      const QString& fee_item, bool* ok) {
    std::vector<TierStep> steps;
    platform::RecordSet tiers;
    platform::PreparedStatement statement(
        connection,
        QStringLiteral("select * from 阶梯信息 where 类别名称=? and 收费项目=? ORDER  BY 阶梯序号"));
    statement.bind_text(1, category);
    statement.bind_text(2, fee_item);
    const bool opened = statement.open(tiers, platform::OnFailure::Quiet);
    if (ok) *ok = opened;
    if (!opened) return steps;
    const int count = platform::recordset_record_count(tiers);
    const int price = platform::recordset_field_index(tiers, QStringLiteral("类别价格"));
    const int stop = platform::recordset_field_index(tiers, QStringLiteral("阶梯止量"));
    for (int k = 1; k <= count; ++k, platform::recordset_move_next(tiers))
        steps.push_back({platform::recordset_field_number(tiers, price),
                         platform::recordset_field_number(tiers, stop)});
    return steps;
}

void split_usage_over_tiers(const std::vector<TierStep>& tiers, double usage,
                            std::vector<double>& quantities, std::vector<double>& prices) {
    quantities.clear();
    prices.clear();
    const size_t count = tiers.size();
    double previous = 0;
    for (size_t k = 1; k <= count; ++k) {
        const double price = tiers[k - 1].price;
        const double stop = tiers[k - 1].stop;
        const bool last = k == count;
        prices.push_back(price);
        if (stop - usage >= -platform::kMoneyTolerance) {
            quantities.push_back(!last && platform::money_equal(usage, stop) ? stop - previous
                                                                            : usage - previous);
            return;
        }
        quantities.push_back(last ? usage - previous : stop - previous);
        previous = stop;
    }
}

void split_usage_into_tiers(platform::Connection& connection, const QString& category,
                            double usage, std::vector<double>& quantities,
                            std::vector<double>& prices, const QString& fee_item, bool* ok) {
    split_usage_over_tiers(read_tier_steps(connection, category, fee_item, ok), usage, quantities,
                           prices);
}

double tier_charge(const std::vector<double>& quantities, const std::vector<double>& prices) {
    double amount = 0;
    for (size_t k = 0; k < quantities.size() && k < prices.size(); ++k)
        amount += platform::round_to(quantities[k] * prices[k], 2);
    return amount;
}

double get_partial_reduction(platform::Connection& connection, const QString& number,
                             int multiplier, const QString& kind) {
    double amount = 0;
    double quantity = 0;
    const QString who = platform::sql_quote(number);
    {
        platform::RecordSet limited;
        if (platform::query_open(
                limited, connection,
                QStringLiteral("select 户号,减免金额,减免次数,减免类型,减免用量 from 减免设置 "
                               "where 减免方式='部分减免' and 减免期限='次数' and 户号=") +
                    who,
                platform::OnFailure::Quiet) &&
            platform::recordset_record_count(limited) > 0) {
            amount = platform::recordset_field_number(limited, QStringLiteral("减免金额"));
            quantity = platform::recordset_field_number(limited, QStringLiteral("减免用量"));
            const double limit =
                platform::recordset_field_number(limited, QStringLiteral("减免次数"));
            const double used = platform::query_number(
                connection, QStringLiteral("select count(*) from 减免明细 where 户号=") + who,
                platform::OnFailure::Quiet);
            if (used >= limit) amount = quantity = 0;
        }
    }
    platform::RecordSet permanent;
    if (platform::query_open(
            permanent, connection,
            QStringLiteral("select 户号,减免金额,减免类型,减免用量 from 减免设置 where "
                           "减免方式='部分减免' and 减免期限='永久' and 户号=") +
                who,
            platform::OnFailure::Quiet) &&
        platform::recordset_record_count(permanent) > 0) {
        amount = platform::recordset_field_number(permanent, QStringLiteral("减免金额")) *
                 multiplier;
        quantity = platform::recordset_field_number(permanent, QStringLiteral("减免用量"));
    }
    return kind == kReductionByAmount ? amount : quantity;
}

}  // namespace tariffs
