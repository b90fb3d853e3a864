#pragma once
// Puts the statistics page into content page 4 of the main window and binds the seven entries
// of the navigation group 数据报表 to it.
namespace shell {
class MainWindow;
}

namespace reports {

class StatisticsPage;

// Call once at start-up, after the main window exists.
void install_statistics(shell::MainWindow& window);

// The page installed last, or null.
StatisticsPage* statistics_page();

}  // namespace reports
