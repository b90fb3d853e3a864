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

// The bridge in use: the workbook bridge of excel_install.h, installed when the first database
// opens; nullptr removes it. The caller keeps ownership.
void set_excel_bridge(ExcelBridge* bridge);
ExcelBridge* excel_bridge();

}  // namespace platform
