#pragma once
// Puts receipt printing into the main window: the menu entry 打印参数设置
// (on_main_menu_print_parameters_click, guarded by the permission "打印参数设置"), the menu
// entry 打印卡片 (on_main_menu_print_cards_click, open to every operator) and the template
// designer control the designer host creates.
namespace shell {
class MainWindow;
}

namespace reports {

// Call once at start-up, after the main window exists.
void install(shell::MainWindow& window);

}  // namespace reports
