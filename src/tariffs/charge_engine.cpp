#include "tariffs/charge_engine.h"

#include <cmath>
#include <map>
#include <optional>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/query.h"
#include "tariffs/base_quantity.h"
#include "tariffs/prepay_balances.h"
#include "tariffs/tiers.h"

namespace tariffs {

using platform::money_positive;
using platform::round_cents;
using platform::round_to;
using platform::sql_quote;

namespace {

const QString kOn = QStringLiteral("开启");
const QString kBaseQuantityMode = QStringLiteral("基本用量模式");
const QString kPropertyFee = QStringLiteral("物业");
const QString kMixedUse = QStringLiteral("混合用水");
const QString kLineBreak = QStringLiteral("\r\n");

// A value that can reach the database: a non-finite number (only a fault could make one) is 0.
double finite(double value) { return std::isfinite(value) ? value : 0.0; }

// A quantity reduction is a whole number: the fraction is dropped.
qint64 whole(double value) { return static_cast<qint64>(std::trunc(finite(value))); }

QString date_literal(const QDate& date) { return platform::date_to_sql_literal(date); }

// The reading columns both engines read, by name.
struct Reading {
    QString number;  // 户号, half-width
    QString household;  // 父号 (rebilling only)
    double usage = 0;
    double loss = 0;
    QDate date;
    QString category;
    QString fee_item;
    qint64 id = 0;
    double price = 0;
    double category_base = 0;  // the joined 水价类别.基本方 (rebilling only)
    QString reader;
};

Reading read_reading(const platform::RecordSet& rows) {
    Reading r;
    r.number = half_width(platform::recordset_field_text(rows, QStringLiteral("户号")));
    r.household = platform::recordset_field_text(rows, QStringLiteral("父号"));
    r.usage = platform::recordset_field_number(rows, QStringLiteral("用量"));
    r.loss = platform::recordset_field_number(rows, QStringLiteral("水损"));
    r.date = platform::recordset_field_date(rows, QStringLiteral("抄表日期")).date();
    r.category = platform::recordset_field_text(rows, QStringLiteral("价格类别"));
    r.fee_item = platform::recordset_field_text(rows, QStringLiteral("收费项目"));
    r.id = static_cast<qint64>(platform::recordset_field_number(rows, QStringLiteral("编号")));
    r.price = platform::recordset_field_number(rows, QStringLiteral("价格"));
    r.category_base = platform::recordset_field_number(rows, QStringLiteral("基本方"));
    r.reader = platform::recordset_field_text(rows, QStringLiteral("抄表人员"));
    return r;
}

QString reduction_type_of(platform::Connection& connection, const QString& number) {
    return platform::query_text(
        connection, QStringLiteral("select 减免类型 from 减免设置 where 户号=") + sql_quote(number),
        platform::OnFailure::Quiet);
}

// 本月接转 of the number's latest valid bill, 0 without one.
double carry_over_of(platform::Connection& connection, const QString& number) {
    return finite(platform::query_number(
        connection,
        QStringLiteral("select 本月接转 from 总收费 where 户号=") + sql_quote(number) +
            QStringLiteral(" and 标志=1 order by 收据号 desc"),
        platform::OnFailure::Quiet));
}

// ---- the monthly commit's pricing ----------------------------------------------------------

struct PricedReading {
    qint64 id = 0;
    double quantity = 0;
    double unit_price = 0;
};

// Steps up to the bill's charges: what generate_household_charges computes before it looks at
// reductions by amount, carry-over and balance.
struct HouseholdCharges {
    bool any = false;                     // readings found
    std::vector<PricedReading> readings;  // in 编号 order
    double readings_charge = 0;           // T from the readings alone
    double quantity = 0;                  // Q
    double surcharges = 0;                // S
    double parking = 0;
    double billed = 0;                    // 应收
    qint64 quantity_reduction = 0;        // R0
    QString reduction_type;
    std::vector<SurchargeLine> lines;     // queued; 收据号 filled in when the bill is numbered
    QString category;                     // the bill's 价格类别
    QString fee_item;                     // last reading's
    QString reader;
    QDate date;
    bool read_failed = false;
    QString error;
};

// A surcharge of a category and fee item as the bill reads it.
struct SurchargeRow {
    QString name;  // 附加费名称
    double price = 0;
    QString mode;  // 计费方式
};

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

}  // namespace

// The price book of a run: tiers and surcharges by category and fee item, read once. A run
// writes none of them, so what it read first is what every later read would give.
struct PriceBook {
    using Key = std::pair<QString, QString>;
    std::map<Key, std::vector<TierStep>> tiers;
    std::map<Key, std::vector<SurchargeRow>> surcharges;
};

namespace {

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

HouseholdCharges price_household(platform::Connection& connection, const QString& household,
                                 const FeeItemSwitches& item, const QDate& today,
                                 bool with_quantity_reduction = true,
                                 const QString* known_reduction_type = nullptr,
                                 PriceBook* book = nullptr) {
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
        c.readings.push_back({r.id, finite(q), finite(unit_price)});
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

// What one bill needs to know besides its readings, read in one statement: the household's
// reduction type, its latest carry-over, whether it has a valid prepayment, whether the balance
// work tables hold rows, and the largest bill number and payment serial. Nothing of it changes
// while the bill is priced, so reading it at once gives what reading it step by step would.
struct BillContext {
    bool ok = false;
    QString reduction_type;
    double carry_over = 0;
    bool has_prepayment = false;
    bool work_tables_used = true;
    qint64 largest_bill_number = 0;
    qint64 largest_serial = 0;
    QString error;
};

BillContext bill_context(platform::Connection& connection, const QString& household) {
    BillContext context;
    // Prepared once per connection; the household is bound three times.
    static const QString who = QStringLiteral("?");
    static const QString head =
        QStringLiteral("select (select top 1 减免类型 from 减免设置 where 户号=") + who +
        QStringLiteral(") as 类型,(select top 1 本月接转 from 总收费 where 户号=") + who +
        QStringLiteral(" and 标志=1 order by 收据号 desc) as 接转,(select count(*) from 预存明细 "
                       "where 户号=") +
        who + QStringLiteral(" and 标志=1) as 预存,");
    static const QString tail = QStringLiteral(
        " as 结余行,(select top 1 收据号 from 抄表总表 order by 收据号 DESC) as 收据,(select top 1 "
        "流水号 from 总收费 order by 流水号 DESC) as 流水");
    const auto open = [&](platform::RecordSet& row, const QString& sql) {
        platform::PreparedStatement statement(connection, sql);
        for (int i = 1; i <= 3; ++i) statement.bind_text(i, household);
        return statement.open(row, platform::OnFailure::Quiet);
    };
    static const QString with_tables =
        head + QStringLiteral("(select count(*) from 预存结余)+(select count(*) from 预存结余新)") +
        tail;
    static const QString without_tables = head + QStringLiteral("1") + tail;
    platform::RecordSet row;
    context.ok = open(row, with_tables);
    bool tables_counted = context.ok;
    if (!context.ok) {
        // A work table that a failed rebuild left missing: count nothing, empty both anyway.
        context.ok = open(row, without_tables);
    }
    if (!context.ok) {
        context.error = platform::db_last_error(connection);
        return context;
    }
    context.reduction_type = platform::recordset_field_text(row, 0);
    context.carry_over = finite(platform::recordset_field_number(row, 1));
    context.has_prepayment = platform::recordset_field_number(row, 2) > 0;
    context.work_tables_used = !tables_counted || platform::recordset_field_number(row, 3) > 0;
    context.largest_bill_number = static_cast<qint64>(platform::recordset_field_number(row, 4));
    context.largest_serial = static_cast<qint64>(platform::recordset_field_number(row, 5));
    return context;
}

// The household's prepaid balance after the grouped rebuild. A household without a valid
// prepayment has nothing to rebuild: the work tables end empty and the balance is 0, as the
// rebuild would leave them, without its seven other statements.
double household_balance(platform::Connection& connection, const QString& household,
                         const BillContext& context) {
    if (!context.has_prepayment) {
        if (context.work_tables_used) empty_prepayment_work_tables(connection);
        return 0;
    }
    rebuild_household_prepayment_balances(connection, household);
    return finite(grouped_balance_of(connection, household));
}

struct Writer {
    platform::Connection& connection;
    ChargeOutcome& out;
    bool run(const QString& sql) {
        if (platform::db_execute(connection, sql)) return true;
        failed();
        return false;
    }
    void failed() {
        out.result = 0;
        out.error = platform::db_last_error(connection);
    }
};

}  // namespace

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

PricedReadings price_household_readings(platform::Connection& connection,
                                        const QString& household, const FeeItemSwitches& item) {
    const HouseholdCharges c = price_household(connection, household, item, platform::today(), false);
    PricedReadings out;
    for (const PricedReading& r : c.readings) out.reading_ids.push_back(r.id);
    out.amount = finite(c.billed);
    out.quantity = finite(c.quantity);
    return out;
}

ChargeOutcome generate_household_charges(platform::Connection& connection,
                                         const QString& household, const QString& zero_usage,
                                         const QString& billing_mode, const QString& fee_item,
                                         const QString& tiered,
                                         const shell::SystemParameters& parameters) {
    return generate_household_charges(connection, household,
                                      FeeItemSwitches{zero_usage, billing_mode, fee_item, tiered},
                                      parameters);
}

namespace {

// One household's bill. With `own_savepoint` its writes are all or nothing by themselves;
// without, the caller's savepoint guards them and must be rolled back when the outcome is not
// ok (a failed write may leave the writes before it).
ChargeOutcome charge_household(platform::Connection& connection, const QString& household,
                               const FeeItemSwitches& item,
                               const shell::SystemParameters& parameters, bool own_savepoint,
                               PriceBook* book = nullptr) {
    ChargeOutcome out;
    // The writes of this bill: all of them or none; a bill that cannot have them guarded is
    // not written at all.
    std::optional<platform::Transaction> bill_run;
    if (own_savepoint) {
        bill_run.emplace(connection);
        if (!bill_run->active()) {
            out.result = 0;
            out.error = platform::db_last_error(connection);
            out.messages.push_back(plain_message(out.error));
            return out;
        }
    }
    const QDate today = platform::today();
    const BillContext context = bill_context(connection, household);
    if (!context.ok) {
        out.result = 0;
        out.error = context.error;
        out.messages.push_back(plain_message(out.error));
        return out;
    }
    HouseholdCharges c =
        price_household(connection, household, item, today, true, &context.reduction_type, book);
    if (!c.any) return out;  // nothing to bill (or the readings could not be read)

    const double bill_price = money_positive(c.quantity) ? round_to(c.readings_charge / c.quantity, 2)
                                                         : 0.0;
    double total = c.billed;
    const double billed = c.billed;
    double reduction = 0;
    if (c.reduction_type == kReductionByAmount)
        reduction = finite(get_partial_reduction(connection, household, 1, kReductionByAmount));
    total = round_to(total - reduction, 2);
    if (!money_positive(total)) return out;  // fully reduced: nothing is written

    const bool personal = parameters.personal_account == kOn;
    double carry_in = 0;
    bool covered = false;
    double covered_amount = 0;
    if (personal) {
        carry_in = context.carry_over;
        if (money_positive(total - carry_in)) {
            total -= carry_in;
        } else {
            covered = true;
            covered_amount = total;
        }
    }

    const double balance = household_balance(connection, household, context);
    const double from_balance = money_positive(balance) ? round_to(total, 2) : 0.0;
    total -= balance;
    const bool settled = !money_positive(total);

    double asked = 0;  // A
    double carry_out = 0;  // K
    if (money_positive(total)) {
        asked = platform::round_amount(total, shell::rounding_mode(parameters));
        carry_out = round_cents(asked - total);
    }

    // Numbers: the largest plus 1, a largest of 0 (or none) counting as 1000000000.
    const qint64 N = (context.largest_bill_number == 0 ? kFixedNumberStart
                                                       : context.largest_bill_number) +
                     1;
    const qint64 L =
        (context.largest_serial == 0 ? kFixedNumberStart : context.largest_serial) + 1;

    if (!personal) {
        carry_in = 0;
        carry_out = 0;
    }

    ChargeRecord bill;
    bill.number = household;
    bill.bill_number = N;
    bill.surcharge_total = c.surcharges;
    bill.carry_in = carry_in;
    bill.reading_date = c.date;
    bill.charge_date = c.date;
    bill.amount_billed = billed;
    bill.quantity = c.quantity;
    bill.reduction_amount = reduction;
    bill.reduction_quantity = c.quantity_reduction;
    bill.price = bill_price;
    bill.fee_item = c.fee_item;
    bill.price_category = c.category;
    bill.reader = c.reader;
    const bool has_balance = money_positive(balance);
    if (covered) {
        out.bill_case = 'a';
        bill.amount_to_collect = covered_amount;
        bill.carry_out = round_cents(carry_in - covered_amount);
        bill.amount_billed = std::fabs(billed);
    } else if (money_positive(asked) && !settled) {
        out.bill_case = 'b';
        bill.amount_to_collect = asked;
        bill.carry_out = carry_out;
        bill.prepaid_deduction = balance;
    } else if (has_balance && settled) {
        out.bill_case = 'c';
        bill.carry_out = round_cents(billed - from_balance - carry_in - reduction);
        bill.prepaid_deduction = from_balance;
    } else if (has_balance && platform::money_is_zero(asked)) {
        // The rest rounded to nothing: what is left unasked is still owed, so it is carried as
        // a debt (the rounding difference), under the same sign rule as every carry-over.
        out.bill_case = 'd';
        bill.carry_out = round_cents(asked - total);
        bill.prepaid_deduction = balance;
    }

    QString reading_ids;
    if (out.bill_case != 0) {
        if (out.bill_case == 'b') {
            bill.collector = kCollectorUnknown;
            bill.unpaid = kBillUnpaid;
        } else {
            bill.collector = kCollectorPrepaid;
            bill.unpaid = kBillPaid;
            bill.payment_serial = L;
        }
        // The lines go in with their bill only, so none is left under a number a later bill
        // takes.
        Writer writer{connection, out};
        for (SurchargeLine& line : c.lines) {
            line.bill_number = N;
            if (!insert_surcharge_line(connection, line)) {
                writer.failed();
                out.messages.push_back(plain_message(out.error));
                return out;
            }
        }
        if (!insert_bill(connection, bill)) {
            writer.failed();
            out.messages.push_back(plain_message(out.error));
            out.messages.push_back(plain_message(bill_insert_statement(bill)));
            return out;
        }
        platform::PreparedStatement mark(
            connection, bill.payment_serial
                            ? QStringLiteral("update 抄表总表 set  是否收费=1 ,收据号=?,流水号=?,"
                                             "价格=?,实收量=? where 编号=?")
                            : QStringLiteral("update 抄表总表 set  是否收费=1 ,收据号=?,"
                                             "价格=?,实收量=? where 编号=?"));
        for (const PricedReading& r : c.readings) {
            reading_ids += QString::number(r.id) + u'|';
            int at = 1;
            mark.bind_integer(at++, N);
            if (bill.payment_serial) mark.bind_integer(at++, L);
            mark.bind_number(at++, r.unit_price);
            mark.bind_number(at++, r.quantity);
            mark.bind_integer(at, r.id);
            if (!mark.execute()) {
                writer.failed();
                QString update = QStringLiteral("update 抄表总表 set  是否收费=1 ,收据号=") +
                                 QString::number(N);
                if (bill.payment_serial)
                    update += QStringLiteral(",流水号=") + QString::number(L);
                update += QStringLiteral(",价格=") + platform::sql_number(r.unit_price) +
                          QStringLiteral(",实收量=") + platform::sql_number(r.quantity) +
                          QStringLiteral(" where 编号=") + QString::number(r.id);
                out.messages.push_back(plain_message(out.error));
                out.messages.push_back(plain_message(update));
                return out;
            }
        }
        out.bill_written = true;
        out.bill_number = N;
        if (bill.payment_serial) out.payment_serial = L;
    }

    // The reduction is recorded with its bill only: without a bill it was not granted, so it
    // takes no bill number and uses up no count of a count-limited reduction.
    ReductionRecord record{household, reduction, c.quantity_reduction, reading_ids, today, N,
                           QString()};
    if (out.bill_written && money_positive(reduction) && c.reduction_type == kReductionByAmount) {
        record.type = kReductionByAmount;
    } else if (out.bill_written && c.quantity_reduction > 0 &&
               c.reduction_type == kReductionByQuantity) {
        record.type = kReductionByQuantity;
        record.date = c.date;
    }
    if (!record.type.isEmpty()) {
        Writer writer{connection, out};
        if (!writer.run(reduction_record_insert_statement(record))) return out;
    }
    if (bill_run && !bill_run->commit()) {
        out.result = 0;
        out.error = platform::db_last_error(connection);
        out.bill_written = false;
        out.bill_case = 0;
        out.messages.push_back(plain_message(out.error));
    }
    return out;
}

}  // namespace

ChargeOutcome generate_household_charges(platform::Connection& connection,
                                         const QString& household, const FeeItemSwitches& item,
                                         const shell::SystemParameters& parameters) {
    return charge_household(connection, household, item, parameters, true);
}

// ---- runs over many households -------------------------------------------------------------

BillRun::BillRun(platform::Connection& connection, const FeeItemSwitches& item, Billed billed,
                 const shell::SystemParameters& parameters, size_t batch_households)
    : connection_(connection),
      item_(item),
      billed_(std::move(billed)),
      parameters_(parameters),
      batch_households_(batch_households == 0 ? 1 : batch_households),
      prices_(std::make_unique<PriceBook>()) {}

BillRun::~BillRun() { finish(); }

bool BillRun::add(const QString& household) {
    if (failed_ || finished_) return false;
    if (!batch_) {
        batch_ = std::make_unique<platform::Transaction>(connection_);
        if (!batch_->active()) {
            // Nothing can be guarded: this household fails with the database's text, unbilled.
            ChargeOutcome out;
            out.result = 0;
            out.error = platform::db_last_error(connection_);
            out.messages.push_back(plain_message(out.error));
            batch_.reset();
            failed_ = true;
            if (billed_) billed_(out);
            return false;
        }
    }
    ChargeOutcome out =
        charge_household(connection_, household, item_, parameters_, false, prices_.get());
    if (!out.ok()) return replay(household);
    pending_.push_back({household, std::move(out)});
    return pending_.size() < batch_households_ || flush();
}

bool BillRun::finish() {
    if (finished_) return !failed_;
    if (!failed_) flush();
    finished_ = true;
    return !failed_;
}

bool BillRun::flush() {
    if (!batch_) return true;
    if (!batch_->commit()) return replay(QString());
    batch_.reset();
    for (Pending& p : pending_)
        if (billed_) billed_(p.outcome);
    pending_.clear();
    return true;
}

bool BillRun::alone(const QString& household) {
    const ChargeOutcome out = charge_household(connection_, household, item_, parameters_, true,
                                               prices_.get());
    if (billed_) billed_(out);
    if (!out.ok()) failed_ = true;
    return !failed_;
}

bool BillRun::replay(const QString& failing) {
    // Back to the batch's start, then each household of it under its own savepoint, the
    // failing one last: what its savepoint rolled back is what nothing of its bill means.
    if (batch_) batch_->rollback();
    batch_.reset();
    std::vector<Pending> batch;
    batch.swap(pending_);
    for (const Pending& p : batch)
        if (!alone(p.household)) return false;
    if (failing.isNull()) return true;
    return alone(failing);
}

ChargeOutcome rebill_meter_for_month(platform::Connection& connection,
                                     const QString& meter_account, const QString& collector,
                                     const QDate& date, const QString& zero_usage,
                                     const QString& billing_mode, const QString& fee_item,
                                     const QString& tiered,
                                     const shell::SystemParameters& parameters) {
    ChargeOutcome out;
    const QDate today = platform::today();
    const QDate first(date.year(), date.month(), 1);
    const QDate last = platform::last_day_of_month(first);
    platform::RecordSet rows;
    if (!platform::query_open(
            rows, connection,
            QStringLiteral("select 抄表总表.户号,抄表总表.用量,抄表总表.抄表日期,抄表总表.价格类别,"
                           "抄表总表.收费项目,抄表总表.编号,抄表总表.水损,水价类别.价格,"
                           "水价类别.基本方,抄表总表.抄表人员,抄表总表.父号 from 抄表总表,水价类别 "
                           "where  抄表总表.收费项目=水价类别.收费项目 and "
                           "抄表总表.价格类别=水价类别.水价类别 and 抄表总表.是否收费=0 and "
                           "抄表总表.户号=") +
                sql_quote(meter_account) + QStringLiteral(" and 抄表总表.收费项目=") +
                sql_quote(fee_item) +
                (zero_usage == QStringLiteral("关闭") ? QStringLiteral(" and 抄表总表.用量>0")
                                                      : QString()) +
                QStringLiteral(" and 抄表总表.抄表日期>=") + date_literal(first) +
                QStringLiteral("  and 抄表总表.抄表日期<=") + date_literal(last) +
                QStringLiteral(" ORDER BY 抄表总表.编号"),
            platform::OnFailure::Quiet)) {
        out.result = 0;
        out.error = platform::db_last_error(connection);
        return out;
    }
    const int n = platform::recordset_record_count(rows);
    if (n == 0) return out;

    double W = 0, U = 0, AU = 0, AQ = 0, Q = 0, SR = 0;
    qint64 R = 0;
    double unit_price = 0;
    QString reduction_type;
    std::vector<qint64> ids;
    std::vector<double> quantities, prices;
    Reading r;
    for (int k = 1; k <= n; ++k, platform::recordset_move_next(rows)) {
        r = read_reading(rows);
        ids.push_back(r.id);
        W += r.loss;
        double u = r.usage + r.loss;
        U += u;
        double q = u;
        if (billing_mode == kBaseQuantityMode) {
            const double base =
                category_base_quantity(connection, r.category, fee_item, r.date)
                    .value_or(r.category_base);
            q = platform::money_less(u, base) ? base : u;
        }
        reduction_type = reduction_type_of(connection, r.number);
        if (reduction_type == kReductionByQuantity) {
            const qint64 reduction =
                whole(get_partial_reduction(connection, r.number, n, kReductionByQuantity));
            R += reduction;
            u -= static_cast<double>(reduction);
            q -= static_cast<double>(reduction);
        }
        double a_u, a_q;
        if (tiered == kOn) {
            split_usage_into_tiers(connection, r.category, u, quantities, prices, fee_item);
            a_u = tier_charge(quantities, prices);
            split_usage_into_tiers(connection, r.category, q, quantities, prices, fee_item);
            a_q = tier_charge(quantities, prices);
            // No quantity, no price: a bill of nothing has no unit price to divide out.
            unit_price = platform::money_is_zero(q) ? 0.0 : finite(a_q / q);
        } else {
            a_u = round_to(r.price * u, 2);
            a_q = round_to(q * r.price, 2);
            unit_price = r.price;
        }
        AU += a_u;
        AQ += a_q;
        Q += q;
        platform::RecordSet surcharges;
        if (platform::query_open(surcharges, connection,
                                 QStringLiteral("select * from 附加费 where 水价类别=") +
                                     sql_quote(r.category) + QStringLiteral(" and 收费项目=") +
                                     sql_quote(fee_item),
                                 platform::OnFailure::Quiet)) {
            const int count = platform::recordset_record_count(surcharges);
            for (int i = 0; i < count; ++i, platform::recordset_move_next(surcharges)) {
                const double price = platform::recordset_field_number(surcharges, 1);
                if (platform::recordset_field_text(surcharges, QStringLiteral("计费方式")) ==
                    kReductionByQuantity)
                    SR += round_to(q * price, 2);
                else if (money_positive(q))
                    SR += price;
            }
        }
    }

    double T = round_to(AQ + SR, 2);
    const double billed = T;
    const bool personal = parameters.personal_account == kOn;
    double carry_in = 0;
    if (personal) {
        carry_in = carry_over_of(connection, r.number);
        T = round_to(T - carry_in, 2);
    }
    double A = platform::round_amount(T, shell::rounding_mode(parameters));
    double K = round_cents(A - T);

    recompute_prepay_balances(
        connection,
        QStringLiteral("INSERT INTO 预存结余 (编号,户号,预存金额) select 收据号,户号,预存金额 from "
                       "预存明细 where 户号=") +
            sql_quote(r.household) + QStringLiteral(" and 标志=1"));
    const double B = finite(per_row_balance_of(connection, r.household));

    const QString numbering_failed = QStringLiteral("系统计算收据号出错") + kLineBreak +
                                     QStringLiteral("本次收费失败.");
    const NumberOutcome bill_number =
        next_rebill_bill_number(connection, parameters.payment_serial_digits);
    if (!bill_number.ok) {
        out.result = 0;
        out.error = bill_number.error;
        out.messages.push_back(info_message(numbering_failed));
        return out;
    }
    const NumberOutcome serial = next_checked_payment_serial(
        connection, number_start(parameters.payment_serial_digits));
    if (!serial.ok) {
        out.result = 0;
        out.error = serial.error;
        out.messages.push_back(info_message(numbering_failed));
        return out;
    }
    const qint64 N = bill_number.number;
    const qint64 L = serial.number;

    U -= static_cast<double>(R);

    std::vector<SurchargeLine> lines;
    double SB = 0;
    if (money_positive(U)) {
        platform::RecordSet surcharges;
        if (platform::query_open(surcharges, connection,
                                 QStringLiteral("select * from 附加费 where 水价类别=") +
                                     sql_quote(r.category),
                                 platform::OnFailure::Quiet)) {
            const int count = platform::recordset_record_count(surcharges);
            for (int i = 0; i < count; ++i, platform::recordset_move_next(surcharges)) {
                const double price =
                    platform::recordset_field_number(surcharges, QStringLiteral("价格"));
                const bool by_quantity =
                    platform::recordset_field_text(surcharges, QStringLiteral("计费方式")) ==
                    kReductionByQuantity;
                const double amount = finite(by_quantity ? price * U : price);
                lines.push_back({r.number,
                                 platform::recordset_field_text(surcharges,
                                                                QStringLiteral("附加费名称")),
                                 U, price, amount, today, N, fee_item, r.category});
                SB += amount;
            }
        }
    }

    if (!personal) {
        carry_in = 0;
        K = 0;
    }
    double D = 0;
    if (reduction_type == kReductionByAmount)
        D = finite(get_partial_reduction(connection, r.number, n, kReductionByAmount));
    A -= D;

    ChargeRecord bill;
    bill.number = r.number;
    bill.bill_number = N;
    bill.usage_charge = AU;
    bill.surcharge_total = SB;
    bill.cost = AU + SB;
    bill.carry_in = carry_in;
    bill.carry_out = K;
    bill.reading_date = r.date;
    bill.charge_date = r.date;
    bill.difference = A - (AU + SB) + carry_in - K;
    bill.amount_billed = billed;
    bill.quantity = Q;
    bill.reduction_amount = D;
    bill.loss = W;
    bill.reduction_quantity = R;
    bill.fee_item = fee_item;
    bill.price_category = r.category;
    bill.reader = r.reader;
    bill.price = unit_price;
    if (money_positive(A - B)) {
        out.bill_case = 'b';
        bill.amount_to_collect = A - B;
        bill.collector = collector;
        bill.prepaid_deduction = B;
        bill.unpaid = kBillUnpaid;
    } else if (money_positive(A)) {
        out.bill_case = 'c';
        bill.amount_to_collect = 0;
        bill.collector = kCollectorPrepaid;
        bill.prepaid_deduction = A;
        bill.unpaid = kBillPaid;
        bill.payment_serial = L;
    }

    // The writes of this bill: all of them or none.
    platform::Transaction bill_run(connection);
    if (!bill_run.active()) {
        out.result = 0;
        out.error = platform::db_last_error(connection);
        out.messages.push_back(plain_message(out.error));
        return out;
    }
    QString reading_ids;
    if (out.bill_case != 0) {
        const QString line_failed = QStringLiteral("添加附加费失败!") + kLineBreak;
        Writer writer{connection, out};
        for (const SurchargeLine& line : lines) {
            if (!writer.run(surcharge_line_insert_statement(line))) {
                out.messages.push_back(info_message(line_failed + out.error));
                return out;
            }
        }
        const QString insert = bill_insert_statement(bill);
        if (!writer.run(insert)) {
            out.messages.push_back(plain_message(insert));
            out.messages.push_back(info_message(QStringLiteral("添加收费失败!") + kLineBreak + out.error));
            return out;
        }
        for (qint64 id : ids) {
            reading_ids += QString::number(id) + u'|';
            QString update = QStringLiteral("update 抄表总表 set  是否收费=1 ,收据号=") +
                             QString::number(N);
            if (bill.payment_serial) update += QStringLiteral(",流水号=") + QString::number(L);
            update += QStringLiteral(" where 编号=") + QString::number(id);
            if (!writer.run(update)) {
                out.messages.push_back(info_message(QStringLiteral("修改抄表内容失败!") + kLineBreak + out.error));
                return out;
            }
        }
        out.bill_written = true;
        out.bill_number = N;
        if (bill.payment_serial) out.payment_serial = L;
    }

    ReductionRecord record{r.number, D, R, reading_ids, today, N, QString()};
    // No bill, no reduction granted (as in generate_household_charges).
    if (out.bill_written && money_positive(D)) {
        record.type = kReductionByAmount;
    } else if (out.bill_written && R > 0) {
        record.type = kReductionByQuantity;
        record.date = r.date;
    }
    if (!record.type.isEmpty()) {
        Writer writer{connection, out};
        if (!writer.run(reduction_record_insert_statement(record))) {
            out.messages.push_back(plain_message(out.error));
            out.messages.push_back(info_message(QStringLiteral("写减免明细出错!")));
            return out;
        }
    }
    if (!bill_run.commit()) {
        out.result = 0;
        out.error = platform::db_last_error(connection);
        out.bill_written = false;
        out.bill_case = 0;
        out.messages.push_back(plain_message(out.error));
    }
    return out;
}

}  // namespace tariffs
