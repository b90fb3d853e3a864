// Runs over many households: the month's commit bills one fee item household by household in
// batches under one savepoint each, and replays a failing batch household by household.
#include "tariffs/charge_engine_steps.h"

namespace tariffs {

using engine::charge_household;

BillRun::BillRun(platform::Connection& connection, const FeeItemSwitches& item, Billed billed,
                 const shell::RunContext& run, size_t batch_households)
    : connection_(connection),
      item_(item),
      billed_(std::move(billed)),
      run_(run),
      batch_households_(batch_households == 0 ? 1 : batch_households),
      prices_(std::make_unique<PriceBook>()),
      writes_(std::make_unique<BillWrites>(connection)) {}

BillRun::~BillRun() { finish(); }

void BillRun::carry_in_for(const QString& household, double carry) {
    carry_ins_.insert(household, carry);
}

std::optional<double> BillRun::carry_in_of(const QString& household) const {
    const auto found = carry_ins_.constFind(household);
    if (found == carry_ins_.cend()) return std::nullopt;
    return *found;
}

bool BillRun::add(const QString& household) {
    if (failed_ || finished_) return false;
    if (!batch_) {
        batch_ = std::make_unique<platform::Transaction>(connection_);
        if (!batch_->active()) {
            // Nothing can be guarded: this household fails with the database's text, unbilled.
            ChargeOutcome out;
            out.result = 0;
            out.error = platform::db_last_error(connection_);
            out.messages.push_back(plain_message(out.error));
            batch_.reset();
            failed_ = true;
            if (billed_) billed_(out);
            return false;
        }
    }
    ChargeOutcome out = charge_household(connection_, household, item_, run_, false, *writes_,
                                         prices_.get(), carry_in_of(household));
    if (!out.ok()) return replay(household);
    pending_.push_back({household, std::move(out)});
    return pending_.size() < batch_households_ || flush();
}

bool BillRun::finish() {
    if (finished_) return !failed_;
    if (!failed_) flush();
    finished_ = true;
    return !failed_;
}

bool BillRun::flush() {
    if (!batch_) return true;
    if (!batch_->commit()) return replay(QString());
    batch_.reset();
    for (Pending& p : pending_)
        if (billed_) billed_(p.outcome);
    pending_.clear();
    return true;
}

bool BillRun::alone(const QString& household) {
    const ChargeOutcome out = charge_household(connection_, household, item_, run_, true, *writes_,
                                               prices_.get(), carry_in_of(household));
    if (billed_) billed_(out);
    if (!out.ok()) failed_ = true;
    return !failed_;
}

bool BillRun::replay(const QString& failing) {
    // Back to the batch's start, then each household of it under its own savepoint, the
    // failing one last: what its savepoint rolled back is what nothing of its bill means.
    if (batch_) batch_->rollback();
    batch_.reset();
    std::vector<Pending> batch;
    batch.swap(pending_);
    for (const Pending& p : batch)
        if (!alone(p.household)) return false;
    if (failing.isNull()) return true;
    return alone(failing);
}

}  // namespace tariffs
