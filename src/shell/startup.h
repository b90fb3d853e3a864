#pragma once
// The life of the process: what exists before any window, the order in which the main window
// brings the system up, how closing it takes the system down, and the single-instance rule.
#include <QString>
#include <functional>

namespace shell {

class MainWindow;

// The process entry after the application object exists: program-wide objects, the exit
// clean-up, the crash catcher, the main window (created hidden; `install_subsystems` then puts
// the subsystems' pages and handlers into it), its creation steps, the event loop. Never
// returns: every way out ends the program with exit code 0 through platform::end_program,
// after the exit clean-up.
[[noreturn]] void program_startup(const std::function<void(MainWindow&)>& install_subsystems = {});

// The exit clean-up: frees the program-wide objects, then the crash catcher's tables.
void on_program_exit();

// The main window's creation steps, in order: single instance, skin, database, login,
// parameters, schema upgrade, title, status bar, hot keys, layout, show, tips window.
// Ends the program when another instance runs, the database cannot be opened or the login
// does not let the operator in.
void on_main_window_created(MainWindow& window);

// The close question. Returns false when the operator keeps the program running; on Yes it
// writes the log row, closes the database, runs the automatic-backup hook and ends the program.
bool on_main_query_close();

// The main window going away: its hot keys go with it.
void on_main_destroy(MainWindow& window);

// The automatic backup at exit, run after the database is closed. Set by the backup module.
void set_exit_backup_action(std::function<void()> action);

// ---- single instance ----
// True when another running instance holds the lock. Otherwise this process takes it (unless
// it holds it already) and keeps it until it ends; the system drops it with the process, even
// when the process is killed. The lock is a file named after the executable in the user's
// runtime folder.
bool is_another_instance_running();
QString instance_lock_path();
// Tests put the lock into a folder of their own; an empty folder restores the runtime folder.
// Any lock this process holds is given up.
void set_instance_lock_folder_for_tests(const QString& folder);

}  // namespace shell
