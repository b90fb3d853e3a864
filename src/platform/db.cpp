#include "platform/db.h"
#include "platform/db_failure.h"

#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlcipher/sqlite3.h>

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>

#include <unordered_map>

#include "platform/convert.h"

namespace platform {

// The prepared statements of one open connection, by their Jet text. A statement in use is
// marked busy, so a use inside another use of the same text prepares a copy of its own.
struct StatementCache {
    struct Entry {
        sqlite3_stmt* stmt = nullptr;
        bool busy = false;
    };
    std::unordered_map<QString, Entry> entries;
};

namespace {

void drop_prepared_statements(Connection& c) {
    if (!c.statements) return;
    for (auto& [text, entry] : c.statements->entries) sqlite3_finalize(entry.stmt);
    c.statements->entries.clear();
}

WorkbookHook* g_workbook_hook = nullptr;

const char kClosedError[] = "Operation is not allowed when the object is closed.";
// Every commit waits until its pages are on the disk (see Commit in db.h for the one exception).
const char kDurableCommits[] = "PRAGMA synchronous=FULL";

QString from_utf8(const char* text, size_t size) {
    return QString::fromUtf8(text, static_cast<qsizetype>(size));
}
QString from_utf8(const std::string& text) { return from_utf8(text.data(), text.size()); }

void set_sqlite_error(Connection& c) {
    c.last_error = database_error_text(sqlite3_errcode(c.db), QString::fromUtf8(sqlite3_errmsg(c.db)));
}

// Prepares exactly one statement: text after it (other than blanks and semicolons) fails, so a
// value can never smuggle in a second statement.
sqlite3_stmt* prepare_one(Connection& c, const char* sql, size_t size) {
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(c.db, sql, static_cast<int>(size), &stmt, &tail) != SQLITE_OK) {
        set_sqlite_error(c);
        return nullptr;
    }
    if (!stmt) {
        c.last_error = QStringLiteral(
            "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or "
            "'UPDATE'.");
        return nullptr;
    }
    for (const char* end = sql + size; tail && tail < end; ++tail) {
        const char ch = *tail;
        if (ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n' && ch != ';') {
            sqlite3_finalize(stmt);
            c.last_error = QStringLiteral("Characters found after end of SQL statement.");
            return nullptr;
        }
    }
    return stmt;
}

bool run_one(Connection& c, const std::string& sql, qint64* changes = nullptr) {
    sqlite3_stmt* stmt = prepare_one(c, sql.data(), sql.size());
    if (!stmt) return false;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        set_sqlite_error(c);
        sqlite3_finalize(stmt);
        return false;
    }
    if (changes)
        *changes = sqlite3_column_count(stmt) == 0 && !sqlite3_stmt_readonly(stmt)
                       ? sqlite3_changes(c.db)
                       : 0;
    sqlite3_finalize(stmt);
    return true;
}

bool run_plain(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Whether the query gives a row (an error gives none, and leaves its text on the handle).
bool has_row(sqlite3* db, const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) return false;
    const bool row = sqlite3_step(stmt) == SQLITE_ROW;
    sqlite3_finalize(stmt);
    return row;
}

void refresh_facts(Connection& c) {
    c.facts.clear();
    c.facts_stale = false;
    std::vector<std::string> tables;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(c.db, "SELECT name FROM sqlite_master WHERE type='table'", -1, &stmt,
                           nullptr) != SQLITE_OK)
        return;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                            static_cast<size_t>(sqlite3_column_bytes(stmt, 0)));
    sqlite3_finalize(stmt);
    for (const std::string& table : tables) {
        std::string pragma = "PRAGMA table_info(\"";
        for (char ch : table) {
            if (ch == '"') pragma.push_back('"');
            pragma.push_back(ch);
        }
        pragma += "\")";
        if (sqlite3_prepare_v2(c.db, pragma.c_str(), -1, &stmt, nullptr) != SQLITE_OK) continue;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            auto col = [stmt](int i) {
                const unsigned char* t = sqlite3_column_text(stmt, i);
                return std::string_view(t ? reinterpret_cast<const char*>(t) : "",
                                        static_cast<size_t>(sqlite3_column_bytes(stmt, i)));
            };
            c.facts.add_column_utf8(table, col(1), col(2));
        }
        sqlite3_finalize(stmt);
    }
}

const SchemaFacts& facts_of(Connection& c) {
    if (c.facts_stale) refresh_facts(c);
    return c.facts;
}

std::string quote_name(const std::string& name) {
    std::string out = "\"";
    for (char ch : name) {
        if (ch == '"') out.push_back('"');
        out.push_back(ch);
    }
    return out + "\"";
}

// Runs the steps between a savepoint and its release; a failing step undoes them all.
bool run_atomically(Connection& c, const char* savepoint, const std::function<bool()>& steps) {
    const std::string name = savepoint;
    if (!run_plain(c.db, ("SAVEPOINT " + name).c_str())) {
        set_sqlite_error(c);
        return false;
    }
    if (steps()) {
        if (run_plain(c.db, ("RELEASE " + name).c_str())) return true;
        set_sqlite_error(c);
    }
    run_plain(c.db, ("ROLLBACK TO " + name).c_str());
    run_plain(c.db, ("RELEASE " + name).c_str());
    return false;
}

