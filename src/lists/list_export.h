#pragma once
// Export of a list to an Excel workbook: Excel 97 (.xls) when the file name ends in .xls,
// otherwise .xlsx. The list is copied into the table tmp of a
// scratch database made afresh in the temporary folder, keyed with a key of that export alone
// and removed when the export ends (one text column per list column, named
// after its title with every blank removed, then the row's position 排序), and the database
// layer's Excel bridge writes the workbook from
//     SELECT <names> INTO [Excel 8.0;Database=<file>].[Sheet1] FROM tmp  ORDER BY 排序
// Cell texts stay text, so 户号 keeps its leading zeros.
#include <QString>

class QProgressBar;
class QTableView;

namespace lists {

// Writes the list's column titles and every row, as shown, to `file` (replacing it). sheet is
// used only when sheet_given is true, and then written after the "]." as it is (it carries its
// own brackets); otherwise the sheet is [Sheet1]. With show_progress the bar's maximum becomes
// the row count and its position the number of rows stored so far. Shows no message; returns
// true when the workbook was written. A list without columns, titles that make no usable
// distinct field names, a scratch file or a workbook that cannot be written give false.
bool export_list_view_to_excel(QTableView* list, const QString& file,
                               const QString& sheet = QString(), bool sheet_given = false,
                               QProgressBar* progress = nullptr, bool show_progress = false);

// The field name a column title becomes: the title without any blank (ASCII or full-width).
QString export_field_name(const QString& title);

// Where the scratch database lies: db.tmp in the program's temporary folder.
QString export_scratch_path();

}  // namespace lists
