#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "platform/db.h"
#include "platform/files.h"
#include "shell/login_window.h"
#include "shell/main_window.h"
#include "shell/program_state.h"
#include "shell_fixture.h"
#include "store/main_database.h"

using namespace shell;
using platform::MsgIcon;
using platform::ProgramEnded;

namespace {

class LoginTest : public shell_test::ProgramStateTest {
protected:
    void SetUp() override {
        ProgramStateTest::SetUp();
        set_clock(QDateTime(QDate(2024, 3, 5), QTime(8, 30, 0)));
    }
    void add_operator(const QString& name, const QString& password, int allowed) {
        exec(QStringLiteral("insert into 收费员 (收费人员,密码,许可) values (%1,%2,%3)")
                 .arg(platform::sql_quote(name), platform::sql_quote(platform::md5_hex(password)))
                 .arg(allowed));
    }
    static QComboBox* names(LoginWindow& w) {
        return w.findChild<QComboBox*>(QStringLiteral("组合框1"));
    }
    static QLineEdit* password(LoginWindow& w) {
        return w.findChild<QLineEdit*>(QStringLiteral("密码框"));
    }
    // Picks (or types) the name, types the password and presses 确定.
    static void try_login(LoginWindow& w, const QString& name, const QString& pass) {
        names(w)->setCurrentText(name);
        password(w)->setText(pass);
        w.on_login_ok_click();
    }
    qint64 login_rows() {
        return count(QStringLiteral(
            "select count(*) from 日志管理 where 上级项目='人员信息' and 当前项目='登陆'"));
    }
};

QStringList items(QComboBox* box) {
    QStringList all;
    for (int i = 0; i < box->count(); ++i) all << box->itemText(i);
    return all;
}

}  // namespace

TEST_F(LoginTest, OffersTheAdministratorFirstThenTheOperators) {
    add_operator(QStringLiteral("张三"), QStringLiteral("abc"), 1);
    add_operator(QStringLiteral("李四"), QStringLiteral("abc"), 0);
    int welcome_pages = 0;
    LoginWindow w(nullptr, [&] { ++welcome_pages; });
    EXPECT_EQ(welcome_pages, 1);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("登陆"));
    EXPECT_EQ(items(names(w)),
              (QStringList{QStringLiteral("管理员"), QStringLiteral("张三"), QStringLiteral("李四")}));
    EXPECT_EQ(names(w)->currentText(), QStringLiteral("管理员"));
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("透明标签2"))->text(),
              QStringLiteral("初始密码：12345"));
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("透明标签3"))->text(),
              QStringLiteral("收费人员："));
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("透明标签1"))->text(),
              QStringLiteral("登陆密码："));
    EXPECT_EQ(password(w)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(w.login_failure_count(), 0);
}

TEST_F(LoginTest, WithoutAHookTheRunningMainWindowTurnsToItsWelcomePage) {
    MainWindow main;
    main.select_content_page(kPageTodaysHouseholds);
    LoginWindow w;
    EXPECT_EQ(main.content_tabs()->currentIndex(), kPageWelcome);
}

TEST_F(LoginTest, GoodPasswordSetsTheOperatorAndWritesTheLogRow) {
    LoginWindow w;
    try_login(w, QStringLiteral("管理员"), QStringLiteral("12345"));
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(current_operator, QStringLiteral("管理员"));
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(rows(QStringLiteral("select 操作人员,发生时间,上级项目,当前项目,备注 from 日志管理")),
              (QList<QStringList>{{QStringLiteral("管理员"), QStringLiteral("2024-03-05 08:30:00"),
                                   QStringLiteral("人员信息"), QStringLiteral("登陆"),
                                   QStringLiteral("进入系统")}}));
    EXPECT_TRUE(platform::db_is_open(store::main_connection()));
}

TEST_F(LoginTest, FourthPressAfterThreeWrongPasswordsEndsTheProgram) {
    LoginWindow w;
    ui.expect_box(QStringLiteral("密码错误！1"))
        .expect_box(QStringLiteral("密码错误！2"))
        .expect_box(QStringLiteral("密码错误！3"))
        .expect_box(QStringLiteral("您连续三次输入错误密码程序将退出！"));
    for (int i = 1; i <= 3; ++i) {
        try_login(w, QStringLiteral("管理员"), QStringLiteral("wrong"));
        EXPECT_EQ(w.login_failure_count(), i);
        EXPECT_TRUE(password(w)->text().isEmpty());
    }
    // The right password no longer helps.
    EXPECT_THROW(try_login(w, QStringLiteral("管理员"), QStringLiteral("12345")), ProgramEnded);
    ASSERT_EQ(ui.boxes().size(), 4u);
    EXPECT_EQ(ui.boxes()[0].text, QStringLiteral("密码错误！1"));
    EXPECT_EQ(ui.boxes()[0].icon, MsgIcon::Information);
    EXPECT_EQ(ui.boxes()[3].icon, MsgIcon::Critical);
    EXPECT_EQ(ui.exit_code(), 0);
    EXPECT_TRUE(current_operator.isEmpty());
    EXPECT_FALSE(platform::db_is_open(store::main_connection()));
}

