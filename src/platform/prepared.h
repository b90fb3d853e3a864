#pragma once
// A statement prepared once and run many times with bound values: the way bulk work of our own
// (an import's rows, the copy of a list into the export's scratch table) writes many rows. The
// text is SQLite's own dialect, with ? for each value; values never become part of the text, so
// no value can change the statement. Dates are bound in their stored form
// (date_storage_text).
#include <QString>
#include <string_view>

struct sqlite3_stmt;

namespace platform {

struct Connection;

class SqliteStatement {
public:
    // Prepares `sqlite_sql` on the open connection; ok() tells whether it could be.
    SqliteStatement(Connection& connection, const char* sqlite_sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool ok() const { return statement_ != nullptr; }

    // Slots count from 1. Texts bind as texts, cleaned and a null QString as "", as sql_quote
    // writes them.
    void bind_text(int slot, const QString& text);
    void bind_utf8(int slot, std::string_view utf8);  // copied by SQLite
    void bind_number(int slot, double value);
    void bind_integer(int slot, qint64 value);
    void bind_null(int slot);

    // Runs the statement to its end and makes it ready for the next values. False when it
    // fails, with the engine's text in the connection's last error (db_last_error).
    bool execute();

private:
    Connection& connection_;
    sqlite3_stmt* statement_ = nullptr;
};

}  // namespace platform
