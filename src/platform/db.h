#pragma once
// The database layer: one SQLCipher connection per database file, statements in the Access
// (Jet) dialect translated for SQLite (jet_sql.h), transactions, and record sets: the rows of a
// statement or a whole table, materialised so that the record count is exact, read field by
// field as text, number, date or truth value.
//
// Storage conventions: text columns COLLATE NOCASE; dates as text "YYYY-MM-DD", or
// "YYYY-MM-DD HH:MM:SS" when the time is not midnight; truth values 1 and 0.
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db_key.h"
#include "platform/jet_sql.h"

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

struct StatementCache;

// One open database file. Record sets bound to it keep working across a close and reopen.
struct Connection {
    Connection() = default;
    ~Connection();  // closes the file
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* db = nullptr;
    QString path;
    QString last_error;
    SchemaFacts facts;        // date columns, read from the schema when first needed
    bool facts_stale = true;  // set by every statement that changes the schema
    quint64 generation = 0;   // counts opens and closes; a transaction lives in one of them
    int savepoint_serial = 0;
    StatementCache* statements = nullptr;  // prepared statements of this open, by Jet text
};

// Opens an existing database file; a missing file is never created. With a password the file
// is SQLCipher-keyed with it and the key is checked at once: a wrong key fails the open and
// leaves the connection closed and the file untouched. An empty password opens a plain SQLite
// file (the print database, the export's scratch file). An open connection is closed first.
// Runs the WAL journal with synchronous=FULL.
bool db_open_access_file(Connection& connection, const QString& path,
                         const QString& password = QString::fromLatin1(kDatabasePassword));
// The same, and the file must answer `required_row` (a query) with a row before anything may
// write to it: a file of another kind (empty, foreign) is refused untouched.
bool db_open_database_file(Connection& connection, const QString& path, const QString& password,
                           const char* required_row);
// An error of the database as the user reads it: what went wrong in Chinese, the database's
// own text in brackets ("找不到数据表（no such table: pz）").
QString database_error_text(int sqlite_code, const QString& message);
// A scratch file laid afresh for every use (the print database of a receipt or report): no key,
// and no commit waits for the disk or keeps a journal file. A crash while it is written can leave
// it broken, which the next use, laying a fresh copy, does not mind.
bool db_open_scratch_file(Connection& connection, const QString& path);
bool db_is_open(const Connection& connection);
// Translates and runs one statement. False on failure, with db_last_error set; rows_affected
// gets the rows inserted, changed or deleted.
bool db_execute(Connection& connection, const QString& jet_sql, qint64* rows_affected = nullptr);
QString db_last_error(const Connection& connection);
// The last error was SQLite's "duplicate column name: X" (ALTER TABLE ... ADD COLUMN of a column
// the table has already).
bool db_error_is_duplicate_column(const Connection& connection);
// Checkpoints the journal into the file and leaves WAL mode, so a closed database is exactly one
// file (no -wal, no -shm) that may be copied. An unfinished transaction is rolled back.
void db_close(Connection& connection);
// The SQLite handle, for the workbook hook and the tools that need the C API.
sqlite3* db_handle(const Connection& connection);
// For code that changed the schema around this layer (the workbook hook does it through here).
void db_schema_changed(Connection& connection);

// The one way a text value enters a statement: between single quotes, each quote doubled, so
// no value can end the quoted text early: sql_quote("it's") == "'it''s'".
QString sql_quote(const QString& value);

// How long a statement waits for another connection's lock on the file before it fails with
// "数据库正被占用". Set on every connection at its open.
inline constexpr int kBusyTimeoutMs = 5000;

// All or nothing: what runs between construction and commit() is kept only when commit()
// succeeds; destruction without commit rolls back. Transactions nest (as savepoints); the
// outermost takes the file's write lock when it begins, so active() false means another
// program kept the file past the busy timeout (or the file cannot be written): write nothing.
//
// A transaction that writes only work tables (rebuilt from the register before every use, such as
// the prepaid balances) need not wait for the disk at its commit: the file stays whole either way,
// and a power cut can at most lose that last rebuild, which the next use makes again. Every other
// commit waits until its pages are on the disk.
enum class Commit { Durable, WorkTablesOnly };

