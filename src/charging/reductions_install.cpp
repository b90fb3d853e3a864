#include "charging/reductions_install.h"

#include <QPointer>

#include "charging/late_fee_window.h"
#include "charging/reduction_page.h"
#include "lists/list_pages.h"
#include "shell/action_names.h"
#include "shell/main_window.h"

namespace charging {

namespace {

QPointer<ReductionPage> g_page;

}  // namespace

ReductionPage* reduction_page() { return g_page.data(); }

void install_reductions(shell::MainWindow& window) {
    auto* page = new ReductionPage;
    window.set_content_page_widget(shell::kPageReductions, page);
    lists::wire_list_page(shell::kPageReductions, page);
    g_page = page;

    shell::MainWindow* w = &window;
    window.register_action(shell::action::kMainMenuReductions,
                           [w, page] { on_main_menu_reductions_click(*w, *page); });
    window.register_action(shell::action::kMainMenuLateFee,
                           [w] { on_main_menu_late_fee_click(w); });
}

}  // namespace charging
