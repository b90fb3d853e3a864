#pragma once
// Puts the rest of meter reading into the main window: content page 3 (抄表查询) with the
// navigation entry 抄表管理1_抄表查询, content page 11 (抄表机) with 抄表管理1_抄表机, and the
// Excel import behind the monthly page's 批量抄表. Call after reading::install.
namespace shell {
class MainWindow;
}

namespace reading {

class ReadingQueryPage;
class HandheldPage;

void install_queries(shell::MainWindow& window);

ReadingQueryPage* reading_query_page();
HandheldPage* handheld_page();

}  // namespace reading
