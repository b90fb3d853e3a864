#include "households/households_install.h"

#include "households/household_pages.h"
#include "households/streets_window.h"
#include "lists/list_pages.h"
#include "shell/action_names.h"
#include "shell/main_window.h"

namespace households {

HouseholdPages install(shell::MainWindow& window) {
    auto* add_page = new HouseholdAddPage;
    window.set_content_page_widget(shell::kPageTodaysHouseholds, add_page);
    lists::wire_list_page(shell::kPageTodaysHouseholds, add_page);

    auto* query_page = new HouseholdQueryPage;
    window.set_content_page_widget(shell::kPageHouseholdQuery, query_page);
    lists::wire_list_page(shell::kPageHouseholdQuery, query_page);

    shell::MainWindow* w = &window;
    window.register_action(shell::action::kMainNavHouseholdList,
                           [add_page] { add_page->on_main_nav_household_list_click(); });
    window.register_action(shell::action::kMainNavHouseholdQuery,
                           [query_page] { query_page->on_main_nav_household_query_click(); });
    window.register_action(shell::action::kMainHouseholdAdd,
                           [add_page] { add_page->on_main_household_add_click(); });
    window.register_action(shell::action::kHouseholdQueryWindow,
                           [query_page] { query_page->on_main_household_query_open_click(); });
    window.register_action(shell::action::kMenuStreets, [w] { on_menu_streets_click(w); });
    return {add_page, query_page};
}

}  // namespace households
