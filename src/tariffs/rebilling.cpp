// Rebilling: a meter account's unbilled readings of one month billed again after a reading
// edit, with its own numbering, surcharges and reduction record, all or nothing.
#include "platform/convert.h"
#include "platform/money.h"
#include "platform/query.h"
#include "tariffs/base_quantity.h"
#include "tariffs/charge_engine_steps.h"
#include "tariffs/prepay_balances.h"

namespace tariffs {

using namespace engine;
using platform::money_positive;
using platform::round_cents;
using platform::round_to;
using platform::sql_quote;

namespace {

QString date_literal(const QDate& date) { return platform::date_to_sql_literal(date); }

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

// 本月接转 of the number's latest valid bill, 0 without one.
double carry_over_of(platform::Connection& connection, const QString& number) {
    return finite(platform::query_number(
        connection,
        QStringLiteral("select 本月接转 from 总收费 where 户号=") + sql_quote(number) +
            QStringLiteral(" and 标志=1 order by 收据号 desc"),
        platform::OnFailure::Quiet));
}

}  // namespace

ChargeOutcome rebill_meter_for_month(platform::Connection& connection, const QString& meter_account,
                                     const QString& collector, const QDate& date,
                                     const QString& zero_usage, const QString& billing_mode,
                                     const QString& fee_item, const QString& tiered,
                                     const shell::RunContext& run) {
    const shell::SystemParameters& parameters = run.parameters;
    ChargeOutcome out;
    const QDate today = run.today();
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
    BillWrites writes(connection);
    QString reading_ids;
    if (out.bill_case != 0) {
        const QString line_failed = QStringLiteral("添加附加费失败!") + kLineBreak;
        for (const SurchargeLine& line : lines) {
            if (!writes.surcharge_line(line)) {
                write_failed(connection, out);
                out.messages.push_back(info_message(line_failed + out.error));
                return out;
            }
        }
        if (!writes.bill(bill)) {
            write_failed(connection, out);
            out.messages.push_back(plain_message(bill_insert_statement(bill)));
            out.messages.push_back(info_message(QStringLiteral("添加收费失败!") + kLineBreak + out.error));
            return out;
        }
        for (qint64 id : ids) {
            reading_ids += QString::number(id) + u'|';
            if (!writes.rebilled_reading(id, N, bill.payment_serial)) {
                write_failed(connection, out);
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
    if (!record.type.isEmpty() && !writes.reduction(record)) {
        write_failed(connection, out);
        out.messages.push_back(plain_message(out.error));
        out.messages.push_back(info_message(QStringLiteral("写减免明细出错!")));
        return out;
    }
    if (!bill_run.commit()) commit_failed(connection, out);
    return out;
}

}  // namespace tariffs
