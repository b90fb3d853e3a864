#include "tariffs/tiers.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/query.h"
#include "tariffs/bills.h"

namespace tariffs {

void split_usage_into_tiers(platform::Connection& connection, const QString& category,
                            double usage, std::vector<double>& quantities,
                            std::vector<double>& prices, const QString& fee_item, bool* ok) {
    quantities.clear();
    prices.clear();
    platform::RecordSet tiers;
    const bool opened = platform::query_open(
        tiers, connection,
        QStringLiteral("select * from 阶梯信息 where 类别名称=") + platform::sql_quote(category) +
            QStringLiteral(" and 收费项目=") + platform::sql_quote(fee_item) +
            QStringLiteral(" ORDER  BY 阶梯序号"),
        platform::OnFailure::Quiet);
    if (ok) *ok = opened;
    if (!opened) return;
    const int count = platform::recordset_record_count(tiers);
    double previous = 0;
    for (int k = 1; k <= count; ++k, platform::recordset_move_next(tiers)) {
        const double price = platform::recordset_field_number(tiers, QStringLiteral("类别价格"));
        const double stop = platform::recordset_field_number(tiers, QStringLiteral("阶梯止量"));
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
