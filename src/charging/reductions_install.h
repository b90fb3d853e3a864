#pragma once
// Puts the reductions page (content page 10) into the main window with its menu entry
// 基本设置 > 减免管理, and the late-fee window behind 基本设置 > 滞纳金设置.
namespace shell {
class MainWindow;
}

namespace charging {

class ReductionPage;

void install_reductions(shell::MainWindow& window);
// The page installed last, or null.
ReductionPage* reduction_page();

}  // namespace charging
