#pragma once
// Puts the prepayment windows into the main window: content page 7 (预存查询) with its list
// buttons, the navigation entries 预存添加 (also F7) and 预存查询, the popup menu 预存查询, and
// the settlement from prepaid balances that batch charging runs first.
namespace shell {
class MainWindow;
}

namespace charging {

void install_prepayments(shell::MainWindow& window);

}  // namespace charging
