#pragma once
// Paying bills: the payment serial (流水号) that ties the bills of one payment together, the two
// statements that mark a bill and its readings paid, and take_payment, which pays a list of
// bills under one new serial. A payment is all or nothing: it runs in one transaction, so a
// failure half way leaves none of its bills paid and its serial unused.
#include <QDate>
#include <QString>
#include <optional>
#include <vector>

#include "tariffs/bills.h"
#include "tariffs/tariff_outcome.h"

namespace platform {
struct Connection;
}

namespace charging {

using tariffs::Message;
using tariffs::Messages;

// Where a new serial starts while no bill carries one: the counter's fixed 1000000000, or "1"
// followed by 收费编码位数 zeros (card, batch and balance payments).
enum class SerialRule { Counter, Coded };

inline const QString kSerialFailure = QStringLiteral("系统计算收据号失败，本次收费失败！");
inline const QString kNoCollector = QStringLiteral("请选择收费人员！");

qint64 serial_start(SerialRule rule, int payment_serial_digits);

struct SerialOutcome {
    bool ok = false;
    qint64 serial = 0;
    Messages messages;  // the serial-failure message, or the database's text
};

// The largest 总收费.流水号 plus one (the rule's start standing in for none), refused when a bill
// already carries the candidate.
SerialOutcome allocate_payment_serial(platform::Connection& connection, SerialRule rule,
                                      int payment_serial_digits);
// The coded rule with the parameters' 收费编码位数: one serial per household of a batch.
SerialOutcome next_batch_serial_number(platform::Connection& connection);

// "update 总收费 set 收费标志=0,收费人员='c',收费日期=#y-m-d#,发票号='i',流水号=s where 收据号=b";
// without an invoice number (a batch) the 发票号 part is left out.
QString bill_payment_statement(const QString& collector, const QDate& date,
                               const std::optional<QString>& invoice_number, qint64 serial,
                               qint64 bill_number);
// "update 抄表总表 set 流水号=s where 收据号=b".
QString readings_serial_statement(qint64 serial, qint64 bill_number);

// The cashier's change of the carry-over: 本期结余 as shown when paying and as it was when the
// bills were shown. When they differ, the last bill's 实收金额 takes the difference and its
// 本月接转 the shown figure.
struct CarryOverChange {
    double shown = 0;
    double original = 0;
};

struct PaymentRequest {
    std::vector<qint64> bills;  // 收据号, paid in this order
    QString collector;
    QDate date;
    std::optional<QString> invoice_number;  // empty optional: no 发票号 written (batch)
    SerialRule rule = SerialRule::Counter;
    std::optional<CarryOverChange> carry_over;
};

struct PaymentOutcome {
    bool done = false;
    qint64 serial = 0;
    Messages messages;             // what to show, in order (nothing on success)
    bool focus_collector = false;  // refused for want of a collector
};

// Pays the bills under one new serial in one transaction: for each bill the payment statement
// and the readings statement, then the carry-over change on the last one. Nothing is written
// when the collector is empty, the serial is taken or any statement fails (its text is the
// message, shown without icon).
PaymentOutcome take_payment(platform::Connection& connection, const PaymentRequest& request,
                            int payment_serial_digits);

// The same steps inside a transaction the caller owns (a batch row): no transaction of its own.
PaymentOutcome pay_bills_unguarded(platform::Connection& connection, const PaymentRequest& request,
                                   int payment_serial_digits);

}  // namespace charging
