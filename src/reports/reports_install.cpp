#include "reports/reports_install.h"

#include "reports/card_printing_window.h"
#include "reports/print_parameters_window.h"
#include "reports/template_designer.h"
#include "shell/action_names.h"
#include "shell/main_window.h"

namespace reports {

void install(shell::MainWindow& window) {
    install_template_designer();
    shell::MainWindow* w = &window;
    window.register_action(shell::action::kMainMenuPrintParameters,
                           [w] { on_main_menu_print_parameters_click(w); });
    window.register_action(shell::action::kMainMenuPrintCards,
                           [w] { on_main_menu_print_cards_click(w); });
}

}  // namespace reports
