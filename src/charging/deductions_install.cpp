#include "charging/deductions_install.h"

#include <QPointer>

#include "charging/deduction_page.h"
#include "lists/list_pages.h"
#include "shell/action_names.h"
#include "shell/main_window.h"

namespace charging {

namespace {

QPointer<DeductionPage> g_page;

}  // namespace

DeductionPage* deduction_page() { return g_page.data(); }

void install_deductions(shell::MainWindow& window) {
    auto* page = new DeductionPage;
    window.set_content_page_widget(shell::kPageDeductions, page);
    lists::wire_list_page(shell::kPageDeductions, page);
    g_page = page;
    shell::MainWindow* w = &window;
    window.register_action(shell::action::kMainNavDeductionQuery,
                           [w, page] { on_main_nav_deduction_query_click(*w, *page); });
}

}  // namespace charging