// SELECT ... INTO T: T gets the declared types of the select's columns (so a DATE column stays
// a date column), then the rows.
bool run_select_into(Connection& c, const JetStatement& st, qint64* rows) {
    sqlite3_stmt* stmt = prepare_one(c, st.sql.data(), st.sql.size());
    if (!stmt) return false;
    std::string create = "CREATE TABLE " + quote_name(st.table) + " (";
    const int columns = sqlite3_column_count(stmt);
    for (int i = 0; i < columns; ++i) {
        if (i) create += ", ";
        create += quote_name(sqlite3_column_name(stmt, i));
        if (const char* type = sqlite3_column_decltype(stmt, i)) {
            create += ' ';
            create += type;
            const QByteArray upper = QByteArray(type).toUpper();
            if (upper.contains("CHAR") || upper.contains("TEXT") || upper.contains("CLOB"))
                create += " COLLATE NOCASE";
        }
    }
    create += ")";
    sqlite3_finalize(stmt);
    c.facts_stale = true;
    return run_atomically(c, "jet_select_into", [&] {
        return run_one(c, create) &&
               run_one(c, "INSERT INTO " + quote_name(st.table) + " " + st.sql, rows);
    });
}

bool run_multi_table_update(Connection& c, const JetStatement& st, qint64* rows) {
    return run_atomically(c, "jet_update", [&] {
        for (size_t i = 0; i < st.steps.size(); ++i)
            if (!run_one(c, st.steps[i], static_cast<int>(i) == st.update_step ? rows : nullptr))
                return false;
        return true;
    });
}

bool run_excel(Connection& c, const JetStatement& st, qint64* rows) {
    WorkbookHook* hook = workbook_hook();
    if (!hook) {
        c.last_error = QStringLiteral(
            "Excel workbooks cannot be read or written: no Excel bridge is installed.");
        return false;
    }
    QString error;
    bool ok;
    if (st.kind == JetStatement::Kind::ExcelRead) {
        ok = hook->read_sheet(c, from_utf8(st.file), from_utf8(st.sheet), from_utf8(st.table),
                                &error);
        c.facts_stale = true;
        if (ok && rows && c.db) {
            *rows = 0;
            sqlite3_stmt* stmt = nullptr;
            const std::string count = "SELECT count(*) FROM " + quote_name(st.table);
            if (sqlite3_prepare_v2(c.db, count.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
                sqlite3_step(stmt) == SQLITE_ROW)
                *rows = sqlite3_column_int64(stmt, 0);
            sqlite3_finalize(stmt);
        }
    } else {
        ok = hook->write_sheet(c, from_utf8(st.file), from_utf8(st.sheet), from_utf8(st.sql),
                                 &error);
    }
    if (!ok)
        c.last_error =
            error.isEmpty() ? QStringLiteral("The Excel workbook could not be used.") : error;
    return ok;
}

// Runs a translated statement that is not a plain one.
bool run_structured(Connection& c, const JetStatement& st, qint64* rows) {
    switch (st.kind) {
        case JetStatement::Kind::SelectInto:
            return run_select_into(c, st, rows);
        case JetStatement::Kind::MultiTableUpdate:
            return run_multi_table_update(c, st, rows);
        case JetStatement::Kind::ExcelRead:
        case JetStatement::Kind::ExcelWrite:
            return run_excel(c, st, rows);
        case JetStatement::Kind::Invalid:
            c.last_error = from_utf8(st.error);
            return false;
        case JetStatement::Kind::Plain:
            break;
    }
    return run_one(c, st.sql, rows);
}

// A translated statement whose buffers are reused by the next statement on this thread. The
// workbook hook may run statements while one is being run, so each nesting level has its own.
class ScratchStatement {
public:
    ScratchStatement() : level_(depth()++) {
        if (level_ < kLevels) statement_ = &pool()[level_];
    }
    ~ScratchStatement() { --depth(); }
    ScratchStatement(const ScratchStatement&) = delete;
    ScratchStatement& operator=(const ScratchStatement&) = delete;
    JetStatement& operator*() { return *statement_; }

private:
    static constexpr int kLevels = 4;
    static int& depth() {
        thread_local int d = 0;
        return d;
    }
    static JetStatement* pool() {
        thread_local JetStatement statements[kLevels];
        return statements;
    }
    int level_;
    JetStatement own_;
    JetStatement* statement_ = &own_;
};

void translate(Connection& c, const QString& jet, JetStatement& st) {
    const QByteArray utf8 = jet.toUtf8();
    translate_jet_statement(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())),
                            facts_of(c), st);
}

}  // namespace

// ---- connection ----------------------------------------------------------------------------

Connection::~Connection() {
    db_close(*this);
    delete statements;
}

bool db_open_access_file(Connection& c, const QString& path, const QString& password) {
    return db_open_database_file(c, path, password, nullptr);
}

