#pragma once
// Puts meter reading into the main window: content page 5 (月抄表) and content page 14 (换表管理)
// wired to the list pages' shared buttons; the navigation entries 抄表管理1_月抄表,
// 抄表管理1_固定抄表, 抄表管理1_换表管理 and 抄表管理1_生成物业费; the menu entry 抄表人员设置
// (on_menu_meter_readers); and F5's second step, ReadingEntryWindow in add mode.
namespace shell {
class MainWindow;
}

namespace reading {

class MonthlyReadingPage;
class MeterChangePage;

// Call once at start-up, after the main window exists.
void install(shell::MainWindow& window);

// The pages install() put into the main window (null before, and after the window is gone).
MonthlyReadingPage* monthly_reading_page();
MeterChangePage* meter_change_page();

// Shows page 5 of the main window with the whole batch and the focus on its 添加 button (after
// a generation wrote pending rows). Nothing without a main window.
void show_monthly_readings();

}  // namespace reading
