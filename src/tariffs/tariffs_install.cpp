#include "tariffs/tariffs_install.h"

#include <QPointer>

#include "lists/list_pages.h"
#include "shell/main_window.h"
#include "tariffs/direct_entry_windows.h"
#include "tariffs/fee_items_window.h"
#include "tariffs/invoice_page.h"
#include "tariffs/price_categories_window.h"
#include "tariffs/surcharges_window.h"
#include "tariffs/system_parameters_window.h"
#include "tariffs/tiered_prices_window.h"

namespace tariffs {

namespace {

QPointer<InvoicePage>& invoice_page_slot() {
    static QPointer<InvoicePage> page;
    return page;
}

}  // namespace

InvoicePage* invoice_page() { return invoice_page_slot(); }

void install(shell::MainWindow& window) {
    auto* page = new InvoicePage;
    window.set_content_page_widget(shell::kPageInvoices, page);
    lists::wire_list_page(shell::kPageInvoices, page);
    invoice_page_slot() = page;

    shell::MainWindow* w = &window;
    window.register_action(QStringLiteral("on_menu_system_parameters"), [w] { on_menu_system_parameters(w); });
    window.register_action(QStringLiteral("on_menu_fee_items"), [w] { on_menu_fee_items(w); });
    window.register_action(QStringLiteral("on_menu_price_categories"), [w] { on_menu_price_categories(w); });
    window.register_action(QStringLiteral("on_menu_tiered_prices"), [w] { on_menu_tiered_prices(w); });
    window.register_action(QStringLiteral("on_menu_surcharges"), [w] { on_menu_surcharges(w); });
    window.register_action(QStringLiteral("on_menu_monthly_base_adjust"), [w] { on_menu_monthly_base_adjust(w); });
    window.register_action(QStringLiteral("on_menu_banks"), [w] { on_menu_banks(w); });
    window.register_action(QStringLiteral("on_menu_invoice_management"), [w, page] {
        on_menu_invoice_management(page, [w] { w->select_content_page(shell::kPageInvoices); });
    });
}

}  // namespace tariffs