namespace {

enum class FileUse { Register, Scratch };

// The file a path names now (device and inode); 0 when there is none.
quint64 file_identity(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return 0;
    return (static_cast<quint64>(st.st_dev) << 40) ^ static_cast<quint64>(st.st_ino);
}

bool open_file(Connection& c, const QString& path, const QString& password,
               const char* required_row, FileUse use, int attempts = 3) {
    if (c.db) db_close(c);
    c.path = path;
    c.last_error.clear();
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        c.last_error = QStringLiteral("Could not find file '%1'.").arg(path);
        return false;
    }
    const quint64 identity = file_identity(path);
    sqlite3* db = nullptr;
    // READWRITE without CREATE: SQLite itself refuses a file that vanished since the check.
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        c.last_error = db ? database_error_text(sqlite3_errcode(db),
                                                QString::fromUtf8(sqlite3_errmsg(db)))
                          : database_error_text(SQLITE_NOMEM, QStringLiteral("out of memory"));
        sqlite3_close(db);
        return false;
    }
    if (!password.isEmpty()) {
        const QByteArray key = password.toUtf8();
        sqlite3_key(db, key.constData(), static_cast<int>(key.size()));
    }
    // A second program on the same file (another user of the program folder, a backup under
    // way) holds its lock for a moment: wait for it rather than fail at once.
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // The key is only tried when a page is read: read the schema now, so a wrong key fails
    // here, before anything could write to the file.
    if (!run_plain(db, "SELECT count(*) FROM sqlite_master") ||
        (required_row && !has_row(db, required_row))) {
        c.last_error =
            database_error_text(sqlite3_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
        if (sqlite3_errcode(db) == SQLITE_OK)
            c.last_error = QStringLiteral("数据库文件不是本系统的数据库。");
        sqlite3_close(db);
        return false;
    }
    if (use == FileUse::Scratch) {
        // Nothing written to a scratch file has to outlive the program, so its commits neither
        // keep a journal on disk nor wait for the disk.
        run_plain(db, "PRAGMA journal_mode=MEMORY");
        run_plain(db, "PRAGMA synchronous=OFF");
    } else {
        run_plain(db, "PRAGMA journal_mode=WAL");
        run_plain(db, kDurableCommits);
        // The journal's index file needs room of its own: a file that opened but cannot be
        // read in WAL mode (a full disk) fails now, not at every later read.
        if (required_row && !has_row(db, required_row)) {
            c.last_error =
                database_error_text(sqlite3_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
            sqlite3_close(db);
            return false;
        }
        // A restore or initialisation renames a new file over this name while it holds the old
        // file against every program; an open that began just then waited on the old file. Now
        // that the connection holds its lock for good (as every connection in the log's mode
        // does), no file can take the name any more: open again whatever file the name has.
        if (attempts > 1 && file_identity(path) != identity) {
            sqlite3_close(db);
            return open_file(c, path, password, required_row, use, attempts - 1);
        }
    }

    // Every page read from the file is decrypted: a run over many rows keeps its working set
    // in memory rather than decrypting the same pages again (32 MB at most, used only as needed).
    run_plain(db, "PRAGMA cache_size=-32768");
    c.db = db;
    ++c.generation;
    c.facts_stale = true;
    return true;
}

}  // namespace

bool db_open_database_file(Connection& c, const QString& path, const QString& password,
                           const char* required_row) {
    return open_file(c, path, password, required_row, FileUse::Register);
}

bool db_open_scratch_file(Connection& c, const QString& path) {
    return open_file(c, path, QString(), nullptr, FileUse::Scratch);
}

bool db_is_open(const Connection& c) { return c.db != nullptr; }

bool db_execute(Connection& c, const QString& jet_sql, qint64* rows_affected) {
    if (rows_affected) *rows_affected = 0;
    if (!c.db) {
        c.last_error = QString::fromLatin1(kClosedError);
        return false;
    }
    ScratchStatement scratch;
    JetStatement& st = *scratch;
    translate(c, jet_sql, st);
    if (st.kind == JetStatement::Kind::Plain) {
        const bool ok = run_one(c, st.sql, rows_affected);
        if (st.changes_schema) c.facts_stale = true;
        return ok;
    }
    return run_structured(c, st, rows_affected);
}

QString db_last_error(const Connection& c) { return c.last_error; }

bool db_error_is_duplicate_column(const Connection& c) {
    return c.last_error.contains(QStringLiteral("（duplicate column name"));
}

