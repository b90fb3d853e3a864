#pragma once
// Invoice books (发票设置): registering a book, deleting one nobody has used, and the recount
// that finds each open book's next free number and sets the program-wide
// shell::current_invoice_number, which the charging windows write into the payments they take.
//
// A number counts as used once, however many rows carry it: every bill of one payment carries
// the payment's number, and a voided payment leaves its number on its void row (标志 2) and may
// leave it on its bills too. A number some row other than a valid one (标志 1) carries counts
// as voided; any other used number as invoiced, with the sum of its valid rows' amounts. A
// number on bills is counted from the bills alone, the prepayments only for the others. So the
// book's current number is never one that a payment already carries.
#include <QDate>
#include <QString>
#include <QStringList>

#include "shell/run_context.h"
#include "tariffs/tariff_outcome.h"

namespace platform {
struct Connection;
}

namespace tariffs {

// The 查询列 class of the invoice page's list.
inline const QString kInvoiceColumnClass = QStringLiteral("发票管理");

// What one recount found and could not write.
struct InvoiceRecount {
    QString current;         // the first open book's current number, "" when none
    QStringList failures;    // texts of failed statements, to show without an icon
};

// Recounts every open book (用完标志 0) in 编号 order against 总收费 and 预存明细: 当前发票号,
// 已使用, 作废, 总开票金额 and 用完标志 (1 once all 总张数 numbers are used), then sets
// shell::current_invoice_number to the first open book's current number or "". The caller
// shows the failures.
InvoiceRecount refresh_current_invoice_number(platform::Connection& connection);
// On the main connection.
InvoiceRecount refresh_current_invoice_number();
// The number in use (shell::current_invoice_number).
QString current_invoice_number();

// The numbers of a book from `first` on, `count` of them, each as many digits as `first`
// (wider once it overflows): "008", 3 -> "008", "009", "010".
QStringList invoice_book_numbers(const QString& first, qint64 count);

struct InvoiceBook {
    QDate received;     // 领取时间
    QString code;       // 发票代码
    QString first;      // 发票起号
    QString last;       // 发票止号
    QString type;       // 发票类型
    QString collector;  // 收费人员
};

// The holders the add form offers: for the administrator every operator but himself, for
// anybody else just that operator.
QStringList invoice_collectors(platform::Connection& connection, const QString& operator_name);

// Checks the form in its order and inserts the book (open, 总张数 = last - first + 1). The
// numbers must be digits and the last not below the first.
Outcome add_invoice_book(platform::Connection& connection, const InvoiceBook& book,
                         const shell::RunContext& context);

// The refusal before the delete question: no book chosen, or (for an operator other than the
// administrator) a book held by somebody else. "" when the question may be asked.
QString invoice_delete_refusal(platform::Connection& connection, const QString& number,
                               const QString& operator_name);
Question invoice_delete_question(const QString& number);
// Deletes the book unless a payment or prepayment carries its first number.
Outcome delete_invoice_book(platform::Connection& connection, const QString& number,
                            const shell::RunContext& context);

}  // namespace tariffs
