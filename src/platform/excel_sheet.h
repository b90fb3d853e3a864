#pragma once
// Reading one worksheet of an Excel workbook into memory, and turning it into the columns of a
// database table. Knows nothing of the database: the bridge (excel_bridge.cpp) creates and
// fills the table from what these functions give.
//
// Formats: .xls (Excel 97-2003, BIFF in an OLE2 compound file) through FreeXL, with the file's
// structure checked first and the saved results of formula cells read from the workbook
// stream (excel_xls_stream.cpp); .xlsx (Office Open XML in a zip) through minizip and
// QXmlStreamReader. The format is told by the file's first bytes, not by its name, so a
// workbook saved under the other extension still reads and a text file renamed .xls is
// refused. Formula cells read as the result saved with them (a spreadsheet program that saved
// none gives an empty cell); error values read as empty cells.
#include <QString>
#include <QStringList>
#include <vector>

namespace platform::excel {

struct SheetCell {
    enum class Kind : unsigned char {
        Empty,   // no cell, an empty text or an error value
        Number,  // number; a truth value reads as 1 or 0
        Date,    // text is the date as stored: "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS"
        Text
    };
    Kind kind = Kind::Empty;
    double number = 0.0;
    QString text;
};

// The rows of a sheet that hold at least one non-empty cell, in sheet order.
struct SheetRow {
    int index = 0;                 // 0-based row number in the sheet
    std::vector<SheetCell> cells;  // by 0-based column; may end early
};

struct SheetData {
    QString name;  // as the workbook spells it
    std::vector<SheetRow> rows;
};

enum class WorkbookFormat { Xls, Xlsx, Unknown };

// By the first bytes: D0 CF 11 E0 (OLE2) is .xls, "PK" (zip) is .xlsx. A missing or
// unreadable file is Unknown.
WorkbookFormat workbook_format_of(const QString& path);

// A sheet reference as a statement writes it: "Sheet1$" names the worksheet Sheet1. Sheets
// are matched without regard to letter case (as the spreadsheet programs treat them), the
// exact name first, then the name without its trailing "$".
//
// On failure returns false with a readable text in error (missing file, not a workbook,
// damaged or password-protected workbook, no such sheet: the text lists the sheets there are).
bool read_sheet(const QString& path, const QString& sheet_reference, SheetData& out,
                QString* error);

// The names of the workbook's worksheets in workbook order.
bool sheet_names(const QString& path, QStringList& out, QString* error);

// ---- the sheet as a table ----------------------------------------------------------------

enum class ColumnType {
    Number,  // every non-empty cell is a number: REAL
    Date,    // every non-empty cell is a date: DATE, stored as text
    Text     // anything else, and columns with no value at all: TEXT COLLATE NOCASE
};

// The first non-empty row holds the titles; the columns run from the first to the last
// column that holds a value anywhere. Fully empty rows are left out (a spreadsheet often
// carries formatted but empty rows below its data, and they must not become records).
// Titles are trimmed; an empty title becomes "F" + its 1-based column number; a title equal
// (without regard to ASCII case) to an earlier one gets the smallest suffix 1, 2, ... that
// makes it unique. In text columns numbers are written in their shortest form (10101, not
// 10101.0; whole numbers below 2^53 with every digit, others with Excel's 15 significant
// digits) and dates in their stored form. Cells of a row beyond the titles' columns are
// dropped. A sheet without any value gives one text column "F1" and no rows.
struct SheetTable {
    QStringList names;
    std::vector<ColumnType> types;
    // One entry per column in every row: Empty, Number (Number columns), Date (Date columns)
    // or Text (Text columns).
    std::vector<std::vector<SheetCell>> rows;
};

SheetTable make_sheet_table(const SheetData& sheet);

// Number as text in a text column (see SheetTable).
QString number_cell_text(double value);

}  // namespace platform::excel
