#include "households/meters_install.h"

#include <QPointer>

#include "households/household_import.h"
#include "households/household_lists.h"
#include "households/household_pages.h"
#include "households/meter_list_page.h"
#include "lists/list_pages.h"
#include "shell/action_names.h"
#include "shell/main_window.h"

namespace households {

namespace {

// Puts the imports behind 批量添加 and 批量修改 of page 0.
void wire_household_imports(shell::MainWindow* w, HouseholdAddPage* add_page) {
    QPointer<HouseholdAddPage> target(add_page);
    const ShowHouseholds show = [w, target](const QStringList& numbers) {
        if (target) fill_household_list_by_numbers(numbers, w, target->household_list());
    };
    add_page->set_import_actions(
        [w, show] { on_main_household_import_click(w, show); },
        [w, show] { on_main_household_batch_modify_import_click(w, show); });
}

}  // namespace

MeterListPage* install_meters(shell::MainWindow& window, HouseholdAddPage* household_add_page) {
    auto* page = new MeterListPage;
    window.set_content_page_widget(shell::kPageMeters, page);
    lists::wire_list_page(shell::kPageMeters, page);

    shell::MainWindow* w = &window;
    window.register_action(shell::action::kMainNavHouseholdMeters,
                           [w, page] { on_main_nav_household_meters_click(*w, *page); });
    window.register_action(shell::action::kMainMeterAdd,
                           [page] { page->on_main_meter_add_click(); });

    if (household_add_page) wire_household_imports(w, household_add_page);
    return page;
}

}  // namespace households
