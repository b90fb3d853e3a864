#pragma once
// The navigation entry 抄表管理1_生成物业费: the month's property-fee readings, then the monthly
// page with the batch.
namespace shell {
class MainWindow;
}

namespace reading {

// Needs "手动抄表"; shows the welcome page and the notice, generates with the progress window,
// then shows page 5 filled with the batch.
void on_main_nav_generate_property_fee_click(shell::MainWindow* window);

}  // namespace reading
