#pragma once
// A database file as a whole: a copy of a database that another program may be writing at the
// same time, and the full check of a file before it is trusted as a database.
#include <QString>
#include <functional>

#include "platform/db_key.h"

namespace platform {

// Long work on a database file tells how far it is: `done` of `total` units. A total of 0 means
// the end cannot be told in advance; the work only shows that it goes on.
using DatabaseProgress = std::function<void(int done, int total)>;

// Writes into `target` (created, or replaced in place) the database `source` as it stood at one
// moment. The copy is read through the database, on a connection of its own that holds one read
// transaction from the first page to the last, so what another program commits or checkpoints
// meanwhile never mixes into it; the file alone would be no whole database while the write-ahead
// log holds part of it. The target is keyed with the same password, has no journal beside it and
// is on the disk when this returns true. Progress counts pages. On failure `error` gets the
// database's text and the target may hold part of a copy: callers write to a name of their own
// and rename it into place only once it is checked.
bool db_snapshot_copy(const QString& source, const QString& target,
                      const DatabaseProgress& progress = {}, QString* error = nullptr,
                      const QString& password = QString::fromLatin1(kDatabasePassword));

enum class FileCheck {
    Whole,       // every page reads and every index agrees with its table
    Unreadable,  // missing, not a database, or under another key
    Damaged,     // opens with the key, but pages or indexes are broken
};

// Reads the whole file on a read-only connection of its own and compares every index with its
// table (SQLite's integrity check, which the quick check is not: it skips the indexes). The file
// is not changed; a file in write-ahead-log mode may get the journal files it needs to be read.
// With `required_row`, a file whose answer to that query is no row is Unreadable: a database,
// but not of the kind wanted. Progress has no known end (total 0) and is told every so often
// while the check runs.
FileCheck db_check_file(const QString& path, const char* required_row = nullptr,
                        const DatabaseProgress& progress = {},
                        const QString& password = QString::fromLatin1(kDatabasePassword));

}  // namespace platform
