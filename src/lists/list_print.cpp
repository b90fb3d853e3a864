#include "lists/list_print.h"

#include <QTableView>

#include "lists/list_pages.h"
#include "lists/page_setup_window.h"
#include "lists/progress_window.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/grid.h"
#include "platform/listview.h"

namespace lists {

std::shared_ptr<platform::GridPageSetup> page_setup_object;

void print_list_view(QTableView* list) {
    if (!list) return;

    // A grid of its own for this print, owned by the list so the preview opens over its window.
    platform::GridControl grid(list);
    grid.Appearance = 1;
    grid.DrawMode = 0;
    grid.FixedRowColStyle = 2;
    grid.SelectionMode = 1;
    grid.DefaultFont.Name = QStringLiteral("Tahoma");
    grid.DefaultFont.Size = 10;
    grid.DefaultRowHeight = 25;

    // The list defaults, set afresh for every print: what the page setup window changes of them
    // holds for this print only.
    {
        const std::shared_ptr<platform::GridPageSetup> setup = grid.PageSetup();
        setup->PaperHeight = 29.7;
        setup->PaperWidth = 21;
        setup->TopMargin = 1.5;
        setup->BottomMargin = 2.5;
        setup->LeftMargin = 1.5;
        setup->RightMargin = 1.5;
        setup->PrintGridlines = true;
        setup->CenterHorizontally = true;
        setup->PrintFixedRow = true;
        setup->Footer = kListFooter;
    }

    grid.DisplayRowIndex = false;
    grid.SelectionMode = 1;
    grid.AllowUserReorderColumn = false;
    grid.DisplayFocusRect = false;

    page_setup_object = grid.PageSetup();

    {
        // The window edits page_setup_object in place and keeps the title in pz.ini.
        PageSetupWindow window(list->window());
        platform::window_open_modal(&window);
    }

    const QString title = platform::ini_read_text(kTitleSection, kTitleKey);
    if (!title.isEmpty()) {
        platform::GridReportTitles& titles = grid.ReportTitles();
        titles.AddBlankReportTitle();
        platform::GridReportTitle& first = titles.Item(1);
        first.Text = title;
        first.Font.Name = QStringLiteral("黑体");
        first.Font.Size = 20;
        first.PrintOnAllPages = true;
    }

    // The rows are copied and then the pages painted before the preview shows: the progress
    // window moves by rows, then by pages, and goes when the last page is painted.
    ProgressScope progress(list->window());
    grid.page_painted = [&progress](int page, int pages) {
        progress.advance(page, pages);
        if (page == pages) progress.close();
    };

    const int columns = platform::listview_column_count(list);
    grid.Cols(columns + 1);
    for (int k = 1; k <= columns; ++k) {
        grid.Cell(0, k).Text = platform::listview_column_title(list, k - 1);
        grid.Column(k).Width = platform::listview_column_width(list, k - 1);
    }

    const int rows = platform::listview_row_count(list);
    grid.Rows(rows + 1);
    for (int r = 1; r <= rows; ++r) {
        for (int k = 1; k <= columns; ++k)
            grid.Cell(r, k).Text = platform::listview_cell_text(list, r - 1, k - 1);
        progress.advance(r, rows);
    }

    grid.AutoRedraw = true;
    grid.Refresh();

    grid.PrintPreview(QStringLiteral("100"));
    // The grid goes with this scope; page_setup_object keeps its page setup alive.
}

void install_list_printing() { set_print_list_handler(print_list_view); }

}  // namespace lists
