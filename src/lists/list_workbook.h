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

// The field name a column title becomes: the title without any blank (ASCII or full-width).
QString export_field_name(const QString& title);

// Where the scratch database lies: db.tmp in the program's temporary folder.
QString export_scratch_path();

}  // namespace lists
