#pragma once
// The small writes of the household register that its pages and the streets window make: a
// street added or deleted, a household deleted. Each writes its log row when the write went in.
#include <QString>

#include "platform/db.h"

namespace households {

struct RegisterWrite {
    bool written = false;     // the row went in (or out)
    bool duplicate = false;   // add_street: the street is there already; nothing written
    bool log_failed = false;  // written, but its log row was not
};

// Adds the street `name` (trimmed, not empty) unless a street of that name exists.
RegisterWrite add_street(platform::Connection& connection, const QString& name);
RegisterWrite delete_street(platform::Connection& connection, const QString& name);
// Deletes the household row of `number`; with write_log, logs "户号：<number>" under 用户删除.
RegisterWrite delete_household(platform::Connection& connection, const QString& number,
                               bool write_log);

}  // namespace households
