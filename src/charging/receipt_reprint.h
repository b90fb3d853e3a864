#pragma once
// Printing receipts again: the charge receipt of one payment picked in the charge list, and a
// run over a range of payment serials or prepayment receipt numbers that pauses after every few
// receipts so that a slow receipt printer keeps up. The receipts themselves print through the
// printers of charging_hooks.h.
#include <QString>
#include <functional>
#include <vector>

#include "platform/messages.h"
#include "shell/run_context.h"

namespace platform {
struct Connection;
}

namespace charging {

// Prints the charge receipt of the serial once and logs it with the cell as shown. Returns
// what to show: "添加日志失败！" when the log row could not be written, else nothing.
platform::Messages reprint_payment_receipt(platform::Connection& connection, qint64 serial,
                                           const QString& cell, const shell::RunContext& context);

enum class ReprintScheme { Charge, Prepay };  // 收费票据, 预存票据
inline const QString kChargeScheme = QStringLiteral("收费票据");
inline const QString kPrepayScheme = QStringLiteral("预存票据");

struct ReprintRequest {
    ReprintScheme scheme = ReprintScheme::Charge;
    QString first, last;  // as typed, in display form or plain digits
    QString per_pause;    // receipts between pauses
    QString pause;        // seconds
};
struct ReprintOutcome {
    bool run = false;  // false: refused, nothing printed
    QString message;   // the refusal
    enum class Focus { None, PerPause, Last } focus = Focus::None;
    std::vector<qint64> printed;  // in order
    platform::Messages messages;  // one "添加日志失败！" per log row that failed
};
// Waits the given number of milliseconds (tests record the waits instead).
using ReprintWaiter = std::function<void(int milliseconds)>;
ReprintWaiter& reprint_waiter();

// The numbers of the range that have something to print, ascending: payment serials still
// carried by a reading of one of their bills, or prepayment receipt numbers of 预存明细
// (whatever their 标志).
std::vector<qint64> reprintable_numbers(platform::Connection& connection, ReprintScheme scheme,
                                        qint64 first, qint64 last);

// Prints every receipt of the range once, logging each, and waits `pause` seconds after every
// `per_pause` printed receipts.
ReprintOutcome run_receipt_reprint(platform::Connection& connection, const ReprintRequest& request,
                                   const shell::RunContext& context);

}  // namespace charging
