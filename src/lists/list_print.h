#pragma once
// Printing a list page: the rows a list view shows are copied into a print grid with the list
// defaults (A4 portrait, the list margins, grid lines, the title row on every page, the page
// footer), the user adjusts the page in PageSetupWindow, the report title comes from pz.ini
// ([标题] 标题名称) and the grid's print preview opens; printing is done from the preview.
#include <QString>
#include <memory>

class QTableView;

namespace platform {
class GridPageSetup;
}

namespace lists {

// The one page setup of list printing, program-wide. Every print_list_view makes it refer to the
// page setup of the grid it has just built (releasing what it held before) and PageSetupWindow
// edits what it refers to. Between two prints it keeps the last grid's page setup. It is the
// program's only holder of this object: start-up creates it and exit releases it here.
extern std::shared_ptr<platform::GridPageSetup> page_setup_object;

// pz.ini section and keys kept by the page setup window and read by the list printer.
inline const QString kTitleSection = QStringLiteral("标题");
inline const QString kTitleKey = QStringLiteral("标题名称");
inline const QString kOrientationKey = QStringLiteral("纸张方向");

// Footer of every printed list: page count and page number.
inline const QString kListFooter = QStringLiteral("共&n页，第&p页");

// Prints what the list shows (its columns in order with their titles and widths, every row)
// through the page setup window and the print preview; both open modally through
// platform::window_open_modal, the preview as a QPrintPreviewDialog. Changes neither the list
// nor the database; reports nothing. A null list prints nothing.
void print_list_view(QTableView* list);

// Puts print_list_view behind the print buttons of every list page (lists::set_print_list_handler);
// start-up calls it once.
void install_list_printing();

}  // namespace lists
