#include "platform/db_copy.h"

#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlcipher/sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <future>
#include <initializer_list>
#include <map>
#include <mutex>
#include <openssl/evp.h>

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

// How SQLCipher derives a file's key from the password and the salt at the head of the file.
constexpr int kSaltBytes = 16;
constexpr int kKeyBytes = 32;
constexpr int kKeyIterations = 64000;
// Keys kept for this many files at most (each a few dozen bytes): the live file and its
// successors after restores.
constexpr std::size_t kKeptKeys = 8;

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

// The salt at the head of a database file; empty when the file is shorter or unreadable.
QByteArray file_salt(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray salt = file.read(kSaltBytes);
    return salt.size() == kSaltBytes ? salt : QByteArray();
}

// The raw key text for `salt` under `password`: the key SQLCipher would derive, then the salt.
QByteArray derive_raw_key(const QByteArray& salt, const QByteArray& password) {
    unsigned char key[kKeyBytes];
    if (PKCS5_PBKDF2_HMAC(password.constData(), static_cast<int>(password.size()),
                          reinterpret_cast<const unsigned char*>(salt.constData()),
                          static_cast<int>(salt.size()), kKeyIterations, EVP_sha1(), kKeyBytes,
                          key) != 1)
        return {};
    const QByteArray raw = "x'" +
                           QByteArray(reinterpret_cast<const char*>(key), kKeyBytes).toHex() +
                           salt.toHex() + "'";
    return raw;
}

// The keys prepared so far, each by the salt and the password it is for.
struct PreparedKeys {
    std::mutex mutex;
    std::map<QByteArray, std::shared_future<QByteArray>> keys;
};

PreparedKeys& prepared_keys() {
    static PreparedKeys keys;
    return keys;
}

QByteArray key_name(const QByteArray& salt, const QByteArray& password) {
    return salt + '\0' + password;
}

}  // namespace

void prepare_database_key(const QString& path, const QString& password) {
    const QByteArray salt = file_salt(path);
    if (salt.isEmpty() || password.isEmpty()) return;
    const QByteArray pass = password.toUtf8();
    PreparedKeys& prepared = prepared_keys();
    const std::lock_guard<std::mutex> lock(prepared.mutex);
    const QByteArray name = key_name(salt, pass);
    if (prepared.keys.count(name)) return;
    if (prepared.keys.size() >= kKeptKeys) prepared.keys.clear();
    prepared.keys.emplace(name, std::async(std::launch::async, derive_raw_key, salt, pass).share());
}

QByteArray prepared_database_key(const QString& path, const QString& password) {
    const QByteArray salt = file_salt(path);
    if (salt.isEmpty() || password.isEmpty()) return {};
    std::shared_future<QByteArray> key;
    {
        PreparedKeys& prepared = prepared_keys();
        const std::lock_guard<std::mutex> lock(prepared.mutex);
        const auto found = prepared.keys.find(key_name(salt, password.toUtf8()));
        if (found == prepared.keys.end()) return {};
        key = found->second;
    }
    return key.get();
}

namespace {

// Opens `path` under the key prepared for it, and reads its schema: false (and no handle) when
// none was prepared or it does not open the file.
bool open_with_prepared_key(Handle& handle, const QString& path, const QString& password) {
    const QByteArray raw = prepared_database_key(path, password);
    if (raw.isEmpty()) return false;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &handle.db, SQLITE_OPEN_READWRITE,
                        nullptr) == SQLITE_OK &&
        sqlite3_key(handle.db, raw.constData(), static_cast<int>(raw.size())) == SQLITE_OK) {
        sqlite3_busy_timeout(handle.db, kBusyTimeoutMs);
        if (run(handle.db, "SELECT count(*) FROM sqlite_master")) return true;
    }
    sqlite3_close_v2(handle.db);
    handle.db = nullptr;
    return false;
}

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

// The size of a file, 0 when there is none.
qint64 file_size(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_size : 0;
}

// Starts on `reader` a read transaction that sees the database file alone: the log checkpointed
// into the file and emptied first, and still empty once the transaction has begun. Such a reader
// keeps every checkpoint out of the file until it ends (SQLite checkpoints only while no reader
// relies on the file alone), so the file's pages stay as they are while other programs go on
// committing into the log. False (and no transaction) when the log would not empty: another
// program still reads an older state, or committed in between.
bool pin_file_snapshot(sqlite3* reader, const QString& source) {
    sqlite3_wal_checkpoint_v2(reader, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    if (!run(reader, "BEGIN") || !run(reader, "SELECT count(*) FROM sqlite_master")) {
        if (!sqlite3_get_autocommit(reader)) run(reader, "ROLLBACK");
        return false;
    }
    // The log is written before its commit counts: empty now, it held nothing when the
    // transaction began.
    if (file_size(source + QStringLiteral("-wal")) == 0) return true;
    run(reader, "ROLLBACK");
    return false;
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
    return out.flush();
}

// Runs a statement with bound texts.
bool run_bound(sqlite3* db, const char* sql, std::initializer_list<QByteArray> values) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) return false;
    int slot = 0;
    for (const QByteArray& value : values)
        sqlite3_bind_text(stmt, ++slot, value.constData(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
    const int rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE || rc == SQLITE_ROW;
}

// The check of one database of a connection ("main", or an attached one) to `depth`; one error
// is enough to refuse it, and the check stops there.
FileCheck check_schema(sqlite3* db, const char* schema, CheckDepth depth,
                       const DatabaseProgress& progress) {
    const TickWhileRunning ticking(
        db, progress ? std::function<void()>([&progress] { progress(0, 0); }) : nullptr);
    const QByteArray sql = QByteArray("PRAGMA ") + schema +
                           (depth == CheckDepth::Full ? ".integrity_check(1)" : ".quick_check(1)");
    sqlite3_stmt* stmt = nullptr;
    FileCheck result = FileCheck::Damaged;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
            result = qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "ok") == 0
                         ? FileCheck::Whole
                         : FileCheck::Damaged;
        else if ((sqlite3_errcode(db) & 0xFF) != SQLITE_CORRUPT &&
                 (sqlite3_errcode(db) & 0xFF) != SQLITE_NOTADB)
            result = FileCheck::Unreadable;
    }
    sqlite3_finalize(stmt);
    return result;
}

}  // namespace

