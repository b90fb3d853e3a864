#pragma once
// Puts the meter accounts into the main window: content page 15 (MeterListPage), wired to the
// list pages' shared buttons; the navigation entry 用户管理_用户表管理
// (on_main_nav_household_meters_click) and the hot-key step on_main_meter_add_click, so that F6
// opens the meter page and the meter form; and the Excel imports behind 批量添加 and 批量修改 of
// the household page (page 0), whose results show in 列表框_添加列表.
namespace shell {
class MainWindow;
}

namespace households {

class HouseholdAddPage;
class MeterListPage;

// Call once at start-up, after households::install, with the household page it returned (the
// imports go behind its buttons; without one they stay where they are). Returns the page put
// into the main window (which owns it).
MeterListPage* install_meters(shell::MainWindow& window, HouseholdAddPage* household_add_page);

}  // namespace households
