#include "platform/excel_bridge.h"

#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlcipher/sqlite3.h>

#include <string>
#include <vector>

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

// A text column value of the select into a text cell, in the form each writer takes.
void put_text_cell(excel::XlsSheetWriter& writer, int column, sqlite3_stmt* stmt) {
    writer.put_text(
        column, QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                  sqlite3_column_bytes(stmt, column)));
}
void put_text_cell(excel::XlsxSheetWriter& writer, int column, sqlite3_stmt* stmt) {
    writer.put_text(column, reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)));
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

    // Each column's number format, from its declared type.
    std::vector<int> decimals(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c)
        decimals[size_t(c)] = excel_number_decimals(sqlite3_column_decltype(select.stmt, c));

    // A name ending in .xls asks for Excel 97, any other .xlsx: in both, texts stay texts and
    // numbers are numbers.
    auto copy_rows = [&](auto& writer) {
        if (!writer.begin(file, sheet, error)) return false;
        writer.write_row(cells.data(), columns);
        const bool read = each_row(db, select.stmt, error, [&] {
            // Beyond what a sheet holds: counted on, refused whole by finish().
            writer.start_row();
            for (int c = 0; c < columns; ++c) {
                switch (sqlite3_column_type(select.stmt, c)) {
                    case SQLITE_INTEGER:
                    case SQLITE_FLOAT:
                        writer.put_number(c, sqlite3_column_double(select.stmt, c),
                                          decimals[size_t(c)]);
                        break;
                    case SQLITE_TEXT:
                        put_text_cell(writer, c, select.stmt);
                        break;
                    default:
                        break;  // NULL and blobs: an empty cell
                }
            }
        });
        return read && writer.finish(error);
    };
    if (excel::is_xls_file_name(file)) {
        excel::XlsSheetWriter writer;
        return copy_rows(writer);
    }
    excel::XlsxSheetWriter writer;
    return copy_rows(writer);
}

}  // namespace

QString excel_number_type(int decimals) {
    return decimals >= 0 ? QStringLiteral("decimals(%1)").arg(decimals) : QStringLiteral("real");
}

int excel_number_decimals(const char* declared_type) {
    if (!declared_type) return -1;
    const QString type = QString::fromUtf8(declared_type).trimmed();
    static const QString prefix = QStringLiteral("decimals(");
    if (!type.startsWith(prefix, Qt::CaseInsensitive) || !type.endsWith(u')')) return -1;
    bool ok = false;
    const int decimals =
        type.mid(prefix.size(), type.size() - prefix.size() - 1).trimmed().toInt(&ok);
    return ok && decimals >= 0 ? decimals : -1;
}

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
