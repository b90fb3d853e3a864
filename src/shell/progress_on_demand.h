#pragma once
// The progress window over core work that tells its progress only when it has long work to do
// (the upgrade at start-up builds indexes only on a database that lacks them): the window opens
// at the first report and closes with this object, so a start with nothing to build shows none.
#include <QWidget>
#include <memory>

#include "lists/progress_window.h"
#include "platform/db_copy.h"

namespace shell {

class ProgressOnDemand {
public:
    explicit ProgressOnDemand(QWidget* owner = nullptr) : owner_(owner) {}

    platform::DatabaseProgress callback() {
        return [this](int done, int total) {
            if (!scope_) scope_ = std::make_unique<lists::ProgressScope>(owner_);
            scope_->advance(done, total);
        };
    }
    bool opened() const { return scope_ != nullptr; }

private:
    QWidget* owner_;
    std::unique_ptr<lists::ProgressScope> scope_;
};

}  // namespace shell
