#pragma once
// A database file as a whole: a copy of a database that another program may be writing at the
// same time, and the full check of a file before it is trusted as a database.
#include <QString>
#include <functional>

#include "platform/db_key.h"

struct sqlite3;

namespace platform {

// Long work on a database file tells how far it is: `done` of `total` units. A total of 0 means
// the end cannot be told in advance; the work only shows that it goes on.
using DatabaseProgress = std::function<void(int done, int total)>;

enum class FileCheck {
    Whole,       // every page reads and every index agrees with its table
    Unreadable,  // missing, not a database, or under another key
    Damaged,     // opens with the key, but pages or indexes are broken
};

// How much of a file is checked. Full: every page read and every index compared with its table
// (SQLite's integrity check). Pages: every page read and every b-tree walked, without comparing
// indexes with their tables (the quick check): what a copy of pages can get wrong, at a fraction
// of the cost.
enum class CheckDepth { Full, Pages };

// Starts working out, on a thread of its own, the key a database file is read with under
// `password` (SQLCipher derives it from the password and the file's salt, which takes a good
// part of a small backup), so that a later db_snapshot_copy of the file opens it with the key as
// it is. Nothing happens for a file that cannot be read.
void prepare_database_key(const QString& path,
                          const QString& password = QString::fromLatin1(kDatabasePassword));

// The key prepared for the file at `path` as it is now, as a raw key ("x'…'" with the key and the
// salt in hexadecimal), waiting for its preparation to end; empty when none was prepared for the
// file's salt and `password`.
QByteArray prepared_database_key(const QString& path,
                                 const QString& password = QString::fromLatin1(kDatabasePassword));

// Writes into `target` (created, or emptied in place) the database `source` as it stood at one
// moment, and checks the copy to `depth`: Whole, Damaged (the copy fails the check: the source
// was damaged already), or Unreadable when no copy could be made (`error` gets the database's
// text). The source is read in write-ahead-log mode, as the program reads it, so other programs
// go on reading and writing while the copy runs, and what they commit or checkpoint meanwhile
// never mixes into it (the file alone would be no whole database while the log holds part of it).
// The log is first checkpointed into the file and emptied, and the file's pages are copied as
// they are, still encrypted, under one read snapshot that keeps every checkpoint out of the file
// until the copy is done; should other programs keep the log from emptying, the pages are copied
// through the database instead. The target is keyed with the same password, has no journal
// beside it and is on the disk when this returns. Progress counts pages, then (total 0) tells the
// check goes on. A key prepared for the source (prepare_database_key) spares working it out
// again; a prepared key that does not open the source is not used. Whatever the outcome, the target may hold part of a copy: callers write to a
// name of their own and rename it into place only once it is Whole.
FileCheck db_snapshot_copy(const QString& source, const QString& target, CheckDepth depth,
                           const DatabaseProgress& progress = {}, QString* error = nullptr,
                           const QString& password = QString::fromLatin1(kDatabasePassword));

// The database file held against every other program while this lives: none can read or write
// it meanwhile (a program opening it waits). Taken at once or not at all, and only when no other
// program has the file open: an open program keeps a shared lock on it for as long as it is
// open. This program must have closed its own connections to the file first: they would lose
// their locks when the hold ends. A missing file counts as held.
class DatabaseFileHold {
public:
    explicit DatabaseFileHold(const QString& path);
    ~DatabaseFileHold();
    DatabaseFileHold(const DatabaseFileHold&) = delete;
    DatabaseFileHold& operator=(const DatabaseFileHold&) = delete;
    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

// Calls `tick` every so often while statements run on `db`, for as long as it lives: a window
// that repaints in `tick` stays painted through one long statement (an index built over a big
// table), not only between statements.
class TickWhileRunning {
public:
    TickWhileRunning(sqlite3* db, std::function<void()> tick);
    ~TickWhileRunning();
    TickWhileRunning(const TickWhileRunning&) = delete;
    TickWhileRunning& operator=(const TickWhileRunning&) = delete;

private:
    sqlite3* db_;
    std::function<void()> tick_;
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
