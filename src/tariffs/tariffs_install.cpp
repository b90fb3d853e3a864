#include "tariffs/tariffs_install.h"

#include <QPointer>

#include "lists/list_pages.h"
#include "shell/action_names.h"
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
    window.register_action(shell::action::kMenuSystemParameters, [w] { on_menu_system_parameters(w); });
    window.register_action(shell::action::kMenuFeeItems, [w] { on_menu_fee_items(w); });
    window.register_action(shell::action::kMenuPriceCategories, [w] { on_menu_price_categories(w); });
    window.register_action(shell::action::kMenuTieredPrices, [w] { on_menu_tiered_prices(w); });
    window.register_action(shell::action::kMenuSurcharges, [w] { on_menu_surcharges(w); });
    window.register_action(shell::action::kMenuMonthlyBaseAdjust, [w] { on_menu_monthly_base_adjust(w); });
    window.register_action(shell::action::kMenuBanks, [w] { on_menu_banks(w); });
    window.register_action(shell::action::kMenuInvoiceManagement, [w, page] {
        on_menu_invoice_management(page, [w] { w->select_content_page(shell::kPageInvoices); });
    });
}

}  // namespace tariffs