class Transaction {
public:
    explicit Transaction(Connection& connection, Commit commit = Commit::Durable);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool active() const;  // begun and neither committed nor rolled back
    bool commit();        // false (and the work rolled back at destruction) when it fails
    void rollback();

private:
    bool alive() const;
    Connection* connection_;
    quint64 generation_;
    QByteArray name_;
    bool active_ = false;
    bool outermost_ = false;  // began the database transaction (BEGIN IMMEDIATE) itself
    bool relaxed_ = false;    // an outermost work-table transaction: sync set back at its end
    void end_relaxed();
};

// The rows of one statement, read into memory. Bound to a connection, opened, read, closed.
// Whether a record set that fails to open tells the user. Reported failures go to the reporter
// below; quiet ones only set the connection's last error (look-ups whose caller says what went
// wrong in its own words, or that treat "no answer" as the answer).
enum class OnFailure { Report, Quiet };

// A record set frees its rows when it goes out of scope; a routine keeps its own record sets
// as locals (or uses the query helpers of query.h) rather than sharing one.
struct RecordSet {
    RecordSet() = default;
    explicit RecordSet(Connection& bound) : connection(&bound) {}
    ~RecordSet();  // hands big row buffers on to the next record set
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    enum class CellType : quint8 { Null, Integer, Real, Text, Blob };
    struct Cell {
        union {
            qint64 integer;
            double real;
            quint64 offset;  // Text and Blob: where the bytes start in `bytes`
        };
        quint32 size;  // Text and Blob: number of bytes
        CellType type;
    };

    Connection* connection = nullptr;
    bool open = false;
    int row_count = 0;
    int position = 0;  // current row; row_count means end of file
    QStringList names;
    std::vector<std::string> tables;  // each field's table (UTF-8), empty for an expression
    // Field positions by name, built at the first look-up by name: most reads go by position.
    mutable bool indexed = false;
    mutable QHash<QString, int> exact_index;   // field name -> position
    mutable QHash<QString, int> folded_index;  // case-folded names, and table.column forms
    std::vector<Cell> cells;           // row_count * names.size(), row by row
    std::string bytes;                 // UTF-8 texts of all cells
    OnFailure on_failure = OnFailure::Report;  // of the open under way
};

// Where this layer's own failures are told: the interface installs a reporter that shows the
// provider's text in a plain box (platform::report_database_errors_in_boxes). Without one they
// are only recorded in the connection's last error, as a batch run wants.
using DatabaseErrorReporter = std::function<void(const QString& provider_text)>;
void set_database_error_reporter(DatabaseErrorReporter reporter);

// Where the statements that read or write a workbook inside SQL are run:
//     SELECT * INTO <table> FROM [Excel 8.0;DATABASE=<file>].[<sheet>$]
//     SELECT <columns> INTO [Excel 8.0;Database=<file>].[<sheet>] FROM <table> ...
// This layer recognises them and hands the work to the hook installed here; with none installed
// such a statement fails with an error text. The program installs its workbook bridge
// (excel_install.h) at start-up; a test installs the bridge or a fake of its own.
class WorkbookHook {
public:
    virtual ~WorkbookHook() = default;
    // Creates target_table on the connection from the sheet (the first row names the columns)
    // and fills it. Returns false with *error set when the workbook, the sheet or the table
    // cannot be made.
    virtual bool read_sheet(Connection& connection, const QString& file, const QString& sheet,
                            const QString& target_table, QString* error) = 0;
    // Writes the rows of select_sql (already SQLite text) to the sheet of a new workbook, the
    // column names as the first row.
    virtual bool write_sheet(Connection& connection, const QString& file, const QString& sheet,
                             const QString& select_sql, QString* error) = 0;
};
// nullptr removes the hook; the caller keeps ownership.
void set_workbook_hook(WorkbookHook* hook);
WorkbookHook* workbook_hook();

void recordset_bind_connection(RecordSet& records, Connection& connection);
// Runs a statement and keeps its rows. On failure hands the provider's error text to the
// reporter (unless quiet), sets the connection's last error and returns false.
bool recordset_open(RecordSet& records, const QString& jet_sql,
                    OnFailure on_failure = OnFailure::Report);
