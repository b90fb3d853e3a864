// Start-up and shutdown: the single-instance lock, the creation steps of the main window in
// their order and with their failures, and the close question with what it leaves behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <memory>

#include "harness/fixture.h"
#include "lists/progress_window.h"
#include "platform/db.h"
#include "platform/files.h"
#include "shell/login_window.h"
#include "shell/main_window.h"
#include "shell/program_state.h"
#include "shell/skin.h"
#include "shell/startup.h"
#include "shell_fixture.h"
#include "store/main_database.h"

namespace {

using platform::MsgIcon;
using platform::MsgResult;

// Takes the instance lock the way another running instance holds it; -1 when it cannot.
int hold_lock(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// What the progress windows showed: how many opened, and each one's bar as it closed.
class ProgressWindowWatch : public QObject {
public:
    ProgressWindowWatch() { QCoreApplication::instance()->installEventFilter(this); }
    ~ProgressWindowWatch() override { QCoreApplication::instance()->removeEventFilter(this); }
    int shown = 0;
    QList<std::pair<int, int>> closed;  // (value, maximum)

    bool eventFilter(QObject* object, QEvent* event) override {
        auto* window = qobject_cast<lists::ProgressWindow*>(object);
        if (window && event->type() == QEvent::Show) ++shown;
        if (window && event->type() == QEvent::Hide)
            closed.append({window->progress_bar()->value(), window->progress_bar()->maximum()});
        return false;
    }
};

// The program folder as the start-up finds it: database closed, nobody logged in, and the
// instance lock in a folder of the test's own.
class StartupTest : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        store::close_main_database();
        shell::init_program_variables();
        ASSERT_TRUE(lock_folder_.isValid());
        shell::set_instance_lock_folder_for_tests(lock_folder_.path());
    }

    void TearDown() override {
        shell::set_exit_backup_action({});
        shell::set_instance_lock_folder_for_tests(QString());
        shell::skin_reset();
        shell::free_program_variables();
        ProgramFolderTest::TearDown();
    }

    // The operator logs in through the real login window as 管理员 with the shipped password.
    void script_login(const QString& password = QStringLiteral("12345")) {
        ui.on_modal(QStringLiteral("shell::LoginWindow"), [password](QDialog* dialog) {
            auto* login = static_cast<shell::LoginWindow*>(dialog);
            dialog->findChild<QComboBox*>(QStringLiteral("组合框1"))
                ->setCurrentText(QStringLiteral("管理员"));
            dialog->findChild<QLineEdit*>(QStringLiteral("密码框"))->setText(password);
            login->on_login_ok_click();
            return dialog->result();
        });
    }

    void script_tips_window(shell::MainWindow* expected_owner) {
        ui.on_modal(QStringLiteral("shell::NavigationTipsWindow"),
                    [this, expected_owner](QDialog* dialog) {
                        tips_owner_ = dialog->parentWidget();
                        tips_seen_visible_owner_ = expected_owner->isVisible();
                        return int(QDialog::Accepted);
                    });
        tips_expected_owner_ = expected_owner;
    }

    QTemporaryDir lock_folder_;
    QWidget* tips_owner_ = nullptr;
    QWidget* tips_expected_owner_ = nullptr;
    bool tips_seen_visible_owner_ = false;
};

TEST_F(StartupTest, SecondInstanceIsRefusedBeforeTheDatabaseIsTouched) {
    const int other_instance = hold_lock(shell::instance_lock_path());
    ASSERT_GE(other_instance, 0);
    const QDateTime database_time = QFileInfo(path(platform::kMainDatabaseFile)).lastModified();

    shell::MainWindow window;
    ui.expect_box(QStringLiteral("收费系统已运行!"));
    EXPECT_THROW(shell::on_main_window_created(window), platform::ProgramEnded);
    ::close(other_instance);

    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].icon, MsgIcon::Warning);
    EXPECT_EQ(ui.exit_code(), 0);
    EXPECT_FALSE(platform::db_is_open(store::main_connection()));
    EXPECT_EQ(QFileInfo(path(platform::kMainDatabaseFile)).lastModified(), database_time);
    EXPECT_TRUE(ui.modal_windows().isEmpty()) << "no login window";
    EXPECT_FALSE(window.isVisible());
}

