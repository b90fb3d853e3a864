#pragma once
// The program's assembly: every subsystem puts its pages into the main window and registers
// its handlers, in folder order. Start-up runs it once the main window exists; the assembly
// test runs it on a window of its own.
namespace shell {
class MainWindow;
}

namespace app {

void assemble_program(shell::MainWindow& window);

}  // namespace app
