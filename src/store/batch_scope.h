#pragma once
// Work that writes many rows (imports, the month's commit, batch charging, balance rebuilds)
// runs in one batch scope: the whole run is one transaction, committed at its end even after a
// failing row, so every row before the failing one stays and a crash loses the run rather than
// half of it. Rows are applied in batches under one savepoint each (a savepoint per row doubles
// the cost of a big run: SQLCipher journals every page a savepoint guards, encrypted); when a
// batch fails it is rolled back and its rows run again one by one, each under its own
// savepoint, up to the failing one. The outcome is that of a savepoint per row: every row
// before the failing one whole, nothing of the failing one, nothing after it.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "platform/db.h"

namespace store {

class BatchScope {
public:
    // A row's work: its writes on the connection; false when one failed (the connection's last
    // error says why). It may run twice (a failed batch is replayed), so it keeps no state of
    // its own that the first run changed: what a row leaves behind goes in its on_applied.
    using RowWork = std::function<bool(platform::Connection&)>;
    // Told once per row, in row order, when the row's batch went in.
    using Applied = std::function<void()>;

    explicit BatchScope(platform::Connection& connection, size_t batch_rows = 256);
    ~BatchScope();  // without finish(): the run is rolled back
    BatchScope(const BatchScope&) = delete;
    BatchScope& operator=(const BatchScope&) = delete;

    // False when the run's transaction could not begin.
    bool active() const;

    // Queues a row. When a batch is due it is applied; false when a row of it failed, after
    // which the caller stops adding and calls finish().
    bool add(RowWork work, Applied on_applied = {});
    // A row of plain statements, run in order.
    bool add_statements(QStringList statements, Applied on_applied = {});
    // Applies the queued rows now, for work that must read what they wrote; false as add.
    bool apply_pending();

    // Applies what is pending and commits the run (what went in before a failing row stays).
    // True when every row went in and the commit succeeded; a failed commit leaves nothing
    // applied and rows_applied() 0. `failed` marks a run its caller stopped on a fault of its
    // own (a bad value): what went in is kept, and finish returns false.
    bool finish(bool failed = false);

    // The database's text for the failing row or commit.
    const QString& error() const { return error_; }
    qint64 rows_applied() const { return rows_applied_; }

private:
    struct Row {
        RowWork work;
        Applied on_applied;
    };
    bool flush();
    bool run_one(const Row& row);
    void applied(const Row& row);

    platform::Connection& connection_;
    std::unique_ptr<platform::Transaction> run_;
    size_t batch_rows_;
    std::vector<Row> rows_;
    QString error_;
    qint64 rows_applied_ = 0;
    bool finished_ = false;
    bool row_failed_ = false;
};

}  // namespace store
