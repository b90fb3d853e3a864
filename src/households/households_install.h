#pragma once
// Puts the household register into the main window: content page 0 (HouseholdAddPage) and
// content page 1 (HouseholdQueryPage), both wired to the list pages' shared buttons, and the
// handlers of the navigation entries 用户管理_添加按钮 and 用户管理_用户查询, the menu entry
// 居住街道设置 (on_menu_streets_click) and the hot-key steps on_main_household_add_click (F3) and
// HouseholdQueryWindow (F4).
namespace shell {
class MainWindow;
}

namespace households {

class HouseholdAddPage;
class HouseholdQueryPage;

// Call once at start-up, after the main window exists.
void install(shell::MainWindow& window);

// The pages install() put into the main window (null before).
HouseholdAddPage* household_add_page();
HouseholdQueryPage* household_query_page();

}  // namespace households
