#include "charging/payments.h"

#include <algorithm>
#include <cmath>

#include "charging/charging_bill.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/query.h"
#include "shell/operation_log.h"
#include "tariffs/household_bills.h"

namespace charging {

qint64 serial_start(SerialRule rule, int payment_serial_digits) {
    return rule == SerialRule::Counter ? tariffs::kFixedNumberStart
                                       : tariffs::number_start(payment_serial_digits);
}

SerialOutcome allocate_payment_serial(platform::Connection& connection, SerialRule rule,
                                      int payment_serial_digits) {
    SerialOutcome out;
    const tariffs::NumberOutcome n =
        tariffs::next_checked_payment_serial(connection, serial_start(rule, payment_serial_digits));
    if (n.ok) {
        out.ok = true;
        out.serial = n.number;
    } else if (n.taken) {
        out.messages.push_back(tariffs::info_message(kSerialFailure));
    } else {
        out.messages.push_back(tariffs::plain_message(n.error));
    }
    return out;
}

SerialOutcome next_batch_serial_number(platform::Connection& connection,
                                       int payment_serial_digits) {
    return allocate_payment_serial(connection, SerialRule::Coded, payment_serial_digits);
}

bool claim_write_lock(platform::Connection& connection) {
    // A write that changes nothing still takes the lock, and keeps it to the transaction's end.
    return platform::db_execute(connection,
                                QStringLiteral("update 总收费 set 流水号=流水号 where 1=0"));
}

double CarryOverChange::shortfall() const {
    const double short_by = original - shown;
    return short_by > platform::kMoneyTolerance ? short_by : 0;
}

namespace {

QString two(double value) { return platform::format_number(value, 2); }

QString underpayment_text(const CarryOverChange& change, bool personal_account_open) {
    const QString head =
        QStringLiteral("实收金额比应交金额少") + two(change.shortfall()) + QStringLiteral("元");
    if (!personal_account_open)
        return head + QStringLiteral("。个人帐户未开启，欠款不能转入下期，请按应交金额收费！");
    return head + QStringLiteral("，本期结余") + two(change.shown) +
           QStringLiteral("元将作为欠款转入下期账单。\r\n确定收费吗？");
}

PaymentOutcome failed(platform::Connection& connection) {
    PaymentOutcome out;
    out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
    return out;
}

PaymentOutcome refused(const QString& text) {
    PaymentOutcome out;
    out.messages.push_back(tariffs::info_message(text));
    return out;
}

PaymentOutcome changed_meanwhile() {
    PaymentOutcome out = refused(kPaymentChanged);
    out.bills_changed = true;
    return out;
}

// Spreads the cashier's change of the carry-over over the paid bills (see CarryOverChange).
PaymentOutcome apply_carry_over(platform::Connection& connection, const PaymentRequest& request,
                                qint64 serial) {
    const CarryOverChange& change = *request.carry_over;
    const double difference = change.shown - change.original;
    std::vector<double> received(request.bills.size(), 0);
    {
        platform::PreparedStatement read(
            connection, QStringLiteral("select 实收金额 from 总收费 where 收据号=?"));
        for (size_t i = 0; i < request.bills.size(); ++i) {
            read.bind_integer(1, request.bills[i]);
            platform::RecordSet rows;
            if (!read.open(rows, platform::OnFailure::Quiet)) return failed(connection);
            received[i] = platform::recordset_field_number(rows, 0);
        }
    }
    const std::vector<double> before = received;
    if (difference > 0) {
        received.back() += difference;
    } else {
        double short_by = -difference;
        for (size_t i = received.size(); i-- > 0 && short_by > platform::kMoneyTolerance;) {
            const double taken = std::clamp(received[i], 0.0, short_by);
            received[i] -= taken;
            short_by -= taken;
        }
        if (short_by > platform::kMoneyTolerance) return refused(kReceivedBelowZero);
    }
    platform::PreparedStatement amount(
        connection,
        QStringLiteral("update 总收费 set 实收金额=? where 收据号=? and 流水号=? and 收费标志=0"));
    platform::PreparedStatement last(
        connection, QStringLiteral("update 总收费 set 本月接转=?,实收金额=? where 收据号=? and "
                                   "流水号=? and 收费标志=0"));
    for (size_t i = 0; i < request.bills.size(); ++i) {
        const bool is_last = i + 1 == request.bills.size();
        if (!is_last && received[i] == before[i]) continue;
        platform::PreparedStatement& write = is_last ? last : amount;
        int slot = 1;
        if (is_last) write.bind_number(slot++, platform::to_number(two(change.shown)));
        write.bind_number(slot++, received[i]);
        write.bind_integer(slot++, request.bills[i]);
        write.bind_integer(slot, serial);
        qint64 changed = 0;
        if (!write.execute(&changed)) return failed(connection);
        if (changed != 1) return changed_meanwhile();
    }
    PaymentOutcome out;
    out.done = true;
    out.serial = serial;
    return out;
}

}  // namespace

namespace {

qint64 fen_of(double amount) { return std::llround(platform::round_cents(amount) * 100); }
QString yuan_text(qint64 fen) { return two(static_cast<double>(fen) / 100); }

}  // namespace

CashEntry cash_handed(const QString& handed_text, const QString& received_text) {
    CashEntry entry;
    if (platform::text_trim(handed_text).isEmpty()) return entry;
    const std::optional<double> handed = platform::parse_typed_amount(handed_text);
    if (!handed) {
        entry.is_amount = false;
        return entry;
    }
    entry.cash = CashHanded{fen_of(*handed), fen_of(platform::to_number(received_text))};
    return entry;
}

QString cash_short_text(const CashEntry& entry) {
    if (!entry.is_amount) return kCashNotAnAmount;
    if (!entry.cash || entry.cash->change() >= 0) return QString();
    return QStringLiteral("本次收款") + yuan_text(entry.cash->handed) +
           QStringLiteral("元少于实收金额") + yuan_text(entry.cash->received) +
           QStringLiteral("元，不能收费！请核对本次收款。");
}

QString change_text(const CashEntry& entry) {
    return entry.cash ? yuan_text(entry.cash->change()) : QString();
}

QString payable_bill_condition() {
    return QStringLiteral("收据号=? and 收费标志=1 and 标志=1 and ") +
           tariffs::bound_household_row_condition(QStringLiteral("总收费.户号"));
}

int bind_payable_bill(platform::PreparedStatement& statement, int slot, qint64 bill,
                      const QString& household) {
    statement.bind_integer(slot++, bill);
    statement.bind_text(slot++, household);
    statement.bind_text(slot++, household);
    return slot;
}

UnderpaymentCheck check_underpayment(const PaymentRequest& request, bool personal_account_open) {
    if (!request.carry_over || request.carry_over->shortfall() == 0) return {};
    return {personal_account_open ? UnderpaymentStep::Ask : UnderpaymentStep::Refuse,
            underpayment_text(*request.carry_over, personal_account_open)};
}

PaymentOutcome pay_bills_under_serial(platform::Connection& connection, const QString& household,
                                      const std::vector<qint64>& bills, const QString& collector,
                                      const QDate& date,
                                      const std::optional<QString>& invoice_number, qint64 serial) {
    static const QString with_invoice =
        QStringLiteral("update 总收费 set 收费标志=0,收费人员=?,收费日期=?,流水号=?,发票号=? "
                       "where ") +
        payable_bill_condition();
    static const QString without_invoice =
        QStringLiteral("update 总收费 set 收费标志=0,收费人员=?,收费日期=?,流水号=? where ") +
        payable_bill_condition();
    platform::PreparedStatement pay(connection, invoice_number ? with_invoice : without_invoice);
    platform::PreparedStatement readings(
        connection, QStringLiteral("update 抄表总表 set 流水号=? where 收据号=?"));
    for (const qint64 bill : bills) {
        int slot = 1;
        pay.bind_text(slot++, collector);
        pay.bind_date(slot++, date);
        pay.bind_integer(slot++, serial);
        if (invoice_number) pay.bind_text(slot++, *invoice_number);
        bind_payable_bill(pay, slot, bill, household);
        qint64 changed = 0;
        if (!pay.execute(&changed)) return failed(connection);
        // Paid meanwhile (by another cashier, a batch run or a balance), voided, gone, or its
        // number now another household's.
        if (changed != 1) return changed_meanwhile();
        readings.bind_integer(1, serial);
        readings.bind_integer(2, bill);
        if (!readings.execute()) return failed(connection);
    }
    PaymentOutcome out;
    out.done = true;
    out.serial = serial;
    return out;
}

PaymentOutcome take_payment(platform::Connection& connection, const PaymentRequest& request,
                            int payment_serial_digits) {
    // A payment of nothing would use a serial and log and print a receipt of nothing.
    if (request.bills.empty()) return refused(kNothingToPay);
    if (request.collector.isEmpty()) {
        PaymentOutcome out = refused(kNoCollector);
        out.focus_collector = true;
        return out;
    }
    if (const QString short_text = cash_short_text(request.cash); !short_text.isEmpty()) {
        PaymentOutcome out = refused(short_text);
        out.focus_cash = true;
        return out;
    }
    if (request.carry_over && request.carry_over->shortfall() > 0 && !request.arrears_confirmed)
        return refused(underpayment_text(*request.carry_over, false));

    platform::Transaction transaction(connection);
    if (!transaction.active() || !claim_write_lock(connection)) return failed(connection);
    const SerialOutcome serial =
        allocate_payment_serial(connection, request.rule, payment_serial_digits);
    if (!serial.ok) {
        PaymentOutcome out;
        out.messages = serial.messages;
        return out;
    }
    PaymentOutcome out =
        pay_bills_under_serial(connection, request.household, request.bills, request.collector,
                               request.date,
                               request.invoice_number, serial.serial);
    if (out.done && request.carry_over &&
        std::fabs(request.carry_over->shown - request.carry_over->original) >
            platform::kMoneyTolerance)
        out = apply_carry_over(connection, request, serial.serial);
    if (!out.done) return out;  // the transaction rolls back as it goes out of scope
    const bool logged =
        !request.log ||
        shell::write_operation_log(connection, request.log->context, request.log->parent_item,
                                   request.log->current_item, request.log->remark);
    if (!transaction.commit()) return failed(connection);
    out.log_failed = !logged;
    return out;
}

}  // namespace charging
