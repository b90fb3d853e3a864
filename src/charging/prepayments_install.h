#pragma once
// Puts the prepayment windows into the main window: content page 7 (预存查询) with its list
// buttons, content page 8 (预存扣款, the balances), the navigation entries 预存添加 (also F7),
// 预存查询 and 预存扣款, the popup menu 预存查询, and
// the settlement from prepaid balances that batch charging runs first.
namespace shell {
class MainWindow;
}

namespace charging {

void install_prepayments(shell::MainWindow& window);

// The settlement from prepaid balances that batch charging runs first, with its wait cursor and
// its messages (part of install_prepayments).
void install_batch_settlement();

}  // namespace charging