TEST_F(LoginTest, TwoWrongPasswordsThenTheRightOneLogsIn) {
    add_operator(QStringLiteral("张三"), QStringLiteral("abc"), 1);
    LoginWindow w;
    ui.expect_box(QStringLiteral("密码错误！1")).expect_box(QStringLiteral("密码错误！2"));
    try_login(w, QStringLiteral("张三"), QStringLiteral("ab"));
    try_login(w, QStringLiteral("张三"), QStringLiteral("abc "));
    try_login(w, QStringLiteral("张三"), QStringLiteral("abc"));
    EXPECT_EQ(current_operator, QStringLiteral("张三"));
    EXPECT_EQ(login_rows(), 1);
}

TEST_F(LoginTest, NoRowOrNoPermitRefusesWithoutCounting) {
    add_operator(QStringLiteral("李四"), QStringLiteral("abc"), 0);
    exec(QStringLiteral("delete from 收费员 where 收费人员='管理员'"));
    LoginWindow w;
    EXPECT_EQ(names(w)->itemText(0), QStringLiteral("管理员"));  // offered all the same
    for (int i = 0; i < 4; ++i) ui.expect_box(QStringLiteral("您没有得到授权!"));
    try_login(w, QStringLiteral("管理员"), QStringLiteral("12345"));
    try_login(w, QStringLiteral("管理员"), QStringLiteral("12345"));
    try_login(w, QStringLiteral("李四"), QStringLiteral("abc"));
    try_login(w, QStringLiteral("无此人"), QStringLiteral("abc"));
    EXPECT_EQ(w.login_failure_count(), 0);
    EXPECT_EQ(ui.boxes()[0].icon, MsgIcon::Information);
    EXPECT_TRUE(current_operator.isEmpty());
    EXPECT_EQ(login_rows(), 0);
}

TEST_F(LoginTest, DigestComparisonIsExact) {
    exec(QStringLiteral("update 收费员 set 密码=upper(密码) where 收费人员='管理员'"));
    add_operator(QStringLiteral("空"), QString(), 1);
    LoginWindow w;
    ui.expect_box(QStringLiteral("密码错误！1")).expect_box(QStringLiteral("密码错误！2"));
    try_login(w, QStringLiteral("管理员"), QStringLiteral("12345"));
    // An empty password is digested like any other text.
    try_login(w, QStringLiteral("空"), QStringLiteral(" "));
    try_login(w, QStringLiteral("空"), QString());
    EXPECT_EQ(current_operator, QStringLiteral("空"));
}

TEST_F(LoginTest, TypedNamesWithQuotesAreLookedUpAsNames) {
    add_operator(QStringLiteral("O'Brien"), QStringLiteral("pw"), 1);
    {
        LoginWindow w;
        // A name built to match every row finds none.
        ui.expect_box(QStringLiteral("您没有得到授权!"));
        try_login(w, QStringLiteral("x' or '1'='1"), QStringLiteral("12345"));
        EXPECT_EQ(ui.boxes().size(), 1u);
        try_login(w, QStringLiteral("O'Brien"), QStringLiteral("pw"));
    }
    EXPECT_EQ(current_operator, QStringLiteral("O'Brien"));
    EXPECT_EQ(value(QStringLiteral("select 操作人员 from 日志管理")), QStringLiteral("O'Brien"));
}

TEST_F(LoginTest, LogFailureIsReportedButTheLoginStands) {
    exec(QStringLiteral("drop table 日志管理"));
    LoginWindow w;
    ui.expect_box(QStringLiteral("添加日志失败！"));
    try_login(w, QStringLiteral("管理员"), QStringLiteral("12345"));
    EXPECT_EQ(ui.boxes().back().icon, MsgIcon::Information);
    EXPECT_EQ(current_operator, QStringLiteral("管理员"));
    EXPECT_EQ(w.result(), QDialog::Accepted);
}

TEST_F(LoginTest, CancelCloseAndEscapeEndTheProgram) {
    using Handler = void (*)(LoginWindow&);
    const Handler ways[] = {
        [](LoginWindow& w) { w.on_login_cancel_click(); },
        [](LoginWindow& w) { w.findChild<QPushButton*>(QStringLiteral("取消按钮"))->click(); },
        [](LoginWindow& w) { w.on_login_window_close(); },
        [](LoginWindow& w) { static_cast<QDialog&>(w).reject(); },
    };
    for (const Handler way : ways) {
        ASSERT_TRUE(store::reopen_main_database());
        UiScript script;
        LoginWindow w;
        EXPECT_THROW(way(w), ProgramEnded);
        EXPECT_EQ(script.exit_code(), 0);
        EXPECT_FALSE(platform::db_is_open(store::main_connection()));
        EXPECT_TRUE(current_operator.isEmpty());
    }
}
