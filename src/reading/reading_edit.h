#pragma once
// Correction and deletion of a committed reading that is not paid. A correction changes start,
// end, loss and date, drops the reading's unpaid bill with its surcharge and reduction rows,
// applies the reductions again and bills the unbilled readings again through the engine's bill
// run, as the month's commit does; a deletion removes the reading and its unpaid bill, whose
// other readings return to unbilled. Each runs in one transaction, and tests there that the bill
// is still unpaid: a failure or a refusal anywhere leaves the reading and its bill as they were.
#include <QDate>
#include <QString>

#include "reading/monthly_commit.h"
#include "shell/run_context.h"

namespace platform {
struct Connection;
}

namespace reading {

// Its bill is valid (标志 1) and paid (收费标志 0).
bool reading_is_paid(platform::Connection& connection, qint64 id);

// What the page's 修改 button may open; an empty message lets the window open.
QString reading_edit_refusal(platform::Connection& connection, qint64 id);

// A committed reading as ReadingEditWindow loaded it: what the correction changes and the bill
// that covered it then.
struct EditedReading {
    bool found = false;
    qint64 id = 0;  // 编号
    QString household, name, fee_item, category, street, address, meter;
    double start = 0, end = 0, loss = 0;
    qint64 bill_number = 0;  // 收据号 when loaded (0 when unbilled)
    QDate date;
};
EditedReading load_edited_reading(platform::Connection& connection, qint64 id);

// (end - start) * 倍率 of the reading's meter account (by its number and fee item), and the loss
// of that usage at the 电损率 of the reading's price category when the fee item computes it;
// otherwise the loss stays `typed_loss`. Without the meter account there is no usage.
struct UsageAndLoss {
    double usage = 0;
    double loss = 0;
    bool loss_computed = false;
    bool account_found = false;  // the meter account is there
    bool read = true;            // false when a look-up failed
};
UsageAndLoss edit_usage_and_loss(platform::Connection& connection, const EditedReading& reading,
                                 double start, double end, double typed_loss);

// The refusal of a correction whose meter account no longer exists.
QString meter_account_gone(const QString& meter);

struct EditOutcome {
    bool ok = false;
    // Refused without a change: the bill was paid, or the reading changed, since it was loaded.
    bool refused = false;
    QString message;
    bool log_failed = false;  // the log row could not be written ("添加日志失败！")
};

// The reading changed at another seat since it was loaded (billed again under another number,
// or gone): the correction or deletion is refused.
inline const QString kReadingChanged = QStringLiteral("该条抄表记录已被修改,请重新查询！");

// Saves the correction of `reading` (as it was loaded) to the new start, end, loss and date,
// removes the bill that covered it, applies the reductions and bills every household's unbilled
// readings as the month's commit bills them, all in one transaction. With carry-over on, the
// household's later bills, when none of them is paid, are removed too and billed again after
// it in their order, so each carries over from the one before as when first billed; the
// corrected bill itself carries in what the bill it replaces carried in, so a later bill paid
// meanwhile, which stays as it is, never lends it its carry-over. Refused, with nothing
// changed, when the bill is paid by then ("该条抄表记录已经收费不能修改！"), the reading no
// longer carries the loaded bill number (kReadingChanged) or its meter account is gone
// (meter_account_gone). The billing moves the progress bar through `progress` (its
// progress_maximum and progress_step; nothing else of it is used).
EditOutcome correct_reading(platform::Connection& connection, const EditedReading& reading,
                            double start, double end, double typed_loss, const QDate& date,
                            const shell::RunContext& run, const CommitHooks& progress = {});

struct DeleteTarget {
    bool found = false;
    QString meter, name;
    qint64 bill_number = 0;  // the reading's own 收据号
};
DeleteTarget reading_delete_target(platform::Connection& connection, qint64 id);

// Deletes the reading and, when it is billed under `bill_number` (the number the question
// showed), that unpaid bill with its surcharge and reduction rows, its other readings returning
// to unbilled; one transaction. Refused, with nothing changed, when the bill is paid by then
// ("该条抄表记录已经收费不能删除！") or the reading carries another bill number
// (kReadingChanged). A reading already gone deletes nothing and succeeds.
EditOutcome delete_reading(platform::Connection& connection, qint64 id, qint64 bill_number,
                           const shell::RunContext& run);

}  // namespace reading
