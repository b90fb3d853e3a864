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

// The pages install() put into the main window (which owns them).
struct HouseholdPages {
    HouseholdAddPage* add_page = nullptr;
    HouseholdQueryPage* query_page = nullptr;
};

// Call once at start-up, after the main window exists.
HouseholdPages install(shell::MainWindow& window);

}  // namespace households
