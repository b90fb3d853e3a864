#include "platform/excel_bridge.h"

#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlcipher/sqlite3.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/excel_install.h"
#include "platform/excel_sheet.h"
#include "platform/excel_writer.h"
#include "platform/excel_xls_writer.h"

namespace platform {

namespace {

std::string quote_identifier(const QString& name) {
    std::string out = "\"";
    for (const char ch : name.toStdString()) {
        if (ch == '"') out.push_back('"');
        out.push_back(ch);
    }
    out.push_back('"');
    return out;
}

const char* declared_type(excel::ColumnType type) {
    switch (type) {
        case excel::ColumnType::Number:
            return "REAL";
        case excel::ColumnType::Date:
            return "DATE";
        case excel::ColumnType::Text:
            break;
    }
    return "TEXT COLLATE NOCASE";
}

// A prepared statement that finalizes itself.
struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

QString sqlite_error(sqlite3* db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

// Steps `stmt` through its rows, calling `on_row` on each; false, with the database's text,
// when a step fails (the caller's writer then discards the unfinished workbook).
template <typename OnRow>
bool each_row(sqlite3* db, sqlite3_stmt* stmt, QString* error, OnRow on_row) {
    for (;;) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE) return true;
        if (rc != SQLITE_ROW) {
            if (error) *error = sqlite_error(db);
            return false;
        }
        on_row();
    }
}

// Numbers of a select as the lists show them: whole numbers with every digit, others in
// shortest form.
void number_text(double value, std::string& out) {
    if (std::fabs(value) < 9007199254740992.0 && value == std::trunc(value)) {
        char buf[32];
        const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(value));
        out.assign(buf, res.ptr);
    } else {
        out = to_text(value).toStdString();
    }
}

class WorkbookBridge final : public ExcelBridge {
public:
    bool read_sheet(Connection& connection, const QString& file, const QString& sheet,
                    const QString& target_table, QString* error) override;
    bool write_sheet(Connection& connection, const QString& file, const QString& sheet,
                     const QString& select_sql, QString* error) override;
};