QString database_error_text(int code, const QString& message) {
    struct ByText {
        const char* start;
        const char16_t* text;
    };
    static const ByText by_text[] = {
        {"no such table", u"找不到数据表"},
        {"no such column", u"找不到字段"},
        {"unrecognized token", u"语句中有无法识别的内容"},
        {"near ", u"语句有语法错误"},
        {"LIKE or GLOB pattern too complex", u"查询条件过长"},
        {"duplicate column name", u"字段已经存在"},
        {"table ", u"数据表已经存在"},
        {"file is encrypted or is not a database", u"数据库文件已损坏或不是本系统的数据库"},
    };
    QString chinese;
    for (const ByText& entry : by_text) {
        if (message.startsWith(QLatin1String(entry.start)) &&
            (qstrcmp(entry.start, "table ") != 0 || message.endsWith(QLatin1String("already exists")))) {
            chinese = QString::fromUtf16(entry.text);
            break;
        }
    }
    if (chinese.isEmpty()) {
        switch (code & 0xFF) {
            case SQLITE_IOERR: chinese = QStringLiteral("磁盘读写错误"); break;
            case SQLITE_FULL: chinese = QStringLiteral("磁盘已满"); break;
            case SQLITE_CORRUPT:
            case SQLITE_NOTADB: chinese = QStringLiteral("数据库文件已损坏或不是本系统的数据库"); break;
            case SQLITE_CONSTRAINT: chinese = QStringLiteral("数据不符合约束"); break;
            case SQLITE_BUSY:
            case SQLITE_LOCKED: chinese = QStringLiteral("数据库正被占用"); break;
            case SQLITE_READONLY: chinese = QStringLiteral("数据库是只读的"); break;
            case SQLITE_CANTOPEN: chinese = QStringLiteral("无法打开数据库文件"); break;
            case SQLITE_NOMEM: chinese = QStringLiteral("内存不足"); break;
            case SQLITE_TOOBIG: chinese = QStringLiteral("数据过大"); break;
            case SQLITE_PERM:
            case SQLITE_AUTH: chinese = QStringLiteral("没有访问权限"); break;
            case SQLITE_MISMATCH: chinese = QStringLiteral("数据类型不符"); break;
            default: chinese = QStringLiteral("数据库操作失败"); break;
        }
    }
    return chinese + QStringLiteral("（") + message + QStringLiteral("）");
}

void db_close(Connection& c) {
    if (!c.db) return;
    drop_prepared_statements(c);
    // Leaving WAL needs the file to itself: while another program has it open, give up at once
    // (the file then stays in WAL mode) instead of holding the close for the busy timeout.
    sqlite3_busy_timeout(c.db, 0);
    if (!sqlite3_get_autocommit(c.db)) run_plain(c.db, "ROLLBACK");
    run_plain(c.db, "PRAGMA wal_checkpoint(TRUNCATE)");
    run_plain(c.db, "PRAGMA journal_mode=DELETE");
    sqlite3_close_v2(c.db);
    c.db = nullptr;
    ++c.generation;
    c.facts_stale = true;
}

sqlite3* db_handle(const Connection& c) { return c.db; }

void db_schema_changed(Connection& c) { c.facts_stale = true; }

QString sql_quote(const QString& raw) {
    // Every text value enters the database here: NUL and lone surrogates go, so no value can
    // end its statement early or be stored as "?".
    const QString value = clean_text(raw);
    QString out;
    out.reserve(value.size() + 2);
    out += QLatin1Char('\'');
    for (QChar ch : value) {
        if (ch == QLatin1Char('\'')) out += QLatin1Char('\'');
        out += ch;
    }
    out += QLatin1Char('\'');
    return out;
}

void set_workbook_hook(WorkbookHook* hook) { g_workbook_hook = hook; }
WorkbookHook* workbook_hook() { return g_workbook_hook; }

// ---- transactions --------------------------------------------------------------------------

Transaction::Transaction(Connection& c, Commit commit)
    : connection_(&c), generation_(c.generation) {
    if (!c.db) {
        c.last_error = QString::fromLatin1(kClosedError);
        return;
    }
    name_ = "fee_tx" + QByteArray::number(++c.savepoint_serial);
    // The outermost one takes the write lock at once (waiting up to the busy timeout): a
    // transaction that read first and wrote later would be refused outright when another
    // program wrote in between, instead of waiting its turn.
    outermost_ = sqlite3_get_autocommit(c.db) != 0;
    // Inside another transaction the outer one's commit decides.
    relaxed_ = outermost_ && commit == Commit::WorkTablesOnly &&
               run_plain(c.db, "PRAGMA synchronous=NORMAL");
    if (outermost_ && !run_plain(c.db, "BEGIN IMMEDIATE")) {
        set_sqlite_error(c);
        end_relaxed();
        return;
    }
    // The outermost one needs no savepoint of its own: ROLLBACK undoes it whole. A savepoint
    // would make SQLite copy every page the transaction changes into its statement journal
    // first, and SQLCipher encrypts each copy: the cost of every write again.
    active_ = outermost_ || run_plain(c.db, ("SAVEPOINT " + name_).constData());
    if (!active_) set_sqlite_error(c);
}

void Transaction::end_relaxed() {
    // The next commit of the connection waits for the disk again (and with it for this one's).
    if (relaxed_ && alive()) run_plain(connection_->db, kDurableCommits);
    relaxed_ = false;
}

Transaction::~Transaction() { rollback(); }

bool Transaction::alive() const {
    return connection_->db && connection_->generation == generation_;
}

bool Transaction::active() const { return active_ && alive(); }

bool Transaction::commit() {
    if (!active()) return false;
    if (!outermost_ && !run_plain(connection_->db, ("RELEASE " + name_).constData())) {
        set_sqlite_error(*connection_);
        return false;
    }
    active_ = false;
    if (outermost_ && !run_plain(connection_->db, "COMMIT")) {
        // Nothing of it was kept (a full disk, a lock held past the timeout).
        set_sqlite_error(*connection_);
        run_plain(connection_->db, "ROLLBACK");
        end_relaxed();
        return false;
    }
    end_relaxed();
    return true;
}

void Transaction::rollback() {
    if (!active()) return;
    if (outermost_) {
        run_plain(connection_->db, "ROLLBACK");
    } else {
        run_plain(connection_->db, ("ROLLBACK TO " + name_).constData());
        run_plain(connection_->db, ("RELEASE " + name_).constData());
    }
    active_ = false;
    end_relaxed();
}

