#include "store/batch_scope.h"

namespace store {

BatchScope::BatchScope(platform::Connection& connection, size_t batch_rows)
    : connection_(connection),
      run_(std::make_unique<platform::Transaction>(connection)),
      batch_rows_(batch_rows == 0 ? 1 : batch_rows) {
    if (!run_->active()) error_ = platform::db_last_error(connection_);
}

BatchScope::~BatchScope() = default;  // the run's transaction rolls back unless committed

bool BatchScope::active() const { return run_ && run_->active(); }

bool BatchScope::add(RowWork work, Applied on_applied) {
    rows_.push_back({std::move(work), std::move(on_applied)});
    return rows_.size() < batch_rows_ || flush();
}

bool BatchScope::add_statements(QStringList statements, Applied on_applied) {
    return add(
        [statements = std::move(statements)](platform::Connection& connection) {
            for (const QString& statement : statements)
                if (!platform::db_execute(connection, statement)) return false;
            return true;
        },
        std::move(on_applied));
}

void BatchScope::applied(const Row& row) {
    if (row.on_applied) row.on_applied();
    ++rows_applied_;
}

bool BatchScope::run_one(const Row& row) {
    platform::Transaction one(connection_);
    if (row.work(connection_) && one.commit()) return true;
    error_ = platform::db_last_error(connection_);
    return false;
}

bool BatchScope::apply_pending() { return flush(); }

bool BatchScope::flush() {
    if (rows_.empty()) return true;
    if (!active()) {
        rows_.clear();
        return false;
    }
    bool ok = true;
    {
        platform::Transaction batch(connection_);
        for (const Row& row : rows_)
            if (!(ok = row.work(connection_))) break;
        ok = ok && batch.commit();
    }
    if (ok) {
        for (const Row& row : rows_) applied(row);
        rows_.clear();
        return true;
    }
    // Replay row by row to find the failing one; the rows before it go in.
    for (const Row& row : rows_) {
        if (!run_one(row)) {
            rows_.clear();
            row_failed_ = true;
            return false;
        }
        applied(row);
    }
    rows_.clear();
    return true;
}

bool BatchScope::finish(bool failed) {
    if (finished_) return false;
    finished_ = true;
    // A row that failed in an earlier batch fails the run as well as one failing now.
    if (!flush() || row_failed_) failed = true;
    if (!active()) return false;
    if (!run_->commit()) {
        if (!failed) error_ = platform::db_last_error(connection_);
        rows_applied_ = 0;
        return false;
    }
    return !failed;
}

}  // namespace store
