#include "platform/prepared.h"

#include <sqlcipher/sqlite3.h>

#include "platform/convert.h"
#include "platform/db.h"

namespace platform {

SqliteStatement::SqliteStatement(Connection& connection, const char* sqlite_sql)
    : connection_(connection) {
    sqlite3* db = db_handle(connection);
    if (!db) {
        connection.last_error = QStringLiteral("数据库没有打开。");
        return;
    }
    if (sqlite3_prepare_v2(db, sqlite_sql, -1, &statement_, nullptr) != SQLITE_OK) {
        connection.last_error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(statement_);
        statement_ = nullptr;
    }
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

void SqliteStatement::bind_text(int slot, const QString& text) {
    // Cleaned as sql_quote cleans a quoted value, so both ways store the same text.
    const QByteArray utf8 = clean_text(text).toUtf8();
    bind_utf8(slot, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

void SqliteStatement::bind_utf8(int slot, std::string_view utf8) {
    // An empty view may have no data pointer, which SQLite would bind as NULL.
    if (statement_)
        sqlite3_bind_text(statement_, slot, utf8.empty() ? "" : utf8.data(),
                          static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::bind_number(int slot, double value) {
    if (statement_) sqlite3_bind_double(statement_, slot, value);
}

void SqliteStatement::bind_integer(int slot, qint64 value) {
    if (statement_) sqlite3_bind_int64(statement_, slot, value);
}

void SqliteStatement::bind_null(int slot) {
    if (statement_) sqlite3_bind_null(statement_, slot);
}

bool SqliteStatement::execute() {
    if (!statement_) return false;
    int rc;
    while ((rc = sqlite3_step(statement_)) == SQLITE_ROW) {
    }
    const bool done = rc == SQLITE_DONE;
    if (!done) connection_.last_error = QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(statement_)));
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    return done;
}

}  // namespace platform
