#include "reports/statistics_install.h"

#include <QPointer>

#include "lists/list_pages.h"
#include "reports/statistics_page.h"
#include "shell/main_window.h"

namespace reports {

namespace {

QPointer<StatisticsPage> g_page;

}  // namespace

StatisticsPage* statistics_page() { return g_page.data(); }

void install_statistics(shell::MainWindow& window) {
    auto* page = new StatisticsPage;
    window.set_content_page_widget(shell::kPageStatistics, page);
    lists::wire_list_page(shell::kPageStatistics, page);
    g_page = page;
    shell::MainWindow* w = &window;
    for (const StatisticsEntry& entry : statistics_entries()) {
        const StatisticsEntry* e = &entry;
        window.register_action(entry.handler,
                               [w, page, e] { on_main_nav_statistics_entry(*w, *page, *e); });
    }
}

}  // namespace reports
