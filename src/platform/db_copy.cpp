#include "platform/db_copy.h"

#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlcipher/sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "platform/db.h"

namespace platform {

namespace {

// Pages copied between two reports of progress: small enough that the bar moves, large enough
// that the reports cost nothing beside the copy.
constexpr int kPagesPerStep = 1024;
// Virtual machine steps between two ticks: a few milliseconds of work.
constexpr int kInstructionsPerTick = 200000;
// How often, and how far apart, the copy tries to find the log empty before it copies through
// the database instead: long enough for another program's read to end.
constexpr int kSnapshotAttempts = 50;
constexpr int kSnapshotRetryMs = 20;
// Where SQLite's locks lie in a database file on this platform: the pending byte, then the
// reserved byte and the 510 bytes its readers share.
constexpr off_t kPendingByte = 0x40000000;
constexpr off_t kLockBytes = 512;

// Closes a handle on every way out.
struct Handle {
    sqlite3* db = nullptr;
    ~Handle() { sqlite3_close_v2(db); }
};

bool run(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void remove_log_files(const QString& database) {
    QFile::remove(database + QStringLiteral("-wal"));
    QFile::remove(database + QStringLiteral("-shm"));
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

int call_tick(void* context) {
    (*static_cast<const std::function<void()>*>(context))();
    return 0;
}

}  // namespace

namespace {

// Copies the pages through the database: each page read (decrypted) under the read transaction
// `from` holds, and written (encrypted again) into `to`.
bool copy_through_database(sqlite3* from, sqlite3* to, const DatabaseProgress& progress) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup) return false;
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
    return rc == SQLITE_DONE && finished == SQLITE_OK;
}

// Starts on `reader` a read transaction that sees the database file alone, with the log
// checkpointed into it. Such a reader keeps every checkpoint out of the file until it ends (SQLite
// checkpoints only while no reader relies on the file alone), so the file's pages stay as they are
// while other programs go on committing into the log. The moment is made under the write lock,
// taken on `writer` for as long as it takes to empty the log: nobody can commit in between.
// Busy when the log would not empty (another program still reads an older state): worth another
// try in a moment; Refused when the write lock did not come within the busy timeout.
enum class Pin { Pinned, Busy, Refused };
Pin pin_file_snapshot(sqlite3* writer, sqlite3* reader) {
    if (!run(writer, "BEGIN IMMEDIATE")) return Pin::Refused;
    int logged = -1, checkpointed = -1;
    bool pinned = sqlite3_wal_checkpoint_v2(reader, nullptr, SQLITE_CHECKPOINT_PASSIVE, &logged,
                                            &checkpointed) == SQLITE_OK &&
                  logged == checkpointed;
    pinned = pinned && run(reader, "BEGIN") && run(reader, "SELECT count(*) FROM sqlite_master");
    if (!pinned && !sqlite3_get_autocommit(reader)) run(reader, "ROLLBACK");
    run(writer, "ROLLBACK");
    return pinned ? Pin::Pinned : Pin::Busy;
}

// Copies the first `bytes` of the file under `reader` as they lie on the disk (still encrypted)
// into `target`, through SQLite's own handle of the file: a second handle of ours, once closed,
// would take this process's locks on the file with it.
bool copy_file_pages(sqlite3* reader, qint64 bytes, int page_size, const QString& target,
                     const DatabaseProgress& progress) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(reader, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        !file || !file->pMethods)
        return false;
    // Emptied in place, not removed: whoever holds the name keeps holding the same file.
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const qint64 chunk = static_cast<qint64>(page_size) * kPagesPerStep;
    QByteArray buffer(static_cast<qsizetype>(chunk), Qt::Uninitialized);
    const int pages = static_cast<int>(bytes / page_size);
    for (qint64 at = 0; at < bytes; at += chunk) {
        const int amount = static_cast<int>(qMin(chunk, bytes - at));
        if (file->pMethods->xRead(file, buffer.data(), amount, at) != SQLITE_OK ||
            out.write(buffer.constData(), amount) != amount)
            return false;
        if (progress) progress(static_cast<int>((at + amount) / page_size), pages);
    }
    return out.flush() && ::fsync(out.handle()) == 0;
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

    // Both connections read in write-ahead-log mode, as every program does: a reader in rollback
    // mode would hold off the other programs' commits (and their switch to the log) for the whole
    // copy.
    Handle writer, reader;
    if (!open_keyed(writer, source, SQLITE_OPEN_READWRITE, password))
        return fail(error_of(writer.db));
    // A program that holds the file in rollback mode keeps it there; the copy then goes through
    // the database.
    const bool logged = single_text(writer.db, "PRAGMA journal_mode=WAL") == QLatin1String("wal");
    if (!open_keyed(reader, source, SQLITE_OPEN_READWRITE, password) ||
        !run(reader.db, "SELECT count(*) FROM sqlite_master"))
        return fail(error_of(reader.db));
    // The log's bulk goes into the file first, without holding anybody up.
    if (logged)
        sqlite3_wal_checkpoint_v2(writer.db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);