TEST_F(StartupTest, LockDiesWithTheProcessThatHeldIt) {
    const QString flock = QStandardPaths::findExecutable(QStringLiteral("flock"));
    if (flock.isEmpty()) GTEST_SKIP() << "flock(1) is not installed";
    const QString lock = shell::instance_lock_path();

    // A first instance in another process: it prints once it holds the lock and then waits.
    QProcess first;
    first.start(flock, {QStringLiteral("-n"), QStringLiteral("-o"), lock, QStringLiteral("-c"),
                        QStringLiteral("echo held; exec cat")});
    ASSERT_TRUE(first.waitForReadyRead(10000));
    EXPECT_TRUE(shell::is_another_instance_running());

    first.kill();
    ASSERT_TRUE(first.waitForFinished(10000));
    first.closeWriteChannel();
    EXPECT_FALSE(shell::is_another_instance_running())
        << "a killed instance must not block a start";
    EXPECT_FALSE(shell::is_another_instance_running()) << "asking again from the instance itself";

    // This process holds it now: another start is refused.
    QProcess second;
    second.start(flock, {QStringLiteral("-n"), lock, QStringLiteral("true")});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_NE(second.exitCode(), 0);
}

TEST_F(StartupTest, MissingDatabaseEndsTheProgramWithoutCreatingIt) {
    ASSERT_TRUE(QFile::remove(path(platform::kMainDatabaseFile)));

    shell::MainWindow window;
    ui.expect_box(QStringLiteral("数据连接失败!"));
    EXPECT_THROW(shell::on_main_window_created(window), platform::ProgramEnded);

    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].icon, MsgIcon::Information);
    EXPECT_EQ(ui.exit_code(), 0);
    EXPECT_FALSE(QFile::exists(path(platform::kMainDatabaseFile)));
    EXPECT_TRUE(ui.modal_windows().isEmpty());
    EXPECT_FALSE(window.isVisible());
}

TEST_F(StartupTest, CancelledLoginEndsTheProgramBeforeTheWindowShows) {
    ui.on_modal(QStringLiteral("shell::LoginWindow"), [](QDialog* dialog) {
        static_cast<shell::LoginWindow*>(dialog)->on_login_cancel_click();
        return int(QDialog::Rejected);
    });
    shell::MainWindow window;
    EXPECT_THROW(shell::on_main_window_created(window), platform::ProgramEnded);
    EXPECT_EQ(ui.exit_code(), 0);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.hot_keys_registered());
    EXPECT_TRUE(shell::current_operator.isEmpty());
}