// ---- record sets ---------------------------------------------------------------------------

namespace {

// The row buffers of the last big result, kept for the next one: a list of a hundred thousand
// rows is read into tens of megabytes, and memory that fresh has to be faulted in page by page
// again at every fill. One pair is kept, so at most one result's worth stays allocated.
struct SpareBuffers {
    std::vector<RecordSet::Cell> cells;
    std::string bytes;
};
std::mutex g_spare_mutex;

// Never destroyed: record sets of static storage are destroyed at exit in no fixed order.
SpareBuffers& spare() {
    static auto* buffers = new SpareBuffers;
    return *buffers;
}

void keep_spare(RecordSet& rs) {
    if (rs.cells.capacity() < 4096 && rs.bytes.capacity() < 65536) return;
    const std::lock_guard lock(g_spare_mutex);
    SpareBuffers& s = spare();
    if (rs.cells.capacity() > s.cells.capacity()) {
        rs.cells.clear();
        s.cells.swap(rs.cells);
    }
    if (rs.bytes.capacity() > s.bytes.capacity()) {
        rs.bytes.clear();
        s.bytes.swap(rs.bytes);
    }
}

// Moves the rows read so far into the spare buffers when they are bigger. Called once a result
// proves long, so that the small look-ups around a fill leave the spare to the fill itself.
void take_spare(RecordSet& rs) {
    const std::lock_guard lock(g_spare_mutex);
    SpareBuffers& s = spare();
    if (rs.cells.capacity() < s.cells.capacity()) {
        s.cells.assign(rs.cells.begin(), rs.cells.end());
        rs.cells.swap(s.cells);
        s.cells.clear();
    }
    if (rs.bytes.capacity() < s.bytes.capacity()) {
        s.bytes.assign(rs.bytes);
        rs.bytes.swap(s.bytes);
        s.bytes.clear();
    }
}

void reset(RecordSet& rs) {
    rs.open = false;
    rs.row_count = 0;
    rs.position = 0;
    rs.names.clear();
    rs.tables.clear();
    rs.indexed = false;
    rs.exact_index.clear();
    rs.folded_index.clear();
    rs.cells.clear();
    rs.bytes.clear();
    // A huge result should not stay in memory for the record set's whole life; it waits as
    // the spare of the next one.
    if (rs.cells.capacity() > (1u << 20) || rs.bytes.capacity() > (16u << 20)) keep_spare(rs);
    if (rs.cells.capacity() > (1u << 20)) std::vector<RecordSet::Cell>().swap(rs.cells);
    if (rs.bytes.capacity() > (16u << 20)) std::string().swap(rs.bytes);
}

DatabaseErrorReporter& error_reporter() {
    static DatabaseErrorReporter reporter;
    return reporter;
}

bool fail_open(RecordSet& rs, Connection* c, const QString& error) {
    const OnFailure on_failure = rs.on_failure;
    reset(rs);
    if (c) c->last_error = error;
    // The provider's own words, told before the caller's message.
    if (on_failure == OnFailure::Report && error_reporter()) error_reporter()(error);
    return false;
}

// Steps a prepared statement to its end, keeping its rows; the caller finalizes or resets it.
bool materialise_rows(RecordSet& rs, sqlite3_stmt* stmt);

bool materialise(RecordSet& rs, const char* sql, size_t size) {
    Connection& c = *rs.connection;
    sqlite3_stmt* stmt = prepare_one(c, sql, size);
    if (!stmt) return fail_open(rs, &c, c.last_error);
    const bool ok = materialise_rows(rs, stmt);
    sqlite3_finalize(stmt);
    return ok;
}

bool materialise_rows(RecordSet& rs, sqlite3_stmt* stmt) {
    Connection& c = *rs.connection;
    const int columns = sqlite3_column_count(stmt);
    rs.names.reserve(columns);
    rs.tables.resize(static_cast<size_t>(columns));
    for (int i = 0; i < columns; ++i) {
        rs.names << QString::fromUtf8(sqlite3_column_name(stmt, i));
        if (const char* table = sqlite3_column_table_name(stmt, i))
            rs.tables[static_cast<size_t>(i)] = table;
    }
    int rc;
    int rows = 0;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (++rows == 512) take_spare(rs);
        for (int i = 0; i < columns; ++i) {
            RecordSet::Cell cell;
            cell.size = 0;
            cell.integer = 0;
            switch (sqlite3_column_type(stmt, i)) {
                case SQLITE_INTEGER:
                    cell.type = RecordSet::CellType::Integer;
                    cell.integer = sqlite3_column_int64(stmt, i);
                    break;
                case SQLITE_FLOAT:
                    cell.type = RecordSet::CellType::Real;
                    cell.real = sqlite3_column_double(stmt, i);
                    break;
                case SQLITE_TEXT: {
                    cell.type = RecordSet::CellType::Text;
                    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                    cell.size = static_cast<quint32>(sqlite3_column_bytes(stmt, i));
                    cell.offset = rs.bytes.size();
                    rs.bytes.append(text, cell.size);
                    break;
                }
                case SQLITE_BLOB: {
                    cell.type = RecordSet::CellType::Blob;
                    const char* blob = static_cast<const char*>(sqlite3_column_blob(stmt, i));
                    cell.size = static_cast<quint32>(sqlite3_column_bytes(stmt, i));
                    cell.offset = rs.bytes.size();
                    if (cell.size) rs.bytes.append(blob, cell.size);
                    break;
                }
                default:
                    cell.type = RecordSet::CellType::Null;
                    break;
            }
            rs.cells.push_back(cell);
        }
    }
    if (rc != SQLITE_DONE) {
        set_sqlite_error(c);
        return fail_open(rs, &c, c.last_error);
    }
    rs.row_count = columns ? rows : 0;
    rs.position = 0;
    rs.open = true;
    return true;
}

