#include "households/households_install.h"

#include <QPointer>

#include "households/household_pages.h"
#include "households/streets_window.h"
#include "lists/list_pages.h"
#include "shell/main_window.h"

namespace households {

namespace {

QPointer<HouseholdAddPage>& add_page_slot() {
    static QPointer<HouseholdAddPage> page;
    return page;
}

QPointer<HouseholdQueryPage>& query_page_slot() {
    static QPointer<HouseholdQueryPage> page;
    return page;
}

}  // namespace

HouseholdAddPage* household_add_page() { return add_page_slot(); }
HouseholdQueryPage* household_query_page() { return query_page_slot(); }

void install(shell::MainWindow& window) {
    auto* add_page = new HouseholdAddPage;
    window.set_content_page_widget(shell::kPageTodaysHouseholds, add_page);
    lists::wire_list_page(shell::kPageTodaysHouseholds, add_page);
    add_page_slot() = add_page;

    auto* query_page = new HouseholdQueryPage;
    window.set_content_page_widget(shell::kPageHouseholdQuery, query_page);
    lists::wire_list_page(shell::kPageHouseholdQuery, query_page);
    query_page_slot() = query_page;

    shell::MainWindow* w = &window;
    window.register_action(QStringLiteral("用户管理_添加按钮"),
                           [add_page] { add_page->on_main_nav_household_list_click(); });
    window.register_action(QStringLiteral("用户管理_用户查询"),
                           [query_page] { query_page->on_main_nav_household_query_click(); });
    window.register_action(QStringLiteral("on_main_household_add_click"),
                           [add_page] { add_page->on_main_household_add_click(); });
    window.register_action(QStringLiteral("HouseholdQueryWindow"),
                           [query_page] { query_page->on_main_household_query_open_click(); });
    window.register_action(QStringLiteral("on_menu_streets_click"), [w] { on_menu_streets_click(w); });
}

}  // namespace households
