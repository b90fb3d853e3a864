#include "platform/db_copy.h"

#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlcipher/sqlite3.h>

#include <QFile>
#include <QFileInfo>

#include "platform/db.h"

namespace platform {

namespace {

// Pages copied between two reports of progress: small enough that the bar moves, large enough
// that the reports cost nothing beside the copy.
constexpr int kPagesPerStep = 1024;
// Virtual machine steps of the check between two reports.
constexpr int kCheckInstructionsPerReport = 200000;

// Closes a handle on every way out.
struct Handle {
    sqlite3* db = nullptr;
    ~Handle() { sqlite3_close_v2(db); }
};

bool run(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

QString error_of(sqlite3* db) {
    if (!db) return database_error_text(SQLITE_NOMEM, QStringLiteral("out of memory"));
    return database_error_text(sqlite3_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
}

bool open_keyed(Handle& handle, const QString& path, int flags, const QString& password) {
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &handle.db, flags, nullptr) !=
        SQLITE_OK)
        return false;
    if (!password.isEmpty()) {
        const QByteArray key = password.toUtf8();
        sqlite3_key(handle.db, key.constData(), static_cast<int>(key.size()));
    }
    sqlite3_busy_timeout(handle.db, kBusyTimeoutMs);
    return true;
}

// The text of a one-value query, or a null string when it gives none.
QString single_text(sqlite3* db, const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    QString text;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    return text;
}

int report_check_progress(void* context) {
    const auto* progress = static_cast<const DatabaseProgress*>(context);
    (*progress)(0, 0);
    return 0;
}

}  // namespace

bool db_snapshot_copy(const QString& source, const QString& target,
                      const DatabaseProgress& progress, QString* error, const QString& password) {
    const auto fail = [&](const QString& text) {
        if (error) *error = text;
        return false;
    };
    if (!QFileInfo(source).isFile())
        return fail(QStringLiteral("Could not find file '%1'.").arg(source));

    Handle from;
    if (!open_keyed(from, source, SQLITE_OPEN_READWRITE, password)) return fail(error_of(from.db));
    // The read transaction is the moment the copy shows: it begins at the first read and lasts
    // to the last page, whatever other connections commit meanwhile.
    if (!run(from.db, "BEGIN") || !run(from.db, "SELECT count(*) FROM sqlite_master"))
        return fail(error_of(from.db));

    // A copy starts from nothing: whatever lay under the name is not read as part of it.
    QFile::remove(target);
    QFile::remove(target + QStringLiteral("-journal"));
    Handle to;
    if (!open_keyed(to, target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, password) ||
        !run(to.db, "PRAGMA synchronous=FULL"))
        return fail(error_of(to.db));

    sqlite3_backup* backup = sqlite3_backup_init(to.db, "main", from.db, "main");
    if (!backup) return fail(error_of(to.db));
    int rc = SQLITE_OK;
    while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        rc = sqlite3_backup_step(backup, kPagesPerStep);
        if (progress) {
            const int pages = sqlite3_backup_pagecount(backup);
            progress(pages - sqlite3_backup_remaining(backup), pages);
        }
        // Busy: the target is this connection's own file, and the source is read inside a
        // transaction of its own; wait as any statement does rather than spin.
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) sqlite3_sleep(10);
    }
    const int finished = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE || finished != SQLITE_OK) return fail(error_of(to.db));
    run(from.db, "COMMIT");

    // The pages came with the source's journal mode: the copy becomes one file on its own.
    if (single_text(to.db, "PRAGMA journal_mode=DELETE") != QLatin1String("delete"))
        return fail(error_of(to.db));
    if (sqlite3_close(to.db) != SQLITE_OK) return fail(error_of(to.db));
    to.db = nullptr;
    return true;
}

FileCheck db_check_file(const QString& path, const char* required_row,
                        const DatabaseProgress& progress, const QString& password) {
    if (!QFileInfo(path).isFile()) return FileCheck::Unreadable;
    Handle file;
    if (!open_keyed(file, path, SQLITE_OPEN_READONLY, password)) return FileCheck::Unreadable;
    const auto failure = [&] {
        // A file whose first page does not decrypt is no database of this key; one that opens
        // and then breaks is a damaged database.
        return (sqlite3_errcode(file.db) & 0xFF) == SQLITE_CORRUPT ? FileCheck::Damaged
                                                                   : FileCheck::Unreadable;
    };
    if (!run(file.db, "SELECT count(*) FROM sqlite_master")) return failure();
    if (required_row) {
        sqlite3_stmt* stmt = nullptr;
        const bool prepared =
            sqlite3_prepare_v2(file.db, required_row, -1, &stmt, nullptr) == SQLITE_OK;
        const int rc = prepared ? sqlite3_step(stmt) : SQLITE_ERROR;
        sqlite3_finalize(stmt);
        if (rc != SQLITE_ROW) return rc == SQLITE_DONE ? FileCheck::Unreadable : failure();
    }
    if (progress)
        sqlite3_progress_handler(file.db, kCheckInstructionsPerReport, report_check_progress,
                                 const_cast<DatabaseProgress*>(&progress));
    // One error is enough to refuse the file, and the check stops there.
    sqlite3_stmt* stmt = nullptr;
    FileCheck result = FileCheck::Damaged;
    if (sqlite3_prepare_v2(file.db, "PRAGMA integrity_check(1)", -1, &stmt, nullptr) == SQLITE_OK) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
            result = qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "ok") == 0
                         ? FileCheck::Whole
                         : FileCheck::Damaged;
        else if ((sqlite3_errcode(file.db) & 0xFF) != SQLITE_CORRUPT &&
                 (sqlite3_errcode(file.db) & 0xFF) != SQLITE_NOTADB)
            result = FileCheck::Unreadable;
    }
    sqlite3_finalize(stmt);
    sqlite3_progress_handler(file.db, 0, nullptr, nullptr);
    return result;
}

}  // namespace platform
