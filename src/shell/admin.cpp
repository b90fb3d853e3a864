#include "shell/admin.h"

#include <QApplication>
#include <QCursor>

#include "lists/list_pages.h"
#include "lists/progress_window.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "shell/action_names.h"
#include "shell/backup_settings_window.h"
#include "shell/change_password_window.h"
#include "shell/log_page.h"
#include "shell/main_window.h"
#include "shell/operator_accounts.h"
#include "shell/operators_window.h"
#include "shell/permission_prompts.h"
#include "shell/permissions.h"
#include "shell/permissions_window.h"
#include "shell/progress_on_demand.h"
#include "shell/session.h"
#include "shell/startup.h"
#include "shell/system_parameters.h"
#include "store/backup.h"
#include "store/main_database.h"

namespace shell {

namespace {

using platform::inform;

void stop_box(const QString& text) {
    platform::message_box(text, platform::kDefaultCaption, platform::MsgIcon::Critical,
                          platform::MsgButtons::Ok);
}

// The wait cursor for the length of a file operation.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The upgrade after a file was put in place: an older backup may lack indexes that take a while
// to build on a big register.
void upgrade_showing_progress(QWidget* owner) {
    WaitCursor wait;
    ProgressOnDemand progress(owner);
    store::upgrade_database_schema(progress.callback());
}

}  // namespace

void on_menu_operator_settings(QWidget* owner, const ShowPage& show_welcome_page) {
    if (!require_administrator()) return;
    if (show_welcome_page) show_welcome_page();
    OperatorsWindow window(owner);
    platform::window_open_modal(&window);
}

QStringList offer_collector_setup(QWidget* owner) {
    platform::Connection& db = store::main_connection();
    QStringList collectors = collector_names(db);
    if (!collectors.isEmpty() || current_operator != kAdministrator) return collectors;
    if (platform::message_box(kNoCollectorHint + QStringLiteral("\n现在打开操作人员设置吗？"),
                              platform::kDefaultCaption, platform::MsgIcon::Question,
                              platform::MsgButtons::YesNo, owner) != platform::MsgResult::Yes)
        return collectors;
    OperatorsWindow window(owner);
    platform::window_open_modal(&window);
    return collector_names(db);
}

void on_menu_operator_permissions(QWidget* owner, const ShowPage& show_welcome_page) {
    if (!require_administrator()) return;
    if (show_welcome_page) show_welcome_page();
    PermissionsWindow window(owner);
    platform::window_open_modal(&window);
}

void on_menu_log_management(LogPage* page, const ShowPage& show_log_page) {
    if (!require_administrator()) return;
    if (show_log_page) show_log_page();
    if (page) page->open_log_page();
}

void on_main_nav_change_password_click(QWidget* owner, const ShowPage& show_welcome_page) {
    ChangePasswordWindow window(owner, show_welcome_page);
    platform::window_open_modal(&window);
}

void on_menu_backup_settings(QWidget* owner) {
    BackupSettingsWindow window(owner);
    platform::window_open_modal(&window);
}

void on_menu_database_management(QWidget* owner) { on_menu_backup_settings(owner); }

void on_menu_backup_database(QWidget* owner) {
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Save;
    request.place = platform::FilePlace::Backup;
    request.file_name = store::backup_file_name(platform::now());
    request.filter = kBackupFileFilter;
    const QString target = platform::common_dialog_show(request, owner);
    if (target.isEmpty()) return;
    store::ManualBackupResult result;
    {
        WaitCursor wait;
        lists::ProgressScope progress(owner);
        result = store::backup_main_database_to(target, progress.callback());
    }
    if (result.ok())
        inform(QStringLiteral("数据备份成功 ！"));
    else
        stop_box(QStringLiteral("数据备份失败！\r\n") + result.reason);
}

void on_menu_restore_database(QWidget* owner) {
    if (!require_administrator()) return;
    platform::beep();
    if (platform::ask_before_destroying(
            QStringLiteral("确认要恢复以前备份的数据吗?\r\n该操作不可逆,请慎重!"),
            platform::MsgButtons::YesNo, owner) != platform::MsgResult::Yes)
        return;
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Open;
    request.place = platform::FilePlace::Backup;
    request.filter = kBackupFileFilter;
    const QString source = platform::common_dialog_show(request, owner);
    if (source.isEmpty()) return;
    store::ReplaceOutcome outcome;
    {
        WaitCursor wait;
        lists::ProgressScope progress(owner);
        outcome = store::replace_main_database(source, progress.callback());
    }
    if (outcome != store::ReplaceOutcome::Replaced) {
        stop_box(QStringLiteral("数据恢复失败！\r\n") + store::replace_outcome_reason(outcome));
        return;
    }
    inform(QStringLiteral("数据恢复成功！\r\n为防止数据读写错误，建议重新启动系统！"));
    load_system_parameters();
    upgrade_showing_progress(owner);
}

void on_menu_system_initialise(QWidget* owner) {
    if (!require_administrator()) return;
    platform::beep();
    if (platform::ask_before_destroying(QStringLiteral("确认要初始化所有数据,恢复到安装时数据状态吗?\r\n"
                                                       "建议执行此操作前先备份数据库!"),
                                        platform::MsgButtons::OkCancel,
                                        owner) != platform::MsgResult::Ok)
        return;
    store::ReplaceOutcome outcome;
    {
        WaitCursor wait;
        lists::ProgressScope progress(owner);
        outcome = store::replace_main_database(platform::app_path(platform::kShippedDatabaseFile),
                                               progress.callback());
    }
    if (outcome != store::ReplaceOutcome::Replaced) {
        inform(QStringLiteral("数据初始化失败！\r\n") +
               store::replace_outcome_reason(outcome, store::ReplaceSource::Shipped));
        return;
    }
    upgrade_showing_progress(owner);
    // The pristine database has its own parameters: the program must not go on with the old.
    load_system_parameters();
    inform(QStringLiteral("数据初始化成功！"));
}

void install_administration(MainWindow& window) {
    auto* page = new LogPage;
    window.set_content_page_widget(kPageOperationLog, page);
    lists::wire_list_page(kPageOperationLog, page);

    MainWindow* w = &window;
    const ShowPage welcome = [w] { w->select_content_page(kPageWelcome); };
    window.register_action(action::kMenuOperatorSettings,
                           [w, welcome] { on_menu_operator_settings(w, welcome); });
    window.register_action(action::kMenuOperatorPermissions,
                           [w, welcome] { on_menu_operator_permissions(w, welcome); });
    window.register_action(action::kMenuLogManagement, [w, page] {
        on_menu_log_management(page, [w] { w->select_content_page(kPageOperationLog); });
    });
    window.register_action(action::kMainNavChangePassword,
                           [w, welcome] { on_main_nav_change_password_click(w, welcome); });
    window.register_action(action::kMenuBackupSettings,
                           [w] { on_menu_backup_settings(w); });
    window.register_action(action::kMenuBackupDatabase,
                           [w] { on_menu_backup_database(w); });
    window.register_action(action::kMenuRestoreDatabase,
                           [w] { on_menu_restore_database(w); });
    window.register_action(action::kMenuSystemInitialise,
                           [w] { on_menu_system_initialise(w); });
    set_exit_backup_action([w] {
        store::run_exit_backup([w](const auto& work) {
            WaitCursor wait;
            lists::ProgressScope progress(w);
            work(progress.callback());
        });
    });
}

}  // namespace shell
