#include "charging/payments.h"

#include <cmath>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/query.h"
#include "shell/system_parameters.h"

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

SerialOutcome next_batch_serial_number(platform::Connection& connection) {
    return allocate_payment_serial(connection, SerialRule::Coded,
                                   shell::system_parameters.payment_serial_digits);
}

QString bill_payment_statement(const QString& collector, const QDate& date,
                               const std::optional<QString>& invoice_number, qint64 serial,
                               qint64 bill_number) {
    QString sql = QStringLiteral("update 总收费 set 收费标志=0,收费人员=") +
                  platform::sql_quote(collector) + QStringLiteral(",收费日期=") +
                  platform::date_to_sql_literal(date);
    if (invoice_number) sql += QStringLiteral(",发票号=") + platform::sql_quote(*invoice_number);
    sql += QStringLiteral(",流水号=") + QString::number(serial) + QStringLiteral(" where 收据号=") +
           QString::number(bill_number);
    return sql;
}

QString readings_serial_statement(qint64 serial, qint64 bill_number) {
    return QStringLiteral("update 抄表总表 set 流水号=") + QString::number(serial) +
           QStringLiteral(" where 收据号=") + QString::number(bill_number);
}

namespace {

bool run(platform::Connection& connection, const QString& sql, PaymentOutcome& out) {
    if (platform::db_execute(connection, sql)) return true;
    out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
    return false;
}

}  // namespace

PaymentOutcome pay_bills_unguarded(platform::Connection& connection, const PaymentRequest& request,
                                   int payment_serial_digits) {
    PaymentOutcome out;
    if (request.collector.isEmpty()) {
        out.messages.push_back(tariffs::info_message(kNoCollector));
        out.focus_collector = true;
        return out;
    }
    const SerialOutcome serial =
        allocate_payment_serial(connection, request.rule, payment_serial_digits);
    if (!serial.ok) {
        out.messages = serial.messages;
        return out;
    }
    for (size_t i = 0; i < request.bills.size(); ++i) {
        const qint64 bill = request.bills[i];
        if (!run(connection,
                 bill_payment_statement(request.collector, request.date, request.invoice_number,
                                        serial.serial, bill),
                 out) ||
            !run(connection, readings_serial_statement(serial.serial, bill), out))
            return out;
        const bool last = i + 1 == request.bills.size();
        if (last && request.carry_over &&
            std::fabs(request.carry_over->shown - request.carry_over->original) >
                platform::kMoneyTolerance) {
            bool ok = true;
            const double received = platform::query_number(
                connection,
                QStringLiteral("select 实收金额 from 总收费 where  收据号=") +
                    QString::number(bill),
                platform::OnFailure::Quiet, &ok);
            if (!ok) {
                out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
                return out;
            }
            const double adjusted =
                received + request.carry_over->shown - request.carry_over->original;
            if (!run(connection,
                     QStringLiteral("update 总收费 set 本月接转=") +
                         platform::sql_number(request.carry_over->shown) +
                         QStringLiteral(",实收金额=") + platform::sql_number(adjusted) +
                         QStringLiteral(" where 收据号=") + QString::number(bill),
                     out))
                return out;
        }
    }
    out.done = true;
    out.serial = serial.serial;
    return out;
}

PaymentOutcome take_payment(platform::Connection& connection, const PaymentRequest& request,
                            int payment_serial_digits) {
    platform::Transaction transaction(connection);
    if (!transaction.active()) {
        PaymentOutcome out;
        out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
        return out;
    }
    PaymentOutcome out = pay_bills_unguarded(connection, request, payment_serial_digits);
    if (!out.done) {
        transaction.rollback();
        return out;
    }
    if (!transaction.commit()) {
        out.done = false;
        out.serial = 0;
        out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
    }
    return out;
}

}  // namespace charging
