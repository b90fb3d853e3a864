#pragma once
// Paying bills: the payment serial (流水号) that ties the bills of one payment together, the
// statements that mark a bill and its readings paid, and take_payment, which pays a list of
// bills under one new serial. A payment is all or nothing: it runs in one transaction, so a
// failure half way leaves none of its bills paid and its serial unused. A bill is paid only
// while it is still unpaid: a payment prepared from a list that another cashier or a batch run
// paid meanwhile is refused whole.
#include <QDate>
#include <QString>
#include <optional>
#include <vector>

#include "shell/run_context.h"
#include "tariffs/bills.h"
#include "tariffs/tariff_outcome.h"

namespace platform {
struct Connection;
class PreparedStatement;
}

namespace charging {

using tariffs::Message;
using tariffs::Messages;

// Where a new serial starts while no bill carries one: the counter's fixed 1000000000, or "1"
// followed by 收费编码位数 zeros (card, batch and balance payments).
enum class SerialRule { Counter, Coded };

inline const QString kSerialFailure = QStringLiteral("系统计算收据号失败，本次收费失败！");
inline const QString kNoCollector = QStringLiteral("请选择收费人员！");
// A bill of the payment was no longer the household's unpaid valid bill when it was to be paid.
inline const QString kPaymentChanged = QStringLiteral("该用户的收费记录已被修改,请重新查询！");
inline const QString kReceivedBelowZero = QStringLiteral("实收金额不能小于零！");

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
SerialOutcome next_batch_serial_number(platform::Connection& connection, int payment_serial_digits);

// Takes the file's write lock as the first step of a money transaction, waiting while another
// program writes. Reading first and writing later would let another program commit in between:
// the serial read would then be stale and the write fail at once instead of waiting. False with
// the database's text when the lock could not be had.
bool claim_write_lock(platform::Connection& connection);

// The cashier's change of the carry-over: 本期结余 as shown when paying and as it was when the
// bills were shown. The difference is what the cashier took more (or less) than the bills ask:
// more goes onto the last bill's 实收金额; less is taken off the bills' 实收金额 from the last
// one back, never below zero. The last bill's 本月接转 takes the shown figure either way.
struct CarryOverChange {
    double shown = 0;
    double original = 0;
    // What was received short of what the bills ask; 0 when nothing is short.
    double shortfall() const;
};

// The cash the cashier was handed (本次收款) against what the payment takes (实收金额), in fen.
// Money short of 实收金额 is refused: charging it in full would book takings never received.
struct CashHanded {
    qint64 handed = 0;    // fen
    qint64 received = 0;  // fen
    qint64 change() const { return handed - received; }
};
// What 本次收款 holds: nothing (the exact sum was handed over), an amount, or a text that is no
// amount of money (grouping commas, a unit, an exponent, more than two decimals, full-width
// digits), which is refused rather than read as some other sum.
struct CashEntry {
    bool is_amount = true;
    std::optional<CashHanded> cash;  // none: the box is empty, or no amount
};
// 本次收款 read with the typed-amount reader; 实收 is the payment's own figure, read as the
// payment reads it and taken to the fen.
CashEntry cash_handed(const QString& handed_text, const QString& received_text);
// The refusal of 本次收款: not an amount, or short of 实收金额 (naming both figures); empty
// when the cash may be taken.
QString cash_short_text(const CashEntry& cash);
// 本次找零 as the window shows it: the change with two decimals, empty when 本次收款 is empty
// or no amount.
QString change_text(const CashEntry& cash);
inline const QString kCashNotAnAmount =
    QStringLiteral("本次收款不是有效的金额（只能是数字，最多两位小数），请重新输入！");

// Every payment (counter, card, batch, settling from balances) writes a bill only under this
// condition: the bill (收据号) still an unpaid valid bill of the household the payment is for,
// under its own number or one of its meter accounts'. Bound from `slot` on by bind_payable_bill:
// the bill number, then the household twice. A write that changes no row is a bill changed
// meanwhile (kPaymentChanged), and the payment pays nothing.
QString payable_bill_condition();
int bind_payable_bill(platform::PreparedStatement& statement, int slot, qint64 bill,
                      const QString& household);

// The log row a payment writes with itself, in its transaction.
struct PaymentLog {
    shell::RunContext context;  // the operator and moment of the row
    QString parent_item, current_item, remark;
};

struct PaymentRequest {
    QString household;          // whose bills were shown: only its bills are paid
    std::vector<qint64> bills;  // 收据号, paid in this order
    QString collector;
    QDate date;
    std::optional<QString> invoice_number;  // empty optional: no 发票号 written (batch)
    SerialRule rule = SerialRule::Counter;
    std::optional<CarryOverChange> carry_over;
    // The cashier confirmed that a shortfall stays as arrears on the household's account.
    bool arrears_confirmed = false;
    CashEntry cash;  // nothing typed in by default (or no counter)
    std::optional<PaymentLog> log;  // none: the caller logs, or nothing is logged
};

// What to do before paying when less was received than the bills ask. With the household
// account closed (个人帐户 not 开启) no later bill takes up a carry-over, so the debt would be
// lost: refused. With it open the arrears go to the next bill: asked first.
enum class UnderpaymentStep { None, Refuse, Ask };
struct UnderpaymentCheck {
    UnderpaymentStep step = UnderpaymentStep::None;
    QString text;  // the refusal, or the question
};
UnderpaymentCheck check_underpayment(const PaymentRequest& request, bool personal_account_open);

struct PaymentOutcome {
    bool done = false;
    qint64 serial = 0;
    Messages messages;             // what to show, in order (nothing on success)
    bool focus_collector = false;  // refused for want of a collector
    bool focus_cash = false;       // refused: the cash handed over is short (cash_short_text)
    bool bills_changed = false;    // a bill was no longer unpaid: the list shown is stale
    bool log_failed = false;       // paid, but the request's log row could not be written
};

// Pays the bills under one new serial in one transaction: for each bill the payment statement
// (only while it is the household's unpaid valid bill) and the readings statement, then the
// carry-over change. Nothing is written when there is no bill, no collector, cash that is no
// amount or short of 实收金额, an unconfirmed shortfall, the serial is taken, a bill was paid,
// voided, deleted or given to another household meanwhile (kPaymentChanged) or any statement
// fails (its text is the message,
// shown without icon). The request's log row goes in with the payment; a failed row alone does
// not undo it.
PaymentOutcome take_payment(platform::Connection& connection, const PaymentRequest& request,
                            int payment_serial_digits);

// Marks the bills and their readings paid under `serial`, inside a transaction the caller owns
// (the batch run). Each bill must still be the household's unpaid valid bill
// (payable_bill_condition); otherwise kPaymentChanged and the caller rolls back. Bound
// statements, prepared once per connection.
PaymentOutcome pay_bills_under_serial(platform::Connection& connection, const QString& household,
                                      const std::vector<qint64>& bills, const QString& collector,
                                      const QDate& date,
                                      const std::optional<QString>& invoice_number, qint64 serial);

}  // namespace charging
