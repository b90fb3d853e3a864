#pragma once
// A table of texts written to an Excel workbook: Excel 97 (.xls) when the file name ends in
// .xls, otherwise .xlsx. The rows are copied into the table tmp of a scratch database made
// afresh in the temporary folder, keyed with a key of that export alone and removed when the
// export ends (one text column per title, named after the title with every blank removed, then
// the row's position 排序), and the database layer's Excel bridge writes the workbook from
//     SELECT <names> INTO [Excel 8.0;Database=<file>].[Sheet1] FROM tmp  ORDER BY 排序
// Cell texts stay text, so 户号 keeps its leading zeros.
#include <QString>
#include <QStringList>
#include <functional>
#include <string_view>

namespace platform {
struct Connection;
}

namespace lists {

struct WorkbookRows {
    QStringList titles;
    int rows = 0;
    // The UTF-8 text of a cell; the view need only last until the next call.
    std::function<std::string_view(int row, int column)> cell;
};

// Writes the titles and every row to `file` (replacing it) through `scratch`, the export's own
// connection, which is closed when this returns. sheet is used only when sheet_given is true,
// and then written after the "]." as it is (it carries its own brackets); otherwise the sheet
// is [Sheet1]. `stored` is told 0 once the scratch table is ready, then the number of rows
// stored so far after each row. True when the
// workbook was written; no titles, titles that make no usable distinct field names, a scratch
// file or a workbook that cannot be written give false.
bool write_list_workbook(platform::Connection& scratch, const WorkbookRows& table,
                         const QString& file, const QString& sheet = QString(),
                         bool sheet_given = false, const std::function<void(int)>& stored = {});

// Whether a cell text is a plain decimal number as lists show amounts, quantities and readings:
// an optional "-", 1 to 10 digits with no leading zero before another digit, then optionally
// "." and at least one digit, 15 significant digits at most (what a double keeps exactly).
// Codes are not: "0001", "A0001", a mobile number or an identity-card number stay text. Gives
// the number of decimals in `decimals`.
bool export_number_text(std::string_view text, int* decimals = nullptr);

// How a column goes into the workbook: number cells when at least one cell is filled and every
// filled cell is a plain decimal number, shown with `decimals` decimals when they all have as
// many (-1 when they differ: each cell then shows as it is); otherwise text cells.
struct ExportColumn {
    bool number = false;
    int decimals = -1;
};
ExportColumn export_column_kind(const WorkbookRows& table, int column);

// The field name a column title becomes: the title without any blank (ASCII or full-width).
QString export_field_name(const QString& title);

// Where the scratch database lies: db.tmp in the program's temporary folder.
QString export_scratch_path();

}  // namespace lists
