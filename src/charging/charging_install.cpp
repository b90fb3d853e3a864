#include "charging/charging_install.h"

#include "charging/batch_charging_window.h"
#include "charging/charging_window.h"
#include "shell/main_window.h"

namespace charging {

void install(shell::MainWindow& window) {
    shell::MainWindow* w = &window;
    window.register_action(QStringLiteral("on_main_nav_counter_charging_click"),
                           [w] { on_main_nav_counter_charging_click(w); });
    window.register_action(QStringLiteral("on_main_nav_card_charging_click"),
                           [w] { on_main_nav_card_charging_click(w); });
    window.register_action(QStringLiteral("on_main_nav_batch_charging_click"),
                           [w] { on_main_nav_batch_charging_click(w); });
}

}  // namespace charging
