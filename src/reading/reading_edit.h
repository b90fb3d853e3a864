#pragma once
// Correction and deletion of a committed reading that is not paid. A correction changes start,
// end, loss and date, drops the reading's unpaid bill with its surcharge and reduction rows,
// applies the reductions again and bills every unbilled reading again; a deletion removes the
// reading and its unpaid bill, whose other readings return to unbilled. Each runs in one
// transaction: a failure anywhere leaves the reading and its bill as they were.
#include <QDate>
#include <QString>

#include "shell/run_context.h"

namespace platform {
struct Connection;
}

namespace reading {

// The reading open in ReadingEditWindow.
extern qint64 edited_reading_id;
extern QString edited_reading_meter;
extern QString edited_reading_fee_item;
extern QString edited_reading_price_category;
extern double edited_reading_old_start;
extern double edited_reading_old_end;
extern qint64 edited_reading_bill_number;
extern double edited_reading_usage;

// Its bill is valid (标志 1) and paid (收费标志 0).
bool reading_is_paid(platform::Connection& connection, qint64 id);

// What the page's 修改 button may open; an empty message lets the window open.
QString reading_edit_refusal(platform::Connection& connection, qint64 id);

struct EditedReading {
    bool found = false;
    QString household, name, fee_item, category, street, address, meter;
    double start = 0, end = 0, loss = 0;
    qint64 bill_number = 0;
    QDate date;
};
// Loads the reading and sets the edited_reading_* values.
EditedReading load_edited_reading(platform::Connection& connection, qint64 id);

// (end - start) * 倍率, and the loss of that usage when the fee item computes it; otherwise the
// loss stays `typed_loss`. Sets edited_reading_usage.
struct UsageAndLoss {
    double usage = 0;
    double loss = 0;
    bool loss_computed = false;
};
UsageAndLoss edit_usage_and_loss(platform::Connection& connection, double start, double end,
                                 double typed_loss);

struct EditOutcome {
    bool ok = false;
    QString message;
    bool log_failed = false;  // the log row could not be written ("添加日志失败！")
};
// Saves the correction of the edited reading and bills again.
EditOutcome correct_reading(platform::Connection& connection, double start, double end,
                            double typed_loss, const QDate& date, const shell::RunContext& run);

struct DeleteTarget {
    bool found = false;
    QString meter, name;
    qint64 bill_number = 0;
};
DeleteTarget reading_delete_target(platform::Connection& connection, qint64 id);
EditOutcome delete_reading(platform::Connection& connection, qint64 id,
                           const shell::RunContext& run);

}  // namespace reading
