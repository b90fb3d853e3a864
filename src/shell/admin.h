#pragma once
// Administration: operators and passwords, permission settings, the operation-log page, and
// backup, restore and initialisation of the main database. install_administration() puts the
// log page into the main window's content page 12, registers the handlers below under their
// menu and navigation names, and installs the automatic backup at exit.
//
// The handlers are free functions so that tests drive them without a main window; the main
// window's part (owner of the modal windows, page selection) comes in as arguments.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace shell {

class LogPage;
class MainWindow;

// Call once at start-up, after the main window exists (from program_startup's
// install_subsystems callback):
//   content page 12 <- LogPage (wired to the list pages' shared buttons);
//   on_menu_operator_settings, on_menu_operator_permissions, on_menu_log_management,
//   on_main_nav_change_password_click (系统设置4_密码), on_menu_backup_settings,
//   on_menu_backup_database, on_menu_restore_database, on_menu_system_initialise;
//   set_exit_backup_action(store::run_exit_backup under the progress window).
void install_administration(MainWindow& window);

// A page selection of the main window (select_content_page with a fixed page), or nothing.
using ShowPage = std::function<void()>;

// 操作人员设置 (administrator only): the welcome page, then OperatorsWindow modally.
void on_menu_operator_settings(QWidget* owner = nullptr, const ShowPage& show_welcome_page = {});
// When the administrator opens a window that takes money and no collector exists yet: says so
// once and offers the operators window right away. Returns the collectors there are afterwards.
QStringList offer_collector_setup(QWidget* owner = nullptr);
// 操作人员权限设置 (administrator only): the welcome page, then PermissionsWindow modally.
void on_menu_operator_permissions(QWidget* owner = nullptr, const ShowPage& show_welcome_page = {});
// 日志管理 (administrator only): shows page 12 and lays out the log list's columns, no rows.
void on_menu_log_management(LogPage* page, const ShowPage& show_log_page = {});
// 系统设置4_密码: ChangePasswordWindow modally, for every operator.
void on_main_nav_change_password_click(QWidget* owner = nullptr,
                                       const ShowPage& show_welcome_page = {});
// 数据库备份设置: BackupSettingsWindow modally.
void on_menu_backup_settings(QWidget* owner = nullptr);
// The header of the submenu 数据库管理: the same window.
void on_menu_database_management(QWidget* owner = nullptr);
// 数据库备份: a save dialog proposing the name of now; the backup (a checked snapshot of the
// database, store::backup_main_database_to) is written under the progress window.
void on_menu_backup_database(QWidget* owner = nullptr);
// 数据库恢复 (administrator only): asks, takes a backup file from an open dialog and puts it in
// place of the database (store::replace_main_database, which refuses a damaged file); then the
// system parameters are reloaded and the schema upgraded. The check and the upgrade show the
// progress window.
void on_menu_restore_database(QWidget* owner = nullptr);
// 系统初始化 (administrator only): asks (OK/Cancel) and puts the shipped database bak/data.bak
// in place of the database; then the schema is upgraded and the system parameters reloaded.
void on_menu_system_initialise(QWidget* owner = nullptr);

// The filter of the backup and restore dialogs.
inline const QString kBackupFileFilter = QStringLiteral("Access文件|*.mdb");

}  // namespace shell
