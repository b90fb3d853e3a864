#include "lists/list_export.h"

#include <QProgressBar>
#include <QTableView>

#include "lists/export_helper_window.h"
#include "lists/list_workbook.h"
#include "lists/progress_window.h"
#include "platform/listview.h"

namespace lists {

bool export_list_view_to_excel(QTableView* list, const QString& file, const QString& sheet,
                               bool sheet_given, QProgressBar* progress, bool show_progress) {
    if (!list) return false;
    // The helper holds the export's connection; the workbook writer closes it when done.
    ExportHelperWindow helper;
    WorkbookRows table;
    for (int c = 0; c < platform::listview_column_count(list); ++c)
        table.titles << platform::listview_column_title(list, c);
    table.rows = platform::listview_row_count(list);
    const platform::ListModel* model = platform::listview_model(list);
    table.cell = [model](int row, int column) { return model->cell_utf8(row, column); };
    const bool bar = show_progress && progress;
    return write_list_workbook(helper.connection(), table, file, sheet, sheet_given,
                               [&](int stored) {
                                   if (!bar) return;
                                   if (stored == 0) {
                                       progress->setRange(0, table.rows);
                                       progress->setValue(0);
                                   } else {
                                       set_progress_position(progress, stored);
                                   }
                               });
}

}  // namespace lists
