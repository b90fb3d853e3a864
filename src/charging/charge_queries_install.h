#pragma once
// Puts the charge-query page into the main window: content page 6, the navigation entry
// 收费查询, the list's popup menu (修改, 作废, 导出, 打印, 重打收据) and the menu entry
// 打印 > 收据重打.
namespace shell {
class MainWindow;
}

namespace charging {

class ChargeQueryPage;

void install_charge_queries(shell::MainWindow& window);
// The installed page, or null.
ChargeQueryPage* charge_query_page();

}  // namespace charging
