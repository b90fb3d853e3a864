#pragma once
// Puts the deduction page (扣款明细) into the main window: content page 9 with its shared list
// buttons and the navigation entry 扣款查询 of the 预存管理 group.
namespace shell {
class MainWindow;
}

namespace charging {

class DeductionPage;

void install_deductions(shell::MainWindow& window);
// The page installed last, or null.
DeductionPage* deduction_page();

}  // namespace charging
