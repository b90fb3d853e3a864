#pragma once
// The month's pending batch (抄表管理) as the monthly page lists and edits it: the page's
// statements, deleting a meter's pending rows, clearing the batch, and the tests the commit
// makes before it asks.
#include <QString>

namespace platform {
struct Connection;
}

namespace reading {

// The 查询列 class of the monthly list.
inline const QString kMonthlyColumnClass = QStringLiteral("月抄表");

// The page's standard statement: every pending row with its meter account and household,
// newest first. A row whose account or household is missing is not listed.
QString monthly_reading_statement();
// The same rows as the navigation entry selects them (fields in another order).
QString monthly_reading_navigation_statement();
// Only the pending rows with a negative usage.
QString monthly_negative_reading_statement();

// Deletes every pending row of the meter account, whatever its fee item. False when the
// statement failed (deleting nothing is success).
bool delete_pending_account(platform::Connection& connection, const QString& account);
// Deletes the whole batch.
bool clear_pending_batch(platform::Connection& connection);

// What the commit finds before it asks.
enum class BatchState { Empty, NegativeUsage, Ready };
BatchState check_pending_batch(platform::Connection& connection);

}  // namespace reading
