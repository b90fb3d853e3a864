#pragma once
// Puts the charging windows into the main window: the navigation entries 窗口收费, 磁卡收费 and
// 批量收费 of the 收费管理 group and the hot keys F8 and F9.
namespace shell {
class MainWindow;
}

namespace charging {

void install(shell::MainWindow& window);

}  // namespace charging
