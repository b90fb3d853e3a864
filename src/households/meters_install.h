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

class MeterListPage;

// Call once at start-up, best after households::install (the imports go behind its page 0's
// buttons; when page 0 is not there yet they are put there once the event loop runs).
void install_meters(shell::MainWindow& window);

// The page install_meters put into the main window (null before).
MeterListPage* meter_list_page();

}  // namespace households