TEST_F(StartupTest, FirstStartBringsTheWindowUpAndShowsTheTips) {
    // A fresh pz.ini: no 导航命令 section, no pane width.
    shell::MainWindow window;
    script_login();
    script_tips_window(&window);
    shell::on_main_window_created(window);

    EXPECT_EQ(ui.modal_windows(), QStringList({QStringLiteral("shell::LoginWindow"),
                                               QStringLiteral("shell::NavigationTipsWindow")}));
    EXPECT_EQ(tips_owner_, &window);
    EXPECT_TRUE(tips_seen_visible_owner_) << "the tips come after the window is shown";
    EXPECT_TRUE(ui.box_texts().isEmpty());

    EXPECT_EQ(shell::current_operator, QStringLiteral("管理员"));
    EXPECT_TRUE(platform::db_is_open(store::main_connection()));
    EXPECT_EQ(store::schema_version(), store::kCurrentSchemaVersion);
    EXPECT_EQ(window.windowTitle(),
              value(QStringLiteral("select 文本 from pz where 项目名称='单位信息'")) +
                  QStringLiteral("收费系统"));
    EXPECT_EQ(window.status_panel_texts(),
              QStringList({QStringLiteral("当前版本：1.3"), QStringLiteral("当前用户：管理员")}));
    const QList<QLabel*> panels = window.statusBar()->findChildren<QLabel*>();
    ASSERT_EQ(panels.size(), 2);
    for (const QLabel* panel : panels) {
        EXPECT_EQ(panel->minimumWidth(), 200);
        EXPECT_EQ(panel->maximumWidth(), 200);
    }
    EXPECT_EQ(shell::household_form_source, QStringLiteral("假"));

    EXPECT_TRUE(window.hot_keys_registered());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_TRUE(window.navigation_tabs()->isVisible());
    EXPECT_TRUE(window.content_tabs()->isVisible());
    EXPECT_EQ(window.navigation_tabs()->currentIndex(), shell::kNavHouseholds);
    EXPECT_EQ(window.content_tabs()->currentIndex(), shell::kPageWelcome);

    // The first layout: default width stored, arrow in the collapsed-state picture.
    EXPECT_EQ(window.navigation_pane_width(), shell::kDefaultPaneWidth);
    EXPECT_EQ(platform::ini_read_text(shell::kSplitterSection, shell::kSplitterKey),
              QStringLiteral("210"));
    EXPECT_FALSE(window.arrow_shows_open_state());

    // Logged in: the login row is there.
    EXPECT_EQ(count(QStringLiteral("select count(*) from 日志管理 where 当前项目='登陆'")), 1);
}

TEST_F(StartupTest, StartUpFollowsTheSettingsFile) {
    ASSERT_TRUE(platform::ini_write_text(QStringLiteral("导航命令"), QStringLiteral("提示"),
                                         QStringLiteral("假")));
    ASSERT_TRUE(platform::ini_write_text(shell::kSplitterSection, shell::kSplitterKey,
                                         QStringLiteral("0")));
    shell::MainWindow window;
    script_login();
    ProgressWindowWatch watch;
    shell::on_main_window_created(window);

    EXPECT_EQ(ui.modal_windows(), QStringList({QStringLiteral("shell::LoginWindow")}))
        << "no tips window";
    EXPECT_EQ(watch.shown, 0) << "nothing to build, no progress window";
    EXPECT_EQ(window.navigation_pane_width(), 0);
    EXPECT_EQ(window.navigation_tabs()->width(), 0);
    EXPECT_FALSE(window.arrow_shows_open_state());
}

// The first start after an upgrade on a big register builds the indexes the database lacks: the
// progress window stands meanwhile and counts them; a start with nothing to build shows none.
TEST_F(StartupTest, BuildingMissingIndexesShowsTheProgressWindow) {
    {
        platform::Connection db;
        ASSERT_TRUE(platform::db_open_access_file(db, path(platform::kMainDatabaseFile)));
        for (const char* index : {"总收费_收费日期金额", "抄表总表_抄表日期父号"})
            ASSERT_TRUE(
                platform::db_execute(db, QStringLiteral("DROP INDEX ") + QString::fromUtf8(index)));
    }
    shell::MainWindow window;
    script_login();
    script_tips_window(&window);
    ProgressWindowWatch watch;
    shell::on_main_window_created(window);
    EXPECT_EQ(watch.shown, 1);
    EXPECT_EQ(watch.closed, (QList<std::pair<int, int>>{{2, 2}}));
    EXPECT_EQ(count(QStringLiteral("select count(*) from sqlite_master where name in "
                                   "('总收费_收费日期金额','抄表总表_抄表日期父号')")),
              2);
}

// ---- closing ----------------------------------------------------------------------------------

struct ClosePath {
    const char* name;  // test name suffix
    void (*close)(shell::MainWindow&);
};