bool usable_connection(RecordSet& rs) {
    if (rs.connection && rs.connection->db) return true;
    fail_open(rs, rs.connection, QString::fromLatin1(kClosedError));
    return false;
}

const RecordSet::Cell* cell_at(const RecordSet& rs, int index) {
    if (!rs.open || rs.position < 0 || rs.position >= rs.row_count || index < 0 ||
        index >= rs.names.size())
        return nullptr;
    return &rs.cells[static_cast<size_t>(rs.position) * static_cast<size_t>(rs.names.size()) +
                     static_cast<size_t>(index)];
}

QString cell_text(const RecordSet& rs, const RecordSet::Cell* cell) {
    if (!cell) return QString();
    switch (cell->type) {
        case RecordSet::CellType::Integer:
            return QString::number(cell->integer);
        case RecordSet::CellType::Real:
            return to_text(cell->real);
        case RecordSet::CellType::Text:
        case RecordSet::CellType::Blob:
            return from_utf8(rs.bytes.data() + cell->offset, cell->size);
        case RecordSet::CellType::Null:
            break;
    }
    return QString();
}

}  // namespace

RecordSet::~RecordSet() { keep_spare(*this); }

void set_database_error_reporter(DatabaseErrorReporter reporter) {
    error_reporter() = std::move(reporter);
}

void db_report_failure(Connection& c, OnFailure on_failure) {
    if (c.db)
        set_sqlite_error(c);
    else
        c.last_error = QString::fromLatin1(kClosedError);
    if (on_failure == OnFailure::Report && error_reporter()) error_reporter()(c.last_error);
}

void recordset_bind_connection(RecordSet& rs, Connection& c) { rs.connection = &c; }

bool recordset_open(RecordSet& rs, const QString& jet_sql, OnFailure on_failure) {
    reset(rs);
    rs.on_failure = on_failure;
    if (!usable_connection(rs)) return false;
    Connection& c = *rs.connection;
    ScratchStatement scratch;
    JetStatement& st = *scratch;
    translate(c, jet_sql, st);
    if (st.kind != JetStatement::Kind::Plain) {
        // A statement without rows: run it; the record set opens empty.
        if (!run_structured(c, st, nullptr)) return fail_open(rs, &c, c.last_error);
        rs.open = true;
        return true;
    }
    const bool ok = materialise(rs, st.sql.data(), st.sql.size());
    if (st.changes_schema) c.facts_stale = true;
    return ok;
}

bool recordset_open_table(RecordSet& rs, const QString& table, OnFailure on_failure) {
    reset(rs);
    rs.on_failure = on_failure;
    if (!usable_connection(rs)) return false;
    const std::string sql = "SELECT * FROM " + quote_name(table.toStdString());
    return materialise(rs, sql.data(), sql.size());
}

bool recordset_is_open(const RecordSet& rs) { return rs.open; }
int recordset_record_count(const RecordSet& rs) { return rs.open ? rs.row_count : 0; }
bool recordset_eof(const RecordSet& rs) { return !rs.open || rs.position >= rs.row_count; }

void recordset_move_next(RecordSet& rs) {
    if (rs.open && rs.position < rs.row_count) ++rs.position;
}

void recordset_move_first(RecordSet& rs) { rs.position = 0; }

void recordset_move_to(RecordSet& rs, int row) {
    rs.position = row < 0 ? 0 : std::min(row, rs.row_count);
}

int recordset_field_count(const RecordSet& rs) { return rs.open ? rs.names.size() : 0; }

QString recordset_field_name(const RecordSet& rs, int index) {
    return index >= 0 && index < rs.names.size() ? rs.names[index] : QString();
}

int recordset_field_index(const RecordSet& rs, const QString& name) {
    if (!rs.indexed) {
        // The first field of a name wins; then the table.column forms, after every plain name.
        const int columns = static_cast<int>(rs.names.size());
        for (int i = 0; i < columns; ++i) {
            const QString& field = rs.names[i];
            if (!rs.exact_index.contains(field)) rs.exact_index.insert(field, i);
            const QString folded = field.toCaseFolded();
            if (!rs.folded_index.contains(folded)) rs.folded_index.insert(folded, i);
        }
        for (int i = 0; i < columns && static_cast<size_t>(i) < rs.tables.size(); ++i) {
            const std::string& table = rs.tables[static_cast<size_t>(i)];
            if (table.empty()) continue;
            const QString qualified =
                (QString::fromStdString(table) + QLatin1Char('.') + rs.names[i]).toCaseFolded();
            if (!rs.folded_index.contains(qualified)) rs.folded_index.insert(qualified, i);
        }
        rs.indexed = true;
    }
    auto exact = rs.exact_index.constFind(name);
    if (exact != rs.exact_index.constEnd()) return exact.value();
    return rs.folded_index.value(name.toCaseFolded(), -1);
}

