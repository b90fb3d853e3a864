#pragma once
// The month's commit ("抄表入库"): the pending batch moves into the reading history, the
// reduction settings are applied, and the charge engine bills every household that has
// unbilled readings, fee item by fee item in 收费项目.编号 order.
//
// The whole commit is one transaction: the move, the reductions and the billing are kept
// together at its end or not at all, so a crash or a full disk leaves the batch pending and
// nothing billed, and committing again does the whole month once. Inside it the copy into
// 抄表总表 and the emptying of 抄表管理 are all or nothing (a failure keeps the batch whole and
// pending, and billing of the history goes on); each household's bill is all or nothing (the
// engine's bill run), so a failing household leaves nothing behind and the households before it
// stay billed. Only unbilled readings are billed, so a reading is never billed twice.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "shell/run_context.h"

namespace platform {
struct Connection;
}

namespace reading {

struct CommitHooks {
    // The move's outcome: at once when it failed (the connection's error text; billing goes
    // on), and only after the whole commit was kept when it succeeded.
    std::function<void(bool moved, const QString& error)> after_move;
    // A message of the reduction pass or the engine, or "生成数据有错误!" when a fee item's pass
    // stops; in order.
    std::function<void(const QString& text, bool information_icon)> show;
    // The progress window: opened before billing, its maximum set per fee item to the number of
    // households, advanced per household, closed after the last pass.
    std::function<void()> progress_open;
    std::function<void(int steps)> progress_maximum;
    std::function<void()> progress_step;
    std::function<void()> progress_close;
};

struct CommitOutcome {
    bool moved = false;
    qint64 rows_moved = 0;
    QString move_error;
    int bills_written = 0;
    int reductions_applied = 0;
    QStringList failed_items;  // fee items whose pass stopped on an engine failure
    // The commit could not begin or could not be kept: nothing of it was (the batch is still
    // pending); the database's text.
    QString billing_error;
};

// Steps after the question: move, reductions, billing. Billing runs also when the move failed
// (it bills what the history already holds unbilled). Bills and reductions are dated the run's
// day and priced by its parameters.
CommitOutcome commit_month(platform::Connection& connection, const shell::RunContext& run,
                           const CommitHooks& hooks = {});

// The move alone: copy the batch in 编号 order into the history (是否收费 from its default, 0)
// and empty the batch, all or nothing. rows gets the number of rows moved.
bool move_batch_to_history(platform::Connection& connection, qint64* rows, QString* error);

// The households a fee item's pass bills: distinct 父号 of unbilled history rows of the item
// (of positive usage unless the item bills zero usage under 基本用量模式). `ok` is false when
// the query failed.
QStringList households_to_bill(platform::Connection& connection, const QString& fee_item,
                               const QString& zero_usage, const QString& billing_mode,
                               bool* ok = nullptr);

// The billing of the month's commit: for every fee item in 收费项目.编号 order, the households
// owning its unbilled readings, each billed by the engine's bill run as
// generate_household_charges bills it. Runs in the caller's transaction. A reading correction
// bills through it too, so a corrected reading is billed by the commit's rules. Uses the hooks'
// show, progress_maximum and progress_step. A bill named in `carry_ins` (its household and fee
// item) carries in the amount given there instead of the household's latest carry-over.
struct CarryIn {
    QString household;  // 父号
    QString fee_item;
    double carry = 0;
};
struct BillingOutcome {
    int bills_written = 0;
    QStringList failed_items;  // fee items whose pass stopped on an engine failure
    QString error;             // the database's text of the first failure
    bool ok() const { return failed_items.isEmpty() && error.isEmpty(); }
};
BillingOutcome bill_unbilled_readings(platform::Connection& connection,
                                      const shell::RunContext& run, const CommitHooks& hooks = {},
                                      const std::vector<CarryIn>& carry_ins = {});

}  // namespace reading
