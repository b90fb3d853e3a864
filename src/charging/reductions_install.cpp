#include "charging/reductions_install.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

#include "charging/late_fee_window.h"
#include "charging/reduction_page.h"
#include "charging/reduction_settings.h"
#include "lists/list_pages.h"
#include "shell/action_names.h"
#include "shell/main_window.h"
#include "shell/session.h"
#include "store/main_database.h"

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
    // The page has no navigation entry of its own: its menu item shows to whoever holds a
    // reduction right, decided when the menu opens, since the operator logs in after start-up.
    if (QAction* entry = window.findChild<QAction*>(QStringLiteral("菜单_减免管理"))) {
        if (QMenu* menu = window.findChild<QMenu*>(QStringLiteral("菜单_基本设置")))
            QObject::connect(menu, &QMenu::aboutToShow, entry, [entry] {
                entry->setVisible(
                    may_use_reductions(store::main_connection(), shell::current_operator));
            });
    }
    window.register_action(shell::action::kMainMenuLateFee,
                           [w] { on_main_menu_late_fee_click(w); });
}

}  // namespace charging
