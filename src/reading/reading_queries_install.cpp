#include "reading/reading_queries_install.h"

#include <QPointer>

#include "lists/list_pages.h"
#include "reading/handheld_windows.h"
#include "reading/monthly_reading_page.h"
#include "reading/reading_install.h"
#include "reading/reading_query_page.h"
#include "shell/action_names.h"
#include "shell/main_window.h"

namespace reading {

namespace {

QPointer<ReadingQueryPage> g_query;
QPointer<HandheldPage> g_handheld;

}  // namespace

ReadingQueryPage* reading_query_page() { return g_query.data(); }
HandheldPage* handheld_page() { return g_handheld.data(); }

void install_queries(shell::MainWindow& window) {
    auto* query = new ReadingQueryPage;
    window.set_content_page_widget(shell::kPageReadingQuery, query);
    lists::wire_list_page(shell::kPageReadingQuery, query);
    g_query = query;

    auto* handheld = new HandheldPage;
    window.set_content_page_widget(shell::kPageHandheld, handheld);
    lists::wire_list_page(shell::kPageHandheld, handheld);
    g_handheld = handheld;

    shell::MainWindow* w = &window;
    window.register_action(shell::action::kMainNavReadingQuery,
                           [w, query] { on_main_nav_reading_query_click(*w, *query); });
    window.register_action(shell::action::kMainNavHandheld,
                           [w, handheld] { on_main_nav_handheld_click(*w, *handheld); });
    if (MonthlyReadingPage* monthly = monthly_reading_page())
        monthly->set_batch_import_action([w, monthly] {
            on_main_monthly_batch_import_click(w, monthly->monthly_list());
        });
}

}  // namespace reading
