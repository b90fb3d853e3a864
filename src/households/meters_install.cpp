#include "households/meters_install.h"

#include <QPointer>
#include <QTimer>

#include "households/household_import.h"
#include "households/household_lists.h"
#include "households/household_pages.h"
#include "households/households_install.h"
#include "households/meter_list_page.h"
#include "lists/list_pages.h"
#include "shell/main_window.h"

namespace households {

namespace {

QPointer<MeterListPage> g_page;

// Puts the imports behind 批量添加 and 批量修改 of page 0; false while that page is not there.
bool wire_household_imports(shell::MainWindow* w) {
    HouseholdAddPage* add_page = household_add_page();
    if (!add_page) return false;
    QPointer<HouseholdAddPage> target(add_page);
    const ShowHouseholds show = [w, target](const QStringList& numbers) {
        if (target) fill_household_list_by_numbers(numbers, w, target->household_list());
    };
    add_page->set_import_actions(
        [w, show] { on_main_household_import_click(w, show); },
        [w, show] { on_main_household_batch_modify_import_click(w, show); });
    return true;
}

}  // namespace

MeterListPage* meter_list_page() { return g_page.data(); }

void install_meters(shell::MainWindow& window) {
    auto* page = new MeterListPage;
    window.set_content_page_widget(shell::kPageMeters, page);
    lists::wire_list_page(shell::kPageMeters, page);
    g_page = page;

    shell::MainWindow* w = &window;
    window.register_action(QStringLiteral("on_main_nav_household_meters_click"),
                           [w, page] { on_main_nav_household_meters_click(*w, *page); });
    window.register_action(QStringLiteral("on_main_meter_add_click"),
                           [page] { page->on_main_meter_add_click(); });

    // Page 0 comes from households::install; when that runs later at start-up, the imports are
    // put behind its buttons as soon as the event loop runs (before the login is through).
    if (!wire_household_imports(w)) {
        QPointer<shell::MainWindow> guard(w);
        QTimer::singleShot(0, w, [guard] {
            if (guard) wire_household_imports(guard.data());
        });
    }
}

}  // namespace households