// All rows of a table, by its name.
bool recordset_open_table(RecordSet& records, const QString& table,
                          OnFailure on_failure = OnFailure::Report);
bool recordset_is_open(const RecordSet& records);
int recordset_record_count(const RecordSet& records);
bool recordset_eof(const RecordSet& records);
void recordset_move_next(RecordSet& records);
void recordset_move_first(RecordSet& records);
// To row `row` (from 0); past the last row is end of file.
void recordset_move_to(RecordSet& records, int row);
int recordset_field_count(const RecordSet& records);
QString recordset_field_name(const RecordSet& records, int index);
// Position of a field by name, without regard to case; -1 when there is none.
int recordset_field_index(const RecordSet& records, const QString& name);

// Fields of the current row, by name or by position. A missing field, a closed record set or
// end of file reads like NULL: "", 0, the empty date, false.
// Text: a whole number as its digits, any other number in shortest form with at most 13
// significant digits (10.5, 3, 0.1), a date as stored ("2024-01-05").
QString recordset_field_text(const RecordSet& records, const QString& name);
QString recordset_field_text(const RecordSet& records, int index);
// Number: text that is not a number reads 0 (the leading numeric part counts, as to_number).
double recordset_field_number(const RecordSet& records, const QString& name);
double recordset_field_number(const RecordSet& records, int index);
// Date: "YYYY-MM-DD" with an optional time; NULL or text that is no date gives an invalid
// QDateTime.
QDateTime recordset_field_date(const RecordSet& records, const QString& name);
QDateTime recordset_field_date(const RecordSet& records, int index);
// Truth value: non-zero numbers and the texts "真", "是", "true", "yes", "on" are true.
bool recordset_field_bool(const RecordSet& records, const QString& name);
bool recordset_field_bool(const RecordSet& records, int index);
bool recordset_field_is_null(const RecordSet& records, const QString& name);
bool recordset_field_is_null(const RecordSet& records, int index);
void recordset_close(RecordSet& records);

// For fillers of long lists, by position, without a QString or a QDateTime per field.
struct DateParts;
// The field's text as recordset_field_text gives it, in UTF-8: a stored text as a view into the
// record set, a number written into `scratch` (and viewed there). Empty for NULL.
std::string_view recordset_field_utf8(const RecordSet& records, int index, std::string& scratch);
// The field's date, as recordset_field_date reads it, in parts; false when it is no date.
bool recordset_field_date_parts(const RecordSet& records, int index, DateParts* parts);

// A statement of a hot path, prepared once per connection: the Jet text, with `?` where values
// go, is translated and prepared on first use and kept until the connection closes; each use
// binds its values (1-based), runs, and leaves the statement reset for the next. A bound value
// can never break or alter the statement. Only plain statements (no SELECT ... INTO, no update
// over several tables, no Excel) can be prepared.
class PreparedStatement {
public:
    PreparedStatement(Connection& connection, const QString& jet_sql);
    ~PreparedStatement();  // resets it and clears its values
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;

    bool valid() const { return stmt_ != nullptr; }  // false: the connection's last error says why
    // Without NUL and lone surrogate halves (clean_text), exactly as sql_quote stores a text.
    void bind_text(int position, const QString& value);
    // Stored exactly as sql_number's text in the statement would be: 13 significant digits, a
    // whole number as an integer, never nan or inf (0).
    void bind_number(int position, double value);
    void bind_integer(int position, qint64 value);
    // As a date column stores it: "YYYY-MM-DD"; an invalid date as "".
    void bind_date(int position, const QDate& value);
    void bind_null(int position);
    // Runs the statement; rows_affected as db_execute gives it.
    bool execute(qint64* rows_affected = nullptr);
    // Runs a select into `records` (bound to the connection), as recordset_open does.
    bool open(RecordSet& records, OnFailure on_failure = OnFailure::Report);

private:
    bool usable() const;
    Connection* connection_;
    sqlite3_stmt* stmt_ = nullptr;
    bool owned_ = false;  // prepared for this use only (the cached one was busy)
    bool* busy_ = nullptr;
    quint64 generation_ = 0;  // the open it was prepared in
};

}  // namespace platform