QString recordset_field_text(const RecordSet& rs, int index) {
    return cell_text(rs, cell_at(rs, index));
}
QString recordset_field_text(const RecordSet& rs, const QString& name) {
    return recordset_field_text(rs, recordset_field_index(rs, name));
}

double recordset_field_number(const RecordSet& rs, int index) {
    const RecordSet::Cell* cell = cell_at(rs, index);
    if (!cell) return 0;
    switch (cell->type) {
        case RecordSet::CellType::Integer:
            return static_cast<double>(cell->integer);
        case RecordSet::CellType::Real:
            return std::isfinite(cell->real) ? cell->real : 0;
        case RecordSet::CellType::Text:
            return to_number(cell_text(rs, cell));
        default:
            return 0;
    }
}
double recordset_field_number(const RecordSet& rs, const QString& name) {
    return recordset_field_number(rs, recordset_field_index(rs, name));
}

QDateTime recordset_field_date(const RecordSet& rs, int index) {
    const RecordSet::Cell* cell = cell_at(rs, index);
    if (!cell) return QDateTime();
    switch (cell->type) {
        case RecordSet::CellType::Text: {
            // The stored form without a regular expression.
            DateParts p;
            if (parse_storage_date(rs.bytes.data() + cell->offset, cell->size, &p))
                return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second));
            return parse_date_text(cell_text(rs, cell));
        }
        case RecordSet::CellType::Integer:
        case RecordSet::CellType::Real: {
            // A date kept as a number (a workbook's cell): days since 30 December 1899.
            const double days = cell->type == RecordSet::CellType::Integer
                                    ? static_cast<double>(cell->integer)
                                    : cell->real;
            if (!std::isfinite(days) || days < -657434 || days > 2958465) return QDateTime();
            const double whole = std::floor(days);
            const int seconds = static_cast<int>(std::lround((days - whole) * 86400.0));
            return QDateTime(QDate(1899, 12, 30).addDays(static_cast<qint64>(whole)), QTime(0, 0))
                .addSecs(seconds);
        }
        default:
            return QDateTime();
    }
}
QDateTime recordset_field_date(const RecordSet& rs, const QString& name) {
    return recordset_field_date(rs, recordset_field_index(rs, name));
}

bool recordset_field_bool(const RecordSet& rs, int index) {
    const RecordSet::Cell* cell = cell_at(rs, index);
    if (!cell) return false;
    switch (cell->type) {
        case RecordSet::CellType::Integer:
            return cell->integer != 0;
        case RecordSet::CellType::Real:
            return cell->real != 0;
        case RecordSet::CellType::Text: {
            const QString t = text_trim(cell_text(rs, cell));
            for (const char* word : {"真", "是", "true", "yes", "on"})
                if (t.compare(QString::fromUtf8(word), Qt::CaseInsensitive) == 0) return true;
            return to_number(t) != 0;
        }
        default:
            return false;
    }
}
bool recordset_field_bool(const RecordSet& rs, const QString& name) {
    return recordset_field_bool(rs, recordset_field_index(rs, name));
}

bool recordset_field_is_null(const RecordSet& rs, int index) {
    const RecordSet::Cell* cell = cell_at(rs, index);
    return !cell || cell->type == RecordSet::CellType::Null;
}
bool recordset_field_is_null(const RecordSet& rs, const QString& name) {
    return recordset_field_is_null(rs, recordset_field_index(rs, name));
}

void recordset_close(RecordSet& rs) { reset(rs); }

std::string_view recordset_field_utf8(const RecordSet& rs, int index, std::string& scratch) {
    const RecordSet::Cell* cell = cell_at(rs, index);
    if (!cell) return {};
    switch (cell->type) {
        case RecordSet::CellType::Text:
        case RecordSet::CellType::Blob:
            return std::string_view(rs.bytes.data() + cell->offset, cell->size);
        case RecordSet::CellType::Integer: {
            char buf[24];
            const auto res = std::to_chars(buf, buf + sizeof buf, cell->integer);
            scratch.assign(buf, res.ptr);
            return scratch;
        }
        case RecordSet::CellType::Real:
            scratch = to_text(cell->real).toStdString();
            return scratch;
        case RecordSet::CellType::Null:
            break;
    }
    return {};
}

bool recordset_field_date_parts(const RecordSet& rs, int index, DateParts* parts) {
    const RecordSet::Cell* cell = cell_at(rs, index);
    if (!cell) return false;
    switch (cell->type) {
        case RecordSet::CellType::Text:
            return parse_date_parts(rs.bytes.data() + cell->offset, cell->size, parts);
        case RecordSet::CellType::Integer:
            return serial_date_parts(static_cast<double>(cell->integer), parts);
        case RecordSet::CellType::Real:
            return serial_date_parts(cell->real, parts);
        default:
            return false;
    }
}

}  // namespace platform

