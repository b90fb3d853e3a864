#pragma once
// Meter readers (抄表员, one text column): the names offered wherever a reader is chosen. Names
// are stored trimmed and kept unique by the add rule; the reader 系统, who reads the
// property-fee meters, cannot be deleted. Deleting a reader leaves the name on the meter
// accounts, readings and bills that carry it.
#include <QString>
#include <QStringList>

#include "shell/run_context.h"

namespace platform {
struct Connection;
}

namespace reading {

QStringList meter_reader_names(platform::Connection& connection);

struct ReaderOutcome {
    enum class Result { Refused, Failed, Done } result = Result::Refused;
    QString message;  // empty: nothing to show
    QString caption;  // empty: the default caption
    QString name;     // the trimmed name
    bool log_failed = false;
};

// Adds the typed name: refused when the box is empty or the trimmed name exists; a failing
// insert is silent (Failed, no message).
ReaderOutcome add_meter_reader(platform::Connection& connection, const QString& typed,
                               const shell::RunContext& run);

// Before the question: refused for no name and for the reserved reader.
ReaderOutcome check_reader_deletable(const QString& name);
// After the question: deletes the name (a failure is silent) and logs it.
ReaderOutcome delete_meter_reader(platform::Connection& connection, const QString& name,
                                  const shell::RunContext& run);

}  // namespace reading
