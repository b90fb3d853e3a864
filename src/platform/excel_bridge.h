#pragma once
// The statements read and write Excel workbooks inside SQL, as the Access engine's Excel driver
// allowed:
//     SELECT * INTO <table> FROM [Excel 8.0;DATABASE=<file>].[<sheet>$]
//     SELECT <columns> INTO [Excel 8.0;Database=<file>].[<sheet>] FROM <table> ...
// The database layer recognises them and hands the work to the bridge installed here; with no
// bridge installed such a statement fails with an error text.
#include <QString>

namespace platform {

struct Connection;

class ExcelBridge {
public:
    virtual ~ExcelBridge() = default;
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

// The workbook part of a bridge statement for a file, quoted so that any character of the
// name reaches the bridge as it is: "[Excel 8.0;DATABASE=<file>]" (with `key` spelled as
// given), the file in double quotes when it holds ";", a quote or blanks at its ends, and "]"
// doubled. An ordinary name is written exactly as the statement has always read.
QString excel_workbook_reference(const QString& file, const QString& key = QStringLiteral("DATABASE"));
// A name in brackets with "]" doubled: "[Sheet1$]".
QString bracketed_name(const QString& name);

// The bridge in use: the workbook bridge of excel_install.h, installed when the first database
// opens; nullptr removes it. The caller keeps ownership.
void set_excel_bridge(ExcelBridge* bridge);
ExcelBridge* excel_bridge();

}  // namespace platform
