// Pricing: what a household's unbilled readings of a fee item come to (tiers, base quantity,
// mixed use, quantity reductions, surcharges, the parking fee) before reductions by amount,
// carry-over and balance; the fee item's switches; and the price book a run reads once.
#include <QList>
#include <QStringList>

#include "platform/convert.h"
#include "platform/money.h"
#include "platform/query.h"
#include "tariffs/base_quantity.h"
#include "tariffs/charge_engine_steps.h"

namespace tariffs {
namespace engine {

using platform::money_positive;
using platform::round_to;
using platform::sql_quote;

QString reduction_type_of(platform::Connection& connection, const QString& number) {
    return platform::query_text(
        connection, QStringLiteral("select 减免类型 from 减免设置 where 户号=") + sql_quote(number),
        platform::OnFailure::Quiet);
}

namespace {

std::vector<SurchargeRow> read_surcharge_rows(platform::Connection& connection,
                                              const QString& category, const QString& fee_item) {
    std::vector<SurchargeRow> out;
    platform::RecordSet surcharges;
    platform::PreparedStatement statement(
        connection,
        QStringLiteral("select 附加费.附加费名称,附加费.价格,附加费.计费方式 from 附加费 where "
                       "附加费.水价类别=? and 附加费.收费项目=?"));
    statement.bind_text(1, category);
    statement.bind_text(2, fee_item);
    statement.open(surcharges, platform::OnFailure::Quiet);
    for (int i = 0, n = platform::recordset_record_count(surcharges); i < n;
         ++i, platform::recordset_move_next(surcharges)) {
        // Read as texts, as a row of texts would give them.
        out.push_back({platform::recordset_field_text(surcharges, 0),
                       platform::to_number(platform::recordset_field_text(surcharges, 1)),
                       platform::recordset_field_text(surcharges, 2)});
    }
    return out;
}

// The tiers of a category, from the run's price book when there is one.
const std::vector<TierStep>& tier_steps(platform::Connection& connection, PriceBook* book,
                                        const QString& category, const QString& fee_item,
                                        std::vector<TierStep>& scratch) {
    if (!book) return scratch = read_tier_steps(connection, category, fee_item);
    auto [at, added] = book->tiers.try_emplace({category, fee_item});
    if (added) at->second = read_tier_steps(connection, category, fee_item);
    return at->second;
}

const std::vector<SurchargeRow>& surcharge_rows(platform::Connection& connection,
                                                PriceBook* book, const QString& category,
                                                const QString& fee_item,
                                                std::vector<SurchargeRow>& scratch) {
    if (!book) return scratch = read_surcharge_rows(connection, category, fee_item);
    auto [at, added] = book->surcharges.try_emplace({category, fee_item});
    if (added) at->second = read_surcharge_rows(connection, category, fee_item);
    return at->second;
}

// The columns of the unbilled readings, by their position in the select below.
Reading read_unbilled(const platform::RecordSet& rows) {
    Reading r;
    r.number = half_width(platform::recordset_field_text(rows, 0));
    r.usage = platform::recordset_field_number(rows, 1);
    // The stored form directly; anything else as a date field reads it.
    std::string scratch;
    const std::string_view stored = platform::recordset_field_utf8(rows, 2, scratch);
    platform::DateParts day;
    r.date = platform::parse_storage_date(stored.data(), stored.size(), &day)
                 ? QDate(day.year, day.month, day.day)
                 : platform::recordset_field_date(rows, 2).date();
    r.category = platform::recordset_field_text(rows, 3);
    r.id = static_cast<qint64>(platform::recordset_field_number(rows, 4));
    r.loss = platform::recordset_field_number(rows, 5);
    r.price = platform::recordset_field_number(rows, 6);
    r.fee_item = platform::recordset_field_text(rows, 7);
    r.reader = platform::recordset_field_text(rows, 8);
    return r;
}

const QString kUnbilledColumns = QStringLiteral(
    "select 抄表总表.户号,抄表总表.用量,抄表总表.抄表日期,抄表总表.价格类别,抄表总表.编号,"
    "抄表总表.水损,抄表总表.价格,抄表总表.收费项目,抄表总表.抄表人员 from 抄表总表 where "
    "抄表总表.是否收费=0 and ");
const QString kUnbilledHousehold =
    QStringLiteral("抄表总表.父号=? and 抄表总表.收费项目=? order by 抄表总表.编号");
const QString kUnbilledAnyUsage = kUnbilledColumns + kUnbilledHousehold;
const QString kUnbilledPositiveUsage =
    kUnbilledColumns + QStringLiteral("抄表总表.用量>0 and ") + kUnbilledHousehold;

}  // namespace

HouseholdCharges price_household(platform::Connection& connection, const QString& household,
                                 const FeeItemSwitches& item, const QDate& today,
                                 bool with_quantity_reduction,
                                 const QString* known_reduction_type, PriceBook* book) {
    HouseholdCharges c;
    const bool bill_zero = item.zero_usage == kOn && item.billing_mode == kBaseQuantityMode;
    const bool base_mode = item.billing_mode == kBaseQuantityMode;
    platform::RecordSet rows;
    platform::PreparedStatement unbilled(
        connection, bill_zero ? kUnbilledAnyUsage : kUnbilledPositiveUsage);
    unbilled.bind_text(1, household);
    unbilled.bind_text(2, item.fee_item);
    if (!unbilled.open(rows, platform::OnFailure::Quiet)) {
        c.read_failed = true;
        c.error = platform::db_last_error(connection);
        return c;
    }
    const int count = platform::recordset_record_count(rows);
    if (count == 0) return c;
    c.any = true;
    double total = 0;
    double base = 0;
    double unit_price = 0;
    qint64 reduction_left = 0;
    std::vector<double> quantities, prices;
    Reading r;
    std::vector<TierStep> tiers_read;
    for (int k = 1; k <= count; ++k, platform::recordset_move_next(rows)) {
        r = read_unbilled(rows);
        double q = r.usage;
        if (base_mode) {
            // A category without a row keeps the previous reading's base.
            if (const auto found =
                    category_base_quantity(connection, r.category, item.fee_item, r.date))
                base = *found;
            q = platform::money_less(r.usage, base) ? base : r.usage;
        }
        q += r.loss;
        if (k == 1) {
            c.reduction_type = known_reduction_type ? *known_reduction_type
                                                    : reduction_type_of(connection, household);
            if (with_quantity_reduction && c.reduction_type == kReductionByQuantity) {
                reduction_left =
                    whole(get_partial_reduction(connection, household, 1, kReductionByQuantity));
                c.quantity_reduction = reduction_left;
            }
        }
        if (reduction_left > 0) {
            const double reduction = static_cast<double>(reduction_left);
            if (platform::money_less(reduction, q)) {
                q -= reduction;
                reduction_left = 0;
            } else {
                reduction_left = whole(reduction - q);
                q = 0;
            }
        }
        if (money_positive(q)) {
            double amount = 0;
            if (item.tiered == kOn) {
                split_usage_over_tiers(
                    tier_steps(connection, book, r.category, r.fee_item, tiers_read), q,
                    quantities, prices);
                amount = tier_charge(quantities, prices);
                unit_price = quantities.empty() ? 0.0 : round_to(amount / q, 4);
            } else if (r.category == kMixedUse) {
                const QList<QStringList> shares = platform::query_rows(
                    connection,
                    QStringLiteral("select 价格类别,百分比值,价格 from 混合用水,水价类别 where "
                                   "水价类别.水价类别=价格类别 and 户号=") +
                        sql_quote(r.number) + QStringLiteral(" and 水价类别.收费项目=") +
                        sql_quote(item.fee_item),
                    platform::OnFailure::Quiet);
                double allocated = 0;
                for (int i = 0; i < shares.size(); ++i) {
                    const double percent = platform::to_number(shares[i].value(1));
                    const double price = platform::to_number(shares[i].value(2));
                    double part;
                    if (i + 1 < shares.size()) {
                        part = round_to(q * percent / 100.0, 0);
                        allocated += part;
                    } else {
                        part = q - allocated;
                    }
                    amount += part * price;
                }
                if (!shares.isEmpty()) unit_price = round_to(amount / q, 2);
            } else {
                amount = round_to(q * r.price, 2);
                unit_price = r.price;
            }
            total += amount;
            c.quantity += q;
        }
        // A reading that bills nothing (its quantity all reduced) keeps the price it holds:
        // that price is what it is billed at once a correction returns it to unbilled.
        c.readings.push_back({r.id, finite(q), finite(money_positive(q) ? unit_price : r.price)});
    }
    c.category = r.category;
    c.fee_item = r.fee_item;
    c.reader = r.reader;
    c.date = r.date;
    c.readings_charge = total;

    std::vector<SurchargeRow> surcharges_read;
    for (const SurchargeRow& surcharge :
         surcharge_rows(connection, book, r.category, r.fee_item, surcharges_read)) {
        const double price = surcharge.price;
        SurchargeLine line{household, surcharge.name, 0, price, 0,
                           today, 0, r.fee_item, r.category};
        if (surcharge.mode == kReductionByQuantity) {
            line.quantity = c.quantity;
            line.amount = round_to(c.quantity * price, 2);
        } else if (money_positive(c.quantity)) {
            line.quantity = 1;
            line.amount = price;
        } else {
            continue;
        }
        c.surcharges += line.amount;
        c.lines.push_back(line);
    }
    if (item.fee_item == kPropertyFee) {
        platform::RecordSet info;
        double parking = 0;
        QString property_category;
        if (platform::query_open(info, connection,
                                 QStringLiteral("select 停车费,物业类别 from 用户信息表 where 户号=") +
                                     sql_quote(household),
                                 platform::OnFailure::Quiet)) {
            parking = finite(platform::recordset_field_number(info, 0));
            property_category = platform::recordset_field_text(info, 1);
        }
        c.category = property_category;
        if (money_positive(parking)) {
            c.parking = parking;
            c.lines.push_back({household, kParkingFeeName, 1, parking, parking, today, 0,
                               kPropertyFee, property_category});
        }
    }
    c.billed = c.readings_charge + c.parking + c.surcharges;
    return c;
}

}  // namespace engine

using namespace engine;

FeeItemSwitches fee_item_switches(platform::Connection& connection, const QString& fee_item) {
    FeeItemSwitches item;
    platform::RecordSet rows;
    if (platform::query_open(rows, connection,
                             QStringLiteral("select 收零用量,计费模式,项目名称,阶梯收费 from 收费项目 "
                                            "where 项目名称=") +
                                 sql_quote(fee_item),
                             platform::OnFailure::Quiet) &&
        platform::recordset_record_count(rows) > 0) {
        item.zero_usage = platform::recordset_field_text(rows, 0);
        item.billing_mode = platform::recordset_field_text(rows, 1);
        item.fee_item = platform::recordset_field_text(rows, 2);
        item.tiered = platform::recordset_field_text(rows, 3);
    }
    return item;
}

PricedReadings price_household_readings(platform::Connection& connection, const QString& household,
                                        const FeeItemSwitches& item, const QDate& today) {
    const HouseholdCharges c = price_household(connection, household, item, today, false);
    PricedReadings out;
    for (const PricedReading& r : c.readings) out.reading_ids.push_back(r.id);
    out.amount = finite(c.billed);
    out.quantity = finite(c.quantity);
    return out;
}

}  // namespace tariffs