    Pin pin = logged ? Pin::Busy : Pin::Refused;
    for (int attempt = 0; pin == Pin::Busy && attempt < kSnapshotAttempts; ++attempt) {
        pin = pin_file_snapshot(writer.db, reader.db);
        if (pin == Pin::Busy) sqlite3_sleep(kSnapshotRetryMs);
    }
    const bool pinned = pin == Pin::Pinned;

    Handle to;
    if (pinned) {
        const int page_size = single_text(reader.db, "PRAGMA page_size").toInt();
        const qint64 pages = single_text(reader.db, "PRAGMA page_count").toLongLong();
        if (page_size <= 0 || pages <= 0) return fail(error_of(reader.db));
        if (!copy_file_pages(reader.db, pages * page_size, page_size, target, progress))
            return fail(QStringLiteral("磁盘读写错误（copy of '%1' to '%2' failed）")
                            .arg(source, target));
        run(reader.db, "COMMIT");
        QFile::remove(target + QStringLiteral("-journal"));
        remove_log_files(target);
        if (!open_keyed(to, target, SQLITE_OPEN_READWRITE, password) ||
            !run(to.db, "PRAGMA synchronous=FULL"))
            return fail(error_of(to.db));
    } else {
        // Another program keeps the log from emptying: each page through the database, under a
        // read transaction of its own.
        if (!run(reader.db, "BEGIN") || !run(reader.db, "SELECT count(*) FROM sqlite_master"))
            return fail(error_of(reader.db));
        // A copy starts from nothing: whatever lay under the name is not read as part of it. The
        // file is emptied in place: whoever holds the name keeps holding the same file.
        QFile emptied(target);
        if (emptied.exists() && !emptied.resize(0)) return fail(emptied.errorString());
        QFile::remove(target + QStringLiteral("-journal"));
        remove_log_files(target);
        if (!open_keyed(to, target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, password) ||
            !run(to.db, "PRAGMA synchronous=FULL"))
            return fail(error_of(to.db));
        if (!copy_through_database(reader.db, to.db, progress)) return fail(error_of(to.db));
        run(reader.db, "COMMIT");
    }
    // The pages came with the source's journal mode: the copy becomes one file on its own.
    if (single_text(to.db, "PRAGMA journal_mode=DELETE") != QLatin1String("delete"))
        return fail(error_of(to.db));
    if (sqlite3_close(to.db) != SQLITE_OK) return fail(error_of(to.db));
    to.db = nullptr;

    // As the program's own close does: the source leaves the log when nobody else has it open,
    // and stays as it is at once otherwise.
    sqlite3_close_v2(reader.db);
    reader.db = nullptr;
    sqlite3_busy_timeout(writer.db, 0);
    run(writer.db, "PRAGMA wal_checkpoint(TRUNCATE)");
    run(writer.db, "PRAGMA journal_mode=DELETE");
    return true;
}

TickWhileRunning::TickWhileRunning(sqlite3* db, std::function<void()> tick)
    : db_(db), tick_(std::move(tick)) {
    if (db_ && tick_) sqlite3_progress_handler(db_, kInstructionsPerTick, call_tick, &tick_);
}

TickWhileRunning::~TickWhileRunning() {
    if (db_ && tick_) sqlite3_progress_handler(db_, 0, nullptr, nullptr);
}

DatabaseFileHold::DatabaseFileHold(const QString& path) {
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
        held_ = errno == ENOENT;
        return;
    }
    // The bytes SQLite locks on this platform: the pending byte, the reserved byte and the range
    // its readers share. A program with the file open holds a read lock on that range; ours, a
    // write lock, is refused while any other lock is there, and refuses every lock after it.
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kPendingByte;
    lock.l_len = kLockBytes;
    held_ = ::fcntl(fd_, F_SETLK, &lock) == 0;
}

DatabaseFileHold::~DatabaseFileHold() {
    if (fd_ >= 0) ::close(fd_);
}

FileCheck db_check_file(const QString& path, const char* required_row,
                        const DatabaseProgress& progress, const QString& password,
                        CheckDepth depth) {
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
    const TickWhileRunning ticking(
        file.db, progress ? std::function<void()>([&progress] { progress(0, 0); }) : nullptr);
    // One error is enough to refuse the file, and the check stops there.
    sqlite3_stmt* stmt = nullptr;
    FileCheck result = FileCheck::Damaged;
    const char* check =
        depth == CheckDepth::Full ? "PRAGMA integrity_check(1)" : "PRAGMA quick_check(1)";
    if (sqlite3_prepare_v2(file.db, check, -1, &stmt, nullptr) == SQLITE_OK) {
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
    return result;
}

}  // namespace platform
