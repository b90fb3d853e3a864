// One household's bill: reads what the bill needs besides its readings, settles reductions by
// amount, carry-over and the prepaid balance, numbers the bill and writes it with its surcharge
// lines, its readings' billing marks and its reduction record, all or nothing.
#include <optional>

#include "platform/convert.h"
#include "platform/money.h"
#include "platform/query.h"
#include "tariffs/charge_engine_steps.h"
#include "tariffs/prepay_balances.h"

namespace tariffs {

namespace {

QString bill_insert(bool serial) {
    QString text = QStringLiteral(
        "insert into 总收费 (户号,水费金额,附加费金额,成本金额,上月接转,本月接转,实收金额,"
        "抄表日期,差额,收费人员,收据号,预存扣款,应收金额,实收量,滞纳金,减免金额,标志,水损,"
        "减免用量,收费标志");
    if (serial) text += QStringLiteral(",流水号");
    text += QStringLiteral(",价格,收费日期,收费项目,价格类别,抄表人员) values (?,?,?,?,?,?,?,?,?,"
                           "?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?");
    if (serial) text += QStringLiteral(",?");
    return text + u')';
}

QString reduction_insert(bool amount, bool quantity) {
    QString columns = QStringLiteral("insert into 减免明细 (户号");
    QString values = QStringLiteral("?");
    if (amount) {
        columns += QStringLiteral(",减免金额");
        values += QStringLiteral(",?");
    }
    if (quantity) {
        columns += QStringLiteral(",减免用量");
        values += QStringLiteral(",?");
    }
    return columns + QStringLiteral(",抄表ID,减免日期,收据号,减免类型) values (") + values +
           QStringLiteral(",?,?,?,?)");
}

}  // namespace

BillWrites::BillWrites(platform::Connection& connection) : connection_(connection) {}
BillWrites::~BillWrites() = default;

QString BillWrites::text_of(Shape shape) {
    switch (shape) {
        case kBillWithSerial: return bill_insert(true);
        case kBillWithoutSerial: return bill_insert(false);
        case kSurchargeLine:
            return QStringLiteral(
                "insert into 月附加费 (户号,附加费名称,用量,价格,金额,收费日期,收据号,收费标志,"
                "收费项目,价格类别) values (?,?,?,?,?,?,?,1,?,?)");
        case kPricedReadingWithSerial:
            return QStringLiteral(
                "update 抄表总表 set 是否收费=1,收据号=?,流水号=?,价格=?,实收量=? where 编号=?");
        case kPricedReading:
            return QStringLiteral(
                "update 抄表总表 set 是否收费=1,收据号=?,价格=?,实收量=? where 编号=?");
        case kReductionByAmountShape: return reduction_insert(true, false);
        case kReductionByQuantityShape: return reduction_insert(false, true);
        case kReductionOfBoth:
        case kShapes: break;
    }
    return reduction_insert(true, true);
}

platform::PreparedStatement& BillWrites::statement(Shape shape) {
    std::unique_ptr<platform::PreparedStatement>& held = statements_[shape];
    // One that could not be prepared is tried again, so its failure is told afresh.
    if (!held || !held->valid())
        held = std::make_unique<platform::PreparedStatement>(connection_, text_of(shape));
    return *held;
}

bool BillWrites::bill(const ChargeRecord& b) {
    platform::PreparedStatement& insert =
        statement(b.payment_serial ? kBillWithSerial : kBillWithoutSerial);
    int at = 1;
    insert.bind_text(at++, b.number);
    insert.bind_number(at++, b.usage_charge);
    insert.bind_number(at++, b.surcharge_total);
    insert.bind_number(at++, b.cost);
    insert.bind_number(at++, b.carry_in);
    insert.bind_number(at++, b.carry_out);
    insert.bind_number(at++, b.amount_to_collect);
    insert.bind_date(at++, b.reading_date);
    insert.bind_number(at++, b.difference);
    insert.bind_text(at++, b.collector);
    insert.bind_integer(at++, b.bill_number);
    insert.bind_number(at++, b.prepaid_deduction);
    insert.bind_number(at++, b.amount_billed);
    insert.bind_number(at++, b.quantity);
    insert.bind_number(at++, b.late_fee);
    insert.bind_number(at++, b.reduction_amount);
    insert.bind_integer(at++, b.valid);
    insert.bind_number(at++, b.loss);
    insert.bind_integer(at++, b.reduction_quantity);
    insert.bind_integer(at++, b.unpaid);
    if (b.payment_serial) insert.bind_integer(at++, *b.payment_serial);
    insert.bind_number(at++, b.price);
    insert.bind_date(at++, b.charge_date);
    insert.bind_text(at++, b.fee_item);
    insert.bind_text(at++, b.price_category);
    insert.bind_text(at, b.reader);
    return insert.execute();
}

bool BillWrites::surcharge_line(const SurchargeLine& l) {
    platform::PreparedStatement& insert = statement(kSurchargeLine);
    insert.bind_text(1, l.number);
    insert.bind_text(2, l.name);
    insert.bind_number(3, l.quantity);
    insert.bind_number(4, l.price);
    insert.bind_number(5, l.amount);
    insert.bind_date(6, l.date);
    insert.bind_integer(7, l.bill_number);
    insert.bind_text(8, l.fee_item);
    insert.bind_text(9, l.price_category);
    return insert.execute();
}

bool BillWrites::priced_reading(qint64 id, qint64 bill_number, std::optional<qint64> serial,
                                double unit_price, double quantity) {
    platform::PreparedStatement& mark =
        statement(serial ? kPricedReadingWithSerial : kPricedReading);
    int at = 1;
    mark.bind_integer(at++, bill_number);
    if (serial) mark.bind_integer(at++, *serial);
    mark.bind_number(at++, unit_price);
    mark.bind_number(at++, quantity);
    mark.bind_integer(at, id);
    return mark.execute();
}

bool BillWrites::reduction(const ReductionRecord& r) {
    // 减免金额 only for "按金额", 减免用量 only for "按用量", both for any other type.
    const bool by_amount = r.type == kReductionByAmount;
    const bool by_quantity = r.type == kReductionByQuantity;
    platform::PreparedStatement& insert =
        statement(by_amount     ? kReductionByAmountShape
                  : by_quantity ? kReductionByQuantityShape
                                : kReductionOfBoth);
    int at = 1;
    insert.bind_text(at++, r.number);
    if (!by_quantity) insert.bind_number(at++, r.amount);
    if (!by_amount) insert.bind_integer(at++, r.quantity);
    insert.bind_text(at++, r.reading_ids);
    insert.bind_date(at++, r.date);
    insert.bind_integer(at++, r.bill_number);
    insert.bind_text(at, r.type);
    return insert.execute();
}

namespace engine {

using platform::money_positive;
using platform::round_cents;
using platform::round_to;

namespace {

// What one bill needs to know besides its readings, read in one statement: the household's
// reduction type, its latest carry-over, whether it has a valid prepayment, whether the balance
// work tables hold rows, the largest bill number given and the largest payment serial. Nothing
// of it changes
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
    static const QString tail =
        QStringLiteral(" as 结余行,") + largest_given_bill_number() +
        QStringLiteral(" as 收据,(select top 1 流水号 from 总收费 order by 流水号 DESC) as 流水");
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

}  // namespace

// One household's bill. With `own_savepoint` its writes are all or nothing by themselves;
// without, the caller's savepoint guards them and must be rolled back when the outcome is not
// ok (a failed write may leave the writes before it).
ChargeOutcome charge_household(platform::Connection& connection, const QString& household,
                               const FeeItemSwitches& item, const shell::RunContext& run,
                               bool own_savepoint, BillWrites& writes, PriceBook* book,
                               std::optional<double> carry_in_given) {
    const shell::SystemParameters& parameters = run.parameters;
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
    const QDate today = run.today();
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
        carry_in = carry_in_given ? finite(*carry_in_given) : context.carry_over;
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

    // Numbers: the bill number one above the highest ever given (kept below, once there is a
    // bill to write); the payment serial the largest plus 1, a largest of 0 (or none) counting
    // as 1000000000.
    const qint64 N = context.largest_bill_number + 1;
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
        if (!record_bill_number(connection, N, &out.error)) {
            out.result = 0;
            out.messages.push_back(plain_message(out.error));
            return out;
        }
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
        for (SurchargeLine& line : c.lines) {
            line.bill_number = N;
            if (!writes.surcharge_line(line)) {
                write_failed(connection, out);
                out.messages.push_back(plain_message(out.error));
                return out;
            }
        }
        if (!writes.bill(bill)) {
            write_failed(connection, out);
            out.messages.push_back(plain_message(out.error));
            out.messages.push_back(plain_message(bill_insert_statement(bill)));
            return out;
        }
        for (const PricedReading& r : c.readings) {
            reading_ids += QString::number(r.id) + u'|';
            if (!writes.priced_reading(r.id, N, bill.payment_serial, r.unit_price, r.quantity)) {
                write_failed(connection, out);
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
    if (!record.type.isEmpty() && !writes.reduction(record)) {
        write_failed(connection, out);
        return out;
    }
    if (bill_run && !bill_run->commit()) commit_failed(connection, out);
    return out;
}

}  // namespace engine

using namespace engine;

ChargeOutcome generate_household_charges(platform::Connection& connection, const QString& household,
                                         const QString& zero_usage, const QString& billing_mode,
                                         const QString& fee_item, const QString& tiered,
                                         const shell::RunContext& run) {
    return generate_household_charges(
        connection, household, FeeItemSwitches{zero_usage, billing_mode, fee_item, tiered}, run);
}

ChargeOutcome generate_household_charges(platform::Connection& connection, const QString& household,
                                         const FeeItemSwitches& item,
                                         const shell::RunContext& run) {
    BillWrites writes(connection);
    return charge_household(connection, household, item, run, true, writes);
}

}  // namespace tariffs
