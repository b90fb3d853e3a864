#pragma once
// Prepaid balances, rebuilt from the valid prepayments (预存明细) and the bills (总收费) into the
// work tables 预存结余 and 预存结余新 whenever one is needed.
#include <QString>
#include <optional>

#include "platform/db.h"
#include "tariffs/bills.h"
#include "tariffs/household_bills.h"

namespace platform {
struct Connection;
}

namespace tariffs {

struct BalanceOutcome {
    bool ok = true;     // every step succeeded
    QString error;      // the database's text of the first failure
    Messages messages;  // what to show, in order (plain boxes)

    // A step failed with the database's text: not ok, the text kept and shown.
    void fail(const QString& database_text) {
        ok = false;
        error = database_text;
        messages.push_back(plain_message(database_text));
    }
};

// The transaction of a balance rebuild: its own when the caller has none under way, else the
// caller's. Its own writes only the work tables, and so commits without waiting for the disk.
// A rebuild keeps what it wrote even when a step fails, so inside the caller's transaction a
// savepoint of its own would change nothing, yet every page the rebuild writes would be copied
// aside for it.
class RebuildTransaction {
public:
    explicit RebuildTransaction(platform::Connection& connection);
    bool active() const { return !own_ || own_->active(); }
    bool commit() { return !own_ || own_->commit(); }

private:
    std::optional<platform::Transaction> own_;
};

// A household's bills are those of its own number and of its meter accounts
// (tariffs/household_bills.h), in both rebuilds. Each rebuild runs in one transaction.
//
// The grouped rebuild: 预存结余 gets the caller's rows (or, for an empty statement, every
// household's valid prepayments), then per household the deductions (预存扣款 > 0) and the
// amounts due of its valid bills, and 预存结余新 one row per household with
// 结余金额 = 预存金额 − 已扣金额 and 标记 1 where something is due. Stops at the first failure.
// `flag` is kept for the callers; it changes nothing.
BalanceOutcome rebuild_prepayment_balances(platform::Connection& connection,
                                           const QString& insert_statement, int flag = 1);

// The grouped rebuild for one household: 预存结余 filled with its valid prepayments (编号 from
// 收据号, nothing deducted or due yet), as the charge engine rebuilds before each bill.
BalanceOutcome rebuild_household_prepayment_balances(platform::Connection& connection,
                                                     const QString& household);

// What the grouped rebuild leaves for a household without a valid prepayment: both work tables
// empty (预存结余新 created anew when it is missing).
BalanceOutcome empty_prepayment_work_tables(platform::Connection& connection);

// The per-row rebuild: 预存结余 gets the caller's rows (编号,户号,预存金额), merged to one row
// per household (the smallest 编号, holding the sum), each with 已扣金额 = the 预存扣款 of every
// valid bill of the household and 结余金额 = 预存金额 − 已扣金额. Goes on after a failure.
//
// With `amounts_due` it also sets 应扣金额 of every row (the 实收金额 of the household's valid
// unpaid bills, as compute_prepay_amounts_due does) in the same pass over the rows.
struct PerRowRebuild {
    bool amounts_due = false;
};
BalanceOutcome recompute_prepay_balances(platform::Connection& connection,
                                         const QString& insert_statement,
                                         const PerRowRebuild& how = {});

// The 实收金额 still due on the valid unpaid bills of each row's household of 预存结余 (its own
// number's and its meter accounts'), as the two terms of a statement over 预存结余.
const HouseholdBillSums& amount_due_sums();

// 结余金额 of the household in 预存结余新 (after the grouped rebuild) or 预存结余 (after the
// per-row one); 0 without a row.
double grouped_balance_of(platform::Connection& connection, const QString& household);
double per_row_balance_of(platform::Connection& connection, const QString& household);

}  // namespace tariffs
