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
#include <QtGlobal>
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

// The rows of a sheet that hold at least one non-empty cell, in sheet order. Rows are sparse:
// only the non-empty cells are kept, each with its column, so a lone cell far to the right
// costs one cell and not a row of sixteen thousand.
struct SheetRow {
    int index = 0;                 // 0-based row number in the sheet
    std::vector<int> columns;      // 0-based column of each cell, increasing
    std::vector<SheetCell> cells;  // the non-empty cells, one per entry of columns

    // The cell in that column, or nullptr where the row has none.
    const SheetCell* at(int column) const;
    // Puts a cell in that column (replacing one there); an empty cell removes it.
    void set(int column, SheetCell cell);
    // After cells were appended out of column order: sorts them, the later of two cells in one
    // column winning.
    void sort_cells();
};

// Limits on what one workbook may make the program read, proportionate to a real office's
// sheets (a register of 100,000 households with a few dozen columns is far inside them). A
// workbook beyond them is refused with a message saying which limit it passed.
inline constexpr int kMaxSheetCells = 4000000;          // non-empty cells of the sheet
inline constexpr int kMaxSheetColumns = 1000;           // from the first to the last used column
inline constexpr int kMaxSharedStrings = 4000000;       // shared texts of an .xlsx workbook
inline constexpr qint64 kMaxPartBytes = qint64(256) << 20;      // one unpacked .xlsx part
inline constexpr qint64 kMaxWorkbookBytes = qint64(512) << 20;  // all unpacked parts read

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
// damaged or password-protected workbook, no such sheet: the text lists the sheets there are;
// a workbook beyond the limits above).
//
// A workbook is untrusted input, and FreeXL is a C library that trusts what it reads: the
// work is done in a short-lived process of our own (the sheet reader beside the program, see
// excel_isolation.h) with limits on memory and time. Whatever ends that process early (a
// crash, exhausted memory, a hang) is a failure with a clear message; the caller's process is
// never at risk.
bool read_sheet(const QString& path, const QString& sheet_reference, SheetData& out,
                QString* error);

// The names of the workbook's worksheets in workbook order (in the sheet reader as well).
bool sheet_names(const QString& path, QStringList& out, QString* error);

// The same two in this process, without isolation: what the sheet reader itself runs, and
// what the fuzz targets exercise.
bool read_sheet_here(const QString& path, const QString& sheet_reference, SheetData& out,
                     QString* error);
bool sheet_names_here(const QString& path, QStringList& out, QString* error);

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
