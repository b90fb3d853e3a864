#include "reports/reports_install.h"

#include "charging/charging_hooks.h"
#include "reports/card_printing_window.h"
#include "reports/print_parameters_window.h"
#include "reports/receipts.h"
#include "reports/template_designer.h"
#include "shell/action_names.h"
#include "shell/main_window.h"

namespace reports {

void install(shell::MainWindow& window) {
    install_template_designer();
    charging::charge_receipt_printer() = [](qint64 serial) { return print_charge_receipt(serial); };
    charging::prepay_receipt_printer() = [](qint64 number, double settled_with_it) {
        return print_prepay_receipt(number, settled_with_it);
    };
    shell::MainWindow* w = &window;
    window.register_action(shell::action::kMainMenuPrintParameters,
                           [w] { on_main_menu_print_parameters_click(w); });
    window.register_action(shell::action::kMainMenuPrintCards,
                           [w] { on_main_menu_print_cards_click(w); });
}

}  // namespace reports
