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

// A number as the clerk types it, read the way receipts show it: the digits after "№" are the
// receipt's number within its series, so "№000000007", "000000007" and "7" all name the receipt
// shown as "№000000007" when the series has nine digits after its "№" (`width`). Digits longer
// than that are the stored number typed in full. A width below zero (no series known) reads the
// text as the stored number with its "№" taken for "1". 0 when the text is no number.
qint64 reprint_number_from_text(const QString& text, int width);
// The count of digits after "№" in the scheme's numbers, read from the largest one held; -1 when
// there is none or it does not start with "1".
int reprint_series_width(platform::Connection& connection, ReprintScheme scheme);

struct ReprintRequest {
    ReprintScheme scheme = ReprintScheme::Charge;
    QString first, last;  // as typed: with or without "№", in display width or in full
    QString per_pause;    // receipts between pauses
    QString pause;        // seconds
};
struct ReprintOutcome {
    bool run = false;  // false: refused, nothing printed
    QString message;   // the refusal
    enum class Focus { None, PerPause, Last } focus = Focus::None;
    std::vector<qint64> printed;  // in order
    // one "添加日志失败！" per log row that failed; "没有找到要重打的票据！" when nothing printed
    platform::Messages messages;
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