bool WorkbookBridge::read_sheet(Connection& connection, const QString& file, const QString& sheet,
                                const QString& target_table, QString* error) {
    sqlite3* db = db_handle(connection);
    if (!db) {
        if (error) *error = QStringLiteral("数据库没有打开。");
        return false;
    }
    // The whole sheet is read before the database is touched, so a workbook that fails to
    // read leaves nothing behind.
    excel::SheetData data;
    if (!excel::read_sheet(file, sheet, data, error)) return false;
    const excel::SheetTable table = excel::make_sheet_table(data);
    data = excel::SheetData{};

    auto fail = [&](const QString& text) {
        if (error) *error = text;
        return false;
    };
    const std::string table_name = quote_identifier(target_table);
    std::string create = "CREATE TABLE " + table_name + " (";
    std::string insert = "INSERT INTO " + table_name + " VALUES (";
    for (qsizetype i = 0; i < table.names.size(); ++i) {
        if (i) {
            create += ", ";
            insert += ',';
        }
        create += quote_identifier(table.names[i]) + ' ' + declared_type(table.types[size_t(i)]);
        insert += '?';
    }
    create += ')';
    insert += ')';

    // The table and its rows appear together or not at all.
    Transaction transaction(connection);
    if (!transaction.active())
        return fail(QStringLiteral("无法开始事务：%1").arg(db_last_error(connection)));
    if (sqlite3_exec(db, create.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail(QStringLiteral("无法创建表“%1”：%2").arg(target_table, sqlite_error(db)));
    db_schema_changed(connection);
    Statement rows;
    if (sqlite3_prepare_v2(db, insert.c_str(), -1, &rows.stmt, nullptr) != SQLITE_OK)
        return fail(QStringLiteral("无法写入表“%1”：%2").arg(target_table, sqlite_error(db)));
    QByteArray utf8;
    for (const auto& row : table.rows) {
        for (size_t c = 0; c < row.size(); ++c) {
            const int slot = static_cast<int>(c) + 1;
            const excel::SheetCell& cell = row[c];
            switch (cell.kind) {
                case excel::SheetCell::Kind::Empty:
                    sqlite3_bind_null(rows.stmt, slot);
                    break;
                case excel::SheetCell::Kind::Number:
                    sqlite3_bind_double(rows.stmt, slot, cell.number);
                    break;
                case excel::SheetCell::Kind::Date:
                case excel::SheetCell::Kind::Text:
                    utf8 = cell.text.toUtf8();
                    sqlite3_bind_text(rows.stmt, slot, utf8.constData(),
                                      static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
                    break;
            }
        }
        if (sqlite3_step(rows.stmt) != SQLITE_DONE)
            return fail(QStringLiteral("无法写入表“%1”：%2").arg(target_table, sqlite_error(db)));
        sqlite3_reset(rows.stmt);
    }
    sqlite3_finalize(rows.stmt);
    rows.stmt = nullptr;
    if (!transaction.commit())
        return fail(
            QStringLiteral("无法写入表“%1”：%2").arg(target_table, db_last_error(connection)));
    return true;
}

bool WorkbookBridge::write_sheet(Connection& connection, const QString& file, const QString& sheet,
                                 const QString& select_sql, QString* error) {
    sqlite3* db = db_handle(connection);
    if (!db) {
        if (error) *error = QStringLiteral("数据库没有打开。");
        return false;
    }
    Statement select;
    const QByteArray sql = select_sql.toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &select.stmt,
                           nullptr) != SQLITE_OK ||
        !select.stmt) {
        if (error) *error = sqlite_error(db);
        return false;
    }
    const int columns = sqlite3_column_count(select.stmt);
    if (columns == 0) {
        if (error) *error = QStringLiteral("导出的语句没有字段。");
        return false;
    }

    std::vector<const char*> cells(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) cells[size_t(c)] = sqlite3_column_name(select.stmt, c);

    // A name ending in .xls asks for Excel 97: texts stay texts, numbers are numbers.
    if (excel::is_xls_file_name(file)) {
        excel::XlsSheetWriter writer;
        if (!writer.begin(file, sheet, error)) return false;
        writer.write_row(cells.data(), columns);
        const bool read = each_row(db, select.stmt, error, [&] {
            // Beyond what a sheet holds: counted on, refused whole by finish().
            writer.start_row();
            if (writer.rows_written() > excel::kXlsMaxRows) return;
            for (int c = 0; c < columns; ++c) {
                switch (sqlite3_column_type(select.stmt, c)) {
                    case SQLITE_INTEGER:
                    case SQLITE_FLOAT:
                        writer.put_number(c, sqlite3_column_double(select.stmt, c));
                        break;
                    case SQLITE_TEXT:
                        writer.put_text(c,
                                        QString::fromUtf8(reinterpret_cast<const char*>(
                                                              sqlite3_column_text(select.stmt, c)),
                                                          sqlite3_column_bytes(select.stmt, c)));
                        break;
                    default:
                        break;  // NULL and blobs: an empty cell
                }
            }
        });
        return read && writer.finish(error);
    }

    excel::XlsxSheetWriter writer;
    if (!writer.begin(file, sheet, error)) return false;
    writer.write_row(cells.data(), columns);

    std::vector<std::string> numbers(static_cast<size_t>(columns));
    const bool read = each_row(db, select.stmt, error, [&] {
        for (int c = 0; c < columns; ++c) {
            const auto i = static_cast<size_t>(c);
            switch (sqlite3_column_type(select.stmt, c)) {
                case SQLITE_INTEGER:
                    numbers[i] = std::to_string(sqlite3_column_int64(select.stmt, c));
                    cells[i] = numbers[i].c_str();
                    break;
                case SQLITE_FLOAT:
                    number_text(sqlite3_column_double(select.stmt, c), numbers[i]);
                    cells[i] = numbers[i].c_str();
                    break;
                case SQLITE_TEXT:
                    cells[i] = reinterpret_cast<const char*>(sqlite3_column_text(select.stmt, c));
                    break;
                default:
                    cells[i] = nullptr;
                    break;  // NULL and blobs: an empty cell
            }
        }
        writer.write_row(cells.data(), columns);
    });
    return read && writer.finish(error);
}

}  // namespace

QString bracketed_name(const QString& name) {
    QString inner = name;
    inner.replace(QStringLiteral("]"), QStringLiteral("]]"));
    return u'[' + inner + u']';
}

QString excel_workbook_reference(const QString& file, const QString& key) {
    QString value = file;
    const bool quote = value.contains(u';') || value.contains(u'"') || value != value.trimmed() ||
                       value.startsWith(u'\t') || value.endsWith(u'\t');
    if (quote) value = u'"' + value.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
    return bracketed_name(QStringLiteral("Excel 8.0;") + key + u'=' + value);
}

ExcelBridge& install_excel_bridge() {
    static WorkbookBridge bridge;
    set_excel_bridge(&bridge);
    return bridge;
}

}  // namespace platform
