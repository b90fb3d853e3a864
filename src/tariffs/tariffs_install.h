#pragma once
// Puts the price book into the main window: the invoice page (content page 13, wired to the
// list pages' shared buttons) and the handlers of the menu entries 系统参数设置, 收费项目设置,
// 价格类别设置, 阶梯价格设置, 附加费设置, 单月收费基本度数调整, 开户银行设置 and 发票管理.
namespace shell {
class MainWindow;
}

namespace tariffs {

class InvoicePage;

// Call once at start-up, after the main window exists.
void install(shell::MainWindow& window);

// The invoice page install() put into the main window (null before).
InvoicePage* invoice_page();

}  // namespace tariffs
