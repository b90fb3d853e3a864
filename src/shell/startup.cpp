#include "shell/startup.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>
#include <cerrno>
#include <cfenv>
#include <memory>

#include "platform/dialogs.h"
#include "platform/files.h"
#include "shell/crash_catcher.h"
#include "shell/login_window.h"
#include "shell/main_window.h"
#include "shell/operation_log.h"
#include "shell/program_state.h"
#include "shell/progress_on_demand.h"
#include "shell/settings_keys.h"
#include "shell/skin.h"
#include "shell/system_parameters.h"
#include "shell/tips_window.h"
#include "store/backup.h"
#include "store/main_database.h"

namespace shell {

namespace {

std::function<void()>& exit_backup_action() {
    static std::function<void()> action;
    return action;
}

struct InstanceLock {
    QString folder_override;
    QString held_path;  // the lock file this process holds, empty when none
    int descriptor = -1;

    void release() {
        if (descriptor >= 0) ::close(descriptor);
        descriptor = -1;
        held_path.clear();
    }
};

InstanceLock& instance_lock() {
    static InstanceLock lock;
    return lock;
}

void info_box(const QString& text) {
    platform::message_box(text, platform::kDefaultCaption, platform::MsgIcon::Information);
}

}  // namespace

// ---- single instance --------------------------------------------------------------------------

QString instance_lock_path() {
    QString folder = instance_lock().folder_override;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (name.isEmpty()) name = QStringLiteral("feeoffice");
    return folder + QLatin1Char('/') + name + QStringLiteral(".lock");
}

void set_instance_lock_folder_for_tests(const QString& folder) {
    instance_lock().release();
    instance_lock().folder_override = folder;
}

bool is_another_instance_running() {
    InstanceLock& lock = instance_lock();
    const QString path = instance_lock_path();
    if (lock.descriptor >= 0 && lock.held_path == path) return false;  // this process is the one
    lock.release();
    QDir().mkpath(QFileInfo(path).absolutePath());
    // An advisory lock on an open file: the kernel drops it when the process ends, however it
    // ends, so a killed instance never blocks the next start. Close-on-exec keeps programs
    // started from here (calculator, editor) from inheriting it.
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // A lock that cannot even be tried (no writable folder) cannot say another instance runs.
    if (descriptor < 0) return false;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const bool held_elsewhere = errno == EWOULDBLOCK;
        ::close(descriptor);
        return held_elsewhere;
    }
    lock.descriptor = descriptor;
    lock.held_path = path;
    return false;
}

// ---- start-up ---------------------------------------------------------------------------------

void on_program_exit() {
    free_program_variables();
    free_hook_tables();
}

void program_startup(const std::function<void(MainWindow&)>& install_subsystems) {
    std::fesetenv(FE_DFL_ENV);
    platform::report_database_errors_in_boxes();
    init_program_variables();
    platform::set_exit_cleanup(&on_program_exit);
    init_exception_catcher();

    // The main window decides when the program ends; no window closing ends it behind its back.
    QApplication::setQuitOnLastWindowClosed(false);
    auto window = std::make_unique<MainWindow>();
    if (install_subsystems) install_subsystems(*window);
    on_main_window_created(*window);
    QApplication::exec();

    // The event loop ended without the close question (the session ending, say).
    window.reset();
    platform::end_program(0);
}

void on_main_window_created(MainWindow& window) {
    // Nothing of the main window shows before the login is through.
    window.hide();
    // One running program per program folder.
    if (is_another_instance_running()) {
        platform::message_box(QStringLiteral("收费系统已运行!"), platform::kDefaultCaption,
                              platform::MsgIcon::Warning);
        platform::end_program(0);
    }
    // The skin first, so the login window wears it.
    load_skin_settings();
    // What a killed restore or initialisation left beside the database goes first, and the
    // part files of backups killed half-way.
    store::clean_replacement_leftovers();
    store::clean_backup_leftovers();
    // No program without its database.
    if (!store::open_main_database()) {
        info_box(QStringLiteral("数据连接失败!"));
        platform::end_program(0);
    }
    // The main window's record sets on the connection just opened.
    store::bind_main_record_sets();
    // The login window ends the program itself when the operator does not get in.
    {
        LoginWindow login(nullptr, [&window] { window.select_content_page(kPageWelcome); });
        platform::window_open_modal(&login);
    }
    // Whatever closed the login window, nobody works without an operator.
    if (current_operator.isEmpty()) {
        store::close_main_database();
        platform::end_program(0);
    }
    // Both tab bars stay hidden while the window is put together; the welcome page first.
    window.navigation_tabs()->hide();
    window.content_tabs()->hide();
    window.select_content_page(kPageWelcome);
    // The parameters every subsystem reads.
    load_system_parameters();
    // An older database is brought to the current schema. Building the indexes a big register
    // lacks takes a while: the progress window stands meanwhile.
    {
        ProgressOnDemand progress(&window);
        store::upgrade_database_schema(progress.callback());
    }
    // The title names the organisation.
    window.setWindowTitle(system_parameters.organisation_name + QStringLiteral("收费系统"));
    // Version and operator in the status bar.
    window.add_status_panel(QStringLiteral("当前版本：1.3"), 200);
    window.add_status_panel(QStringLiteral("当前用户：") + current_operator, 200);
    // The household form opens from the list of today's households until a query says otherwise.
    household_form_source = QStringLiteral("假");
    // F3 to F9.
    window.register_hot_keys();
    // The household group first, then both tab bars shown.
    window.select_navigation_page(kNavHouseholds);
    window.navigation_tabs()->show();
    window.content_tabs()->show();
    // Maximised. The screen's working area is also the window's normal size, so the window fills the
    // screen where no window manager carries out the maximise request.
    if (const QScreen* screen = window.screen()) window.setGeometry(screen->availableGeometry());
    window.setWindowState(window.windowState() | Qt::WindowMaximized);
    // The navigation pane at its stored width.
    window.layout_navigation_bar();
    // Shown and given the focus.
    window.show();
    window.activateWindow();
    window.setFocus();
    // The navigation tips, unless the operator switched them off.
    if (tips_shown_at_startup()) {
        NavigationTipsWindow tips(&window);
        platform::window_open_modal(&tips);
    }
}

// ---- shutdown ---------------------------------------------------------------------------------

bool on_main_query_close() {
    platform::beep();
    if (platform::message_box(QStringLiteral("程序即将退出，确定关闭吗？"),
                              platform::kDefaultCaption, platform::MsgIcon::Question,
                              platform::MsgButtons::YesNo,
                              main_window()) != platform::MsgResult::Yes)
        return false;
    if (!write_operation_log(QStringLiteral("人员信息"), QStringLiteral("退出"),
                             QStringLiteral("退出系统。")))
        info_box(QStringLiteral("添加日志失败！"));
    store::close_main_database();
    // The backup is taken once the program's own connection is closed.
    if (const std::function<void()> backup = exit_backup_action()) backup();
    platform::end_program(0);
}

void on_main_destroy(MainWindow& window) { window.unregister_hot_keys(); }

void set_exit_backup_action(std::function<void()> action) {
    exit_backup_action() = std::move(action);
}

}  // namespace shell