namespace platform {

// ---- prepared statements -------------------------------------------------------------------

PreparedStatement::PreparedStatement(Connection& c, const QString& jet_sql)
    : connection_(&c), generation_(c.generation) {
    if (!c.db) {
        c.last_error = QString::fromLatin1(kClosedError);
        return;
    }
    if (!c.statements) c.statements = new StatementCache;
    StatementCache::Entry& entry = c.statements->entries[jet_sql];
    if (entry.stmt && !entry.busy) {
        stmt_ = entry.stmt;
        entry.busy = true;
        busy_ = &entry.busy;
        return;
    }
    ScratchStatement scratch;
    JetStatement& st = *scratch;
    translate(c, jet_sql, st);
    if (st.kind != JetStatement::Kind::Plain) {
        c.last_error = st.kind == JetStatement::Kind::Invalid
                           ? QString::fromStdString(st.error)
                           : QStringLiteral("This statement cannot be prepared: ") + jet_sql;
        if (!entry.stmt) c.statements->entries.erase(jet_sql);
        return;
    }
    stmt_ = prepare_one(c, st.sql.data(), st.sql.size());
    if (!stmt_) {
        if (!entry.stmt) c.statements->entries.erase(jet_sql);
        return;
    }
    if (st.changes_schema) c.facts_stale = true;
    if (entry.stmt) {
        owned_ = true;  // the cached one is in use further up
    } else {
        entry.stmt = stmt_;
        entry.busy = true;
        busy_ = &entry.busy;
    }
}

PreparedStatement::~PreparedStatement() {
    if (!usable()) return;
    if (owned_) {
        sqlite3_finalize(stmt_);
        return;
    }
    // A connection closed meanwhile finalized it already.
    if (connection_->db && connection_->generation == generation_) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        *busy_ = false;
    }
}

bool PreparedStatement::usable() const {
    return stmt_ && connection_->db && connection_->generation == generation_;
}

void PreparedStatement::bind_text(int position, const QString& value) {
    if (!usable()) return;
    // Cleaned as sql_quote cleans a quoted value, so both ways store the same text.
    const QByteArray utf8 = clean_text(value).toUtf8();
    sqlite3_bind_text(stmt_, position, utf8.constData(), static_cast<int>(utf8.size()),
                      SQLITE_TRANSIENT);
}

void PreparedStatement::bind_number(int position, double value) {
    if (!usable()) return;
    // A whole number of up to 13 digits is written as its digits: an integer, without the text.
    if (std::trunc(value) == value && std::fabs(value) < 1e13) {
        sqlite3_bind_int64(stmt_, position, static_cast<qint64>(value));
        return;
    }
    // The value the statement's literal would have given: the text of sql_number, read back as
    // SQLite reads a literal (an integer when it has no point and no exponent).
    const QByteArray text = to_text(value).toLatin1();
    if (!text.contains('.') && !text.contains('e') && !text.contains('E')) {
        bool ok = false;
        const qint64 whole = text.toLongLong(&ok);
        if (ok) {
            sqlite3_bind_int64(stmt_, position, whole);
            return;
        }
    }
    sqlite3_bind_double(stmt_, position, std::strtod(text.constData(), nullptr));
}

void PreparedStatement::bind_integer(int position, qint64 value) {
    if (usable()) sqlite3_bind_int64(stmt_, position, value);
}

void PreparedStatement::bind_date(int position, const QDate& value) {
    if (!usable()) return;
    if (value.isValid() && value.year() >= 1 && value.year() <= 9999) {
        char text[16];
        const int size = std::snprintf(text, sizeof text, "%04d-%02d-%02d", value.year(),
                                       value.month(), value.day());
        sqlite3_bind_text(stmt_, position, text, size, SQLITE_TRANSIENT);
        return;
    }
    const QByteArray text =
        value.isValid() ? value.toString(QStringLiteral("yyyy-MM-dd")).toLatin1() : QByteArray();
    sqlite3_bind_text(stmt_, position, text.constData(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

void PreparedStatement::bind_null(int position) {
    if (usable()) sqlite3_bind_null(stmt_, position);
}

bool PreparedStatement::execute(qint64* rows_affected) {
    if (rows_affected) *rows_affected = 0;
    Connection& c = *connection_;
    if (!c.db || c.generation != generation_) {
        c.last_error = QString::fromLatin1(kClosedError);
        return false;
    }
    if (!stmt_) return false;
    int rc;
    while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        set_sqlite_error(c);
        sqlite3_reset(stmt_);
        return false;
    }
    if (rows_affected)
        *rows_affected = sqlite3_column_count(stmt_) == 0 && !sqlite3_stmt_readonly(stmt_)
                             ? sqlite3_changes(c.db)
                             : 0;
    sqlite3_reset(stmt_);
    return true;
}

bool PreparedStatement::open(RecordSet& rs, OnFailure on_failure) {
    reset(rs);
    rs.connection = connection_;
    rs.on_failure = on_failure;
    if (!usable_connection(rs)) return false;
    if (connection_->generation != generation_)
        return fail_open(rs, connection_, QString::fromLatin1(kClosedError));
    if (!stmt_) return fail_open(rs, connection_, connection_->last_error);
    const bool ok = materialise_rows(rs, stmt_);
    sqlite3_reset(stmt_);
    return ok;
}

}  // namespace platform
