#include "charging/prepayments_install.h"

#include <QApplication>

#include "charging/balance_page.h"
#include "charging/batch_charging.h"
#include "charging/prepay_settlement.h"
#include "charging/prepayment_page.h"
#include "lists/list_pages.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "shell/action_names.h"
#include "shell/main_window.h"
#include "store/main_database.h"

namespace charging {

void install_batch_settlement() {
    batch_pay_from_prepayments_hook() = [](const shell::RunContext& context) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        const SettlementOutcome out = batch_pay_from_prepayments(store::main_connection(), context);
        QApplication::restoreOverrideCursor();
        for (const Message& m : out.messages)
            platform::message_box(
                m.text, m.plain ? QString() : m.caption,
                m.plain ? platform::MsgIcon::None : platform::MsgIcon::Information);
    };
}

void install_prepayments(shell::MainWindow& window) {
    auto* page = new PrepaymentPage;
    window.set_content_page_widget(shell::kPagePrepayments, page);
    lists::wire_list_page(shell::kPagePrepayments, page);
    set_prepayment_page(page);

    auto* balances = new BalancePage;
    window.set_content_page_widget(shell::kPageBalances, balances);
    lists::wire_list_page(shell::kPageBalances, balances);

    shell::MainWindow* w = &window;
    window.register_action(shell::action::kMainNavPrepayDeduction,
                           [w, balances] { on_main_nav_prepay_deduction_click(w, *balances); });
    window.register_action(shell::action::kMainNavAddPrepayment,
                           [w] { on_main_nav_add_prepayment_click(w); });
    window.register_action(shell::action::kMainNavPrepayQuery,
                           [w, page] { on_main_nav_prepay_query_click(w, *page); });
    window.register_action(shell::action::kMainPrepayPopupEdit,
                           [page] { page->on_main_prepay_edit_click(); });
    window.register_action(shell::action::kMainPrepayPopupVoid,
                           [page] { page->on_main_prepay_void_click(); });
    window.register_action(shell::action::kMainPrepayPopupReprint,
                           [page] { page->on_main_prepay_reprint_click(); });

    install_batch_settlement();
}

}  // namespace charging