// The close box, the menu entry 退出 and the navigation entry 系统设置4_退出 behave alike.
const ClosePath kClosePaths[] = {
    {"CloseBox", [](shell::MainWindow& w) { w.close(); }},
    {"Menu",
     [](shell::MainWindow& w) { w.findChild<QAction*>(QStringLiteral("菜单_退出"))->trigger(); }},
    {"NavigationEntry",
     [](shell::MainWindow& w) {
         w.findChild<QPushButton*>(QStringLiteral("系统设置4_退出"))->click();
     }},
};

class CloseFixture : public shell_test::ProgramStateTest {
protected:
    void SetUp() override {
        ProgramStateTest::SetUp();
        shell::current_operator = QStringLiteral("管理员");
        window_ = std::make_unique<shell::MainWindow>();
        window_->show();
        shell::set_exit_backup_action([this] {
            ++backups_;
            backup_saw_open_database_ = platform::db_is_open(store::main_connection());
        });
    }
    void TearDown() override {
        window_.reset();
        shell::set_exit_backup_action({});
        ProgramStateTest::TearDown();
    }

    qint64 exit_rows() {
        return count(QStringLiteral("select count(*) from 日志管理 where 当前项目='退出'"));
    }

    std::unique_ptr<shell::MainWindow> window_;
    int backups_ = 0;
    bool backup_saw_open_database_ = true;
};

class CloseTest : public CloseFixture, public ::testing::WithParamInterface<ClosePath> {};

TEST_P(CloseTest, NoKeepsEverythingOpen) {
    ui.expect_box(QStringLiteral("程序即将退出，确定关闭吗？"), MsgResult::No);
    GetParam().close(*window_);

    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].icon, MsgIcon::Question);
    EXPECT_EQ(ui.boxes()[0].buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(ui.beep_count(), 1);
    EXPECT_FALSE(ui.exit_code().has_value());
    EXPECT_TRUE(window_->isVisible());
    EXPECT_TRUE(platform::db_is_open(store::main_connection()));
    EXPECT_EQ(exit_rows(), 0);
    EXPECT_EQ(backups_, 0);
}

TEST_P(CloseTest, YesLogsClosesTheDatabaseBacksUpAndEnds) {
    platform::set_exit_cleanup(&shell::on_program_exit);
    ui.expect_box(QStringLiteral("程序即将退出，确定关闭吗？"), MsgResult::Yes);
    GetParam().close(*window_);

    EXPECT_EQ(ui.box_texts(), QStringList({QStringLiteral("程序即将退出，确定关闭吗？")}));
    EXPECT_EQ(ui.exit_code(), 0);
    EXPECT_FALSE(platform::db_is_open(store::main_connection()));
    EXPECT_EQ(backups_, 1);
    EXPECT_FALSE(backup_saw_open_database_) << "the backup copies a closed database";
    EXPECT_EQ(shell::page_setup_object, nullptr) << "the exit clean-up ran";

    reopen();
    EXPECT_EQ(rows(QStringLiteral(
                  "select 操作人员, 上级项目, 当前项目, 备注 from 日志管理 where 当前项目='退出'")),
              QList<QStringList>({{QStringLiteral("管理员"), QStringLiteral("人员信息"),
                                   QStringLiteral("退出"), QStringLiteral("退出系统。")}}));
}

INSTANTIATE_TEST_SUITE_P(ClosePaths, CloseTest, ::testing::ValuesIn(kClosePaths),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CloseFixture, FailedLogRowIsReportedAndClosingGoesOn) {
    exec(QStringLiteral("drop table 日志管理"));
    ui.expect_box(QStringLiteral("程序即将退出，确定关闭吗？"), MsgResult::Yes)
        .expect_box(QStringLiteral("添加日志失败！"));
    EXPECT_THROW(window_->on_menu_exit(), platform::ProgramEnded);
    EXPECT_EQ(ui.boxes().at(1).icon, MsgIcon::Information);
    EXPECT_EQ(ui.exit_code(), 0);
    EXPECT_FALSE(platform::db_is_open(store::main_connection()));
    EXPECT_EQ(backups_, 1);
}

}  // namespace
