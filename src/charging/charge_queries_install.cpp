#include "charging/charge_queries_install.h"

#include <QPointer>

#include "charging/charge_query_page.h"
#include "charging/receipt_reprint_window.h"
#include "lists/list_pages.h"
#include "shell/action_names.h"
#include "shell/main_window.h"

namespace charging {

namespace {

QPointer<ChargeQueryPage> g_page;

}  // namespace

ChargeQueryPage* charge_query_page() { return g_page.data(); }

void install_charge_queries(shell::MainWindow& window) {
    auto* page = new ChargeQueryPage;
    window.set_content_page_widget(shell::kPageChargeQuery, page);
    lists::wire_list_page(shell::kPageChargeQuery, page);
    page->set_popup_menu(window.charge_query_menu());
    g_page = page;

    namespace a = shell::action;
    shell::MainWindow* w = &window;
    window.register_action(a::kMainNavChargeQuery,
                           [w, page] { on_main_nav_charge_query_click(*w, *page); });
    window.register_action(a::kMainChargePopupEdit, [page] { page->on_main_charge_edit_click(); });
    window.register_action(a::kMainChargePopupVoid, [page] { page->on_main_charge_void_click(); });
    window.register_action(a::kMainChargePopupExport,
                           [page] { lists::on_list_export_click(shell::kPageChargeQuery, page); });
    window.register_action(a::kMainChargePopupPrint,
                           [page] { lists::on_list_print_click(shell::kPageChargeQuery, page); });
    window.register_action(a::kMainChargePopupReprint,
                           [page] { page->on_main_charge_reprint_click(); });
    window.register_action(a::kMainMenuReprintReceipt,
                           [w] { on_main_menu_reprint_receipt_click(w); });
}

}  // namespace charging
