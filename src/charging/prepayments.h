#pragma once
// Prepayments (预存明细): taking one, changing one, voiding one, and the receipt numbers the
// lists show. A new prepayment and the settlement of the household's unpaid bills from its
// balance are one transaction: both stay, or neither. A void keeps the row (标志 2), so its
// receipt number is never handed out again.
#include <QDate>
#include <QString>
#include <QStringList>

#include "charging/prepay_settlement.h"
#include "tariffs/bills.h"

namespace platform {
struct Connection;
}

namespace charging {

// How the entry window opens: 1 changes the prepayment selected in the 预存明细 list, anything
// else takes a new one. The openers set it; the window reads it.
extern int prepayment_entry_mode;
inline constexpr int kPrepaymentModify = 1;

inline const QString kPrepayGroup = QStringLiteral("预存管理");
inline const QString kReceiptMark = tariffs::kNumeroSign;
inline const QString kPrepayColumnClass = QStringLiteral("预存明细");
inline const QString kReceiptColumnTitle = QStringLiteral("收据号");

// A list cell that holds a receipt number (not the totals row, not another column).
bool is_receipt_cell(const QString& cell);

// The largest stored receipt number plus one, void rows included; 1000000001 for the first.
qint64 next_prepayment_receipt_number(platform::Connection& connection, bool* ok = nullptr);

// The operators a collector may be chosen from: every one but the administrator.
QStringList prepayment_collectors(platform::Connection& connection);

struct PrepayHousehold {
    bool found = false;
    QString street, name, address, card, number;
};
// By household number when one is given (a prefix left in the box counts), else by card.
PrepayHousehold find_prepaying_household(platform::Connection& connection, const QString& number,
                                         const QString& card);

enum class PrepayField { None, Household, Collector, Amount };

struct PrepaymentForm {
    QString household;  // as typed (trimmed here)
    QString collector;
    QString amount;  // the amount box's text: a plain decimal, at most 2 decimals
    QDate date;
    QString name;  // the name box, for the log remark
};

struct PrepaymentOutcome {
    bool done = false;   // the row was stored (or changed)
    qint64 receipt = 0;  // its receipt number
    Messages messages;   // in order
    PrepayField focus = PrepayField::None;
    bool select_text = false;      // the focused box's text is selected
    SettlementOutcome settlement;  // what the new prepayment settled
};

// The checks both modes share, in the window's order: household number, collector, an amount
// above zero (the box's whole text a plain decimal with at most 2 decimals, below 1e9), and a
// household of that number.
PrepaymentOutcome check_prepayment_form(platform::Connection& connection,
                                        const PrepaymentForm& form);

// A new prepayment: the checks, the row, the log row and the settlement of the household's
// bills from its balance (dated the context's day) in one transaction, then "添加成功！". The row
// carries `invoice_number` only while the context's invoice management is on, else an empty 发票号.
// When the settlement fails nothing is stored and its messages say why.
PrepaymentOutcome take_prepayment(platform::Connection& connection, const PrepaymentForm& form,
                                  const QString& invoice_number, const shell::RunContext& context);

// Changes the household, amount, collector and date of a prepayment; settles nothing.
PrepaymentOutcome modify_prepayment(platform::Connection& connection, qint64 receipt,
                                    double former_amount, const PrepaymentForm& form,
                                    const shell::RunContext& context);

struct StoredPrepayment {
    bool found = false;
    QString household, collector;
    double amount = 0;
    QDate date;
    int flag = 0;  // 标志: 1 valid, 2 void
};
StoredPrepayment load_prepayment(platform::Connection& connection, qint64 receipt);

enum class RowAction { Modify, Void };
// Only the administrator or the row's own collector may change or void it: "" when allowed,
// else the refusal to show.
QString prepayment_owner_refusal(platform::Connection& connection, qint64 receipt,
                                 const QString& operator_name, RowAction action);

// The question asked before a void, with its caption.
QString prepayment_void_question(const QString& receipt_cell);
inline const QString kPrepaymentVoidCaption = QStringLiteral("提示作废");

struct PrepaymentVoidOutcome {
    bool done = false;
    Messages messages;  // the log failure, then the result with its caption
};
// Marks the prepayment void (标志 2) and logs it. A receipt number without a valid row fails:
// nothing was voided.
PrepaymentVoidOutcome void_prepayment(platform::Connection& connection, qint64 receipt,
                                      const QString& receipt_cell,
                                      const shell::RunContext& context);

}  // namespace charging
