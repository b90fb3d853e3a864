#pragma once
// Export of a list to an Excel workbook: the list's titles and rows, as shown, handed to the
// workbook writer of list_workbook.h with the export helper's connection.
#include <QString>

#include "lists/list_workbook.h"

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

}  // namespace lists