FileCheck db_snapshot_copy(const QString& source, const QString& target, CheckDepth depth,
                           const DatabaseProgress& progress, QString* error,
                           const QString& password) {
    const auto fail = [&](const QString& text) {
        if (error) *error = text;
        return FileCheck::Unreadable;
    };
    if (!QFileInfo(source).isFile())
        return fail(QStringLiteral("Could not find file '%1'.").arg(source));

    // The source is read in write-ahead-log mode, as every program reads it: a reader in rollback
    // mode would hold off the other programs' commits (and their switch to the log) for the whole
    // copy. A program that holds the file in rollback mode keeps it there; the copy then goes
    // through the database.
    Handle reader;
    if (!open_with_prepared_key(reader, source, password) &&
        (!open_keyed(reader, source, SQLITE_OPEN_READWRITE, password) ||
         !run(reader.db, "SELECT count(*) FROM sqlite_master")))
        return fail(error_of(reader.db));
    bool pinned = false;
    if (single_text(reader.db, "PRAGMA journal_mode=WAL") == QLatin1String("wal")) {
        // Each try waits a little for other programs' reads and writes to end, not the whole
        // busy timeout.
        sqlite3_busy_timeout(reader.db, kSnapshotRetryMs);
        for (int attempt = 0; !pinned && attempt < kSnapshotAttempts; ++attempt)
            pinned = pin_file_snapshot(reader.db, source);
        sqlite3_busy_timeout(reader.db, kBusyTimeoutMs);
    }

    const QByteArray target_name = QFile::encodeName(target);
    QFile::remove(target + QStringLiteral("-journal"));
    remove_log_files(target);
    if (pinned) {
        const int page_size = single_text(reader.db, "PRAGMA page_size").toInt();
        const qint64 pages = single_text(reader.db, "PRAGMA page_count").toLongLong();
        if (page_size <= 0 || pages <= 0) return fail(error_of(reader.db));
        if (!copy_file_pages(reader.db, pages * page_size, page_size, target, progress))
            return fail(QStringLiteral("磁盘读写错误（copy of '%1' to '%2' failed）")
                            .arg(source, target));
        run(reader.db, "COMMIT");
        // The copy is the source's pages: it opens under the key already worked out from the
        // password (working it out again is a good part of the cost of a small copy).
        if (!run_bound(reader.db, "ATTACH ?1 AS copy", {target_name}))
            return fail(error_of(reader.db));
    } else {
        // Each page through the database, under a read transaction of its own.
        if (!run(reader.db, "BEGIN") || !run(reader.db, "SELECT count(*) FROM sqlite_master"))
            return fail(error_of(reader.db));
        // A copy starts from nothing: whatever lay under the name is not read as part of it. The
        // file is emptied in place: whoever holds the name keeps holding the same file.
        QFile emptied(target);
        if (emptied.exists() && !emptied.resize(0)) return fail(emptied.errorString());
        Handle to;
        if (!open_keyed(to, target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, password) ||
            !run(to.db, "PRAGMA synchronous=OFF") ||
            !copy_through_database(reader.db, to.db, progress))
            return fail(error_of(to.db));
        run(reader.db, "COMMIT");
        if (sqlite3_close(to.db) != SQLITE_OK) return fail(error_of(to.db));
        to.db = nullptr;
        if (!run_bound(reader.db, "ATTACH ?1 AS copy KEY ?2", {target_name, password.toUtf8()}))
            return fail(error_of(reader.db));
    }
    // The pages came with the source's journal mode: the copy becomes one file on its own. It is
    // synced once, whole, below.
    const bool own_file =
        run(reader.db, "PRAGMA copy.synchronous=OFF") &&
        single_text(reader.db, "PRAGMA copy.journal_mode=DELETE") == QLatin1String("delete");
    const FileCheck checked =
        own_file ? check_schema(reader.db, "copy", depth, progress) : FileCheck::Unreadable;
    if (!own_file) fail(error_of(reader.db));
    run(reader.db, "DETACH copy");
    const int fd = ::open(target_name.constData(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!synced) return fail(QStringLiteral("磁盘读写错误（sync of '%1' failed）").arg(target));
    return checked;
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
    return check_schema(file.db, "main", CheckDepth::Full, progress);
}

}  // namespace platform
