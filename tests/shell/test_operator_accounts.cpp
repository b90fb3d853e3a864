// Adding and renaming operators without the form: refusals, the grant rows that come and go
// with the name, all or nothing.
#include <gtest/gtest.h>

#include "platform/convert.h"
#include "platform/files.h"
#include "platform/query.h"
#include "shell/operator_accounts.h"
#include "shell/session.h"
#include "shell_fixture.h"
#include "store/main_database.h"

namespace {

using shell::OperatorField;

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

class OperatorAccounts : public shell_test::ProgramStateTest {
protected:
    void SetUp() override {
        ProgramStateTest::SetUp();
        shell::current_operator = s("管理员");
    }
    platform::Connection& db() { return store::main_connection(); }
    qint64 grants(const char* name) {
        return count(s("select count(*) from 权限管理 where 人员姓名='") + s(name) + u'\'');
    }
};

TEST_F(OperatorAccounts, RefusalsOfBothModes) {
    ASSERT_TRUE(shell::add_operator(db(), s("张三"), s("1"), true).saved);
    struct Case {
        const char* what;
        bool modify;
        const char* name;
        const char* password;
        const char* message;
        OperatorField focus;
    } cases[] = {
        {"blank name", false, "  ", "1", "操作人员不能为空！", OperatorField::Name},
        {"no password", false, "李四", "", "密码不能为空！", OperatorField::Password},
        {"name in use, blanks around it", false, " 管理员 ", "1", "待添加的操作人员名称重复!",
         OperatorField::Name},
        {"rename onto another operator", true, "管理员", "1", "待添加的操作人员名称重复!",
         OperatorField::Name},
    };
    for (const Case& c : cases) {
        const auto outcome =
            c.modify ? shell::modify_operator(db(), s("张三"), s(c.name), s(c.password), true)
                     : shell::add_operator(db(), s(c.name), s(c.password), true);
        EXPECT_FALSE(outcome.saved) << c.what;
        EXPECT_FALSE(outcome.close_form) << c.what;
        EXPECT_EQ(outcome.focus, c.focus) << c.what;
        ASSERT_EQ(outcome.messages.size(), 1) << c.what;
        EXPECT_EQ(outcome.messages[0].text, s(c.message)) << c.what;
    }
    EXPECT_EQ(count(s("select count(*) from 收费员")), 2);
}

TEST_F(OperatorAccounts, AnOperatorComesAndIsRenamedWithItsGrantRows) {
    const qint64 items = count(s("select count(*) from 权限项目 where 首项=0"));
    ASSERT_GT(items, 0);
    auto outcome = shell::add_operator(db(), s(" 张三 "), s("pw"), false);
    EXPECT_TRUE(outcome.saved);
    EXPECT_TRUE(outcome.close_form);
    ASSERT_FALSE(outcome.messages.isEmpty());
    EXPECT_EQ(outcome.messages[0].text,
              s("添加成功，请在菜单“基本设置 → 操作人员管理 → 操作人员权限设置”中分配权限！"));
    EXPECT_EQ(rows(s("select 收费人员,密码,许可 from 收费员 where 收费人员='张三'")),
              (QList<QStringList>{{s("张三"), platform::md5_hex(s("pw")), s("0")}}));
    EXPECT_EQ(grants("张三"), items);
    EXPECT_EQ(count(s("select count(*) from 权限管理 where 人员姓名='张三' and 权限标识<>0")), 0);

    // Its own name is no duplicate.
    outcome = shell::modify_operator(db(), s("张三"), s("张三"), s("new"), true);
    EXPECT_TRUE(outcome.saved);
    outcome = shell::modify_operator(db(), s("张三"), s("王五"), s("new"), true);
    EXPECT_TRUE(outcome.saved);
    ASSERT_FALSE(outcome.messages.isEmpty());
    EXPECT_EQ(outcome.messages.last().text, s("修改成功!"));
    EXPECT_EQ(grants("张三"), 0);
    EXPECT_EQ(grants("王五"), items);
    EXPECT_EQ(value(s("select 许可 from 收费员 where 收费人员='王五'")), s("1"));
}

TEST_F(OperatorAccounts, AFailedGrantRowLeavesNoOperatorAndAFailedRenameNoHalf) {
    exec(
        s("CREATE TRIGGER 拒绝 BEFORE INSERT ON 权限管理 WHEN new.当前项目=(select max(项目名称) "
          "from 权限项目 where 首项=0) BEGIN SELECT RAISE(ABORT,'refused'); END"));
    auto outcome = shell::add_operator(db(), s("张三"), s("1"), true);
    EXPECT_FALSE(outcome.saved);
    EXPECT_FALSE(outcome.close_form);
    ASSERT_EQ(outcome.messages.size(), 1);
    EXPECT_EQ(outcome.messages[0].text, s("写入权限项目失败！"));
    EXPECT_EQ(count(s("select count(*) from 收费员 where 收费人员='张三'")), 0);
    EXPECT_EQ(grants("张三"), 0);
    exec(s("DROP TRIGGER 拒绝"));

    ASSERT_TRUE(shell::add_operator(db(), s("张三"), s("1"), true).saved);
    exec(s(
        "CREATE TRIGGER 拒绝 BEFORE UPDATE ON 权限管理 BEGIN SELECT RAISE(ABORT,'refused'); END"));
    outcome = shell::modify_operator(db(), s("张三"), s("王五"), s("2"), true);
    EXPECT_FALSE(outcome.saved);
    EXPECT_TRUE(outcome.close_form);
    ASSERT_EQ(outcome.messages.size(), 1);
    EXPECT_TRUE(outcome.messages[0].text.contains(s("refused")));
    EXPECT_EQ(outcome.messages[0].icon, platform::MsgIcon::None);
    EXPECT_EQ(count(s("select count(*) from 收费员 where 收费人员='王五'")), 0);
}

TEST_F(OperatorAccounts, ADeleteTakesTheGrantRowsOrNothing) {
    ASSERT_TRUE(shell::add_operator(db(), s("张三"), s("1"), true).saved);
    ASSERT_TRUE(shell::add_operator(db(), s("O'Brien"), s("1"), true).saved);
    exec(
        s("CREATE TRIGGER 拒绝 BEFORE DELETE ON 权限管理 WHEN old.人员姓名='张三' BEGIN "
          "SELECT RAISE(ABORT,'refused'); END"));
    auto outcome = shell::delete_operator(db(), s("张三"));
    EXPECT_FALSE(outcome.done);
    ASSERT_EQ(outcome.messages.size(), 1);
    EXPECT_TRUE(outcome.messages[0].text.contains(s("refused")));
    EXPECT_EQ(outcome.messages[0].icon, platform::MsgIcon::None);
    EXPECT_EQ(count(s("select count(*) from 收费员 where 收费人员='张三'")), 1);
    EXPECT_GT(grants("张三"), 0);

    outcome = shell::delete_operator(db(), s("O'Brien"));
    EXPECT_TRUE(outcome.done);
    ASSERT_FALSE(outcome.messages.isEmpty());
    EXPECT_EQ(outcome.messages.last().text, s("删除操作人员【O'Brien】成功！"));
    EXPECT_EQ(outcome.messages.last().caption, s("删除成功"));
    EXPECT_EQ(count(s("select count(*) from 收费员 where 收费人员='O''Brien'")), 0);
    EXPECT_EQ(grants("O''Brien"), 0);
    EXPECT_EQ(count(s("select count(*) from 日志管理 where 备注 like '%删除操作人员%'")), 1);
}

TEST_F(OperatorAccounts, PasswordChangeRefusalsAndTheStoredHash) {
    ASSERT_TRUE(shell::add_operator(db(), s("张三"), s("old"), true).saved);
    struct Case {
        const char* what;
        const char* old_password;
        const char* typed;
        const char* repeated;
        const char* message;
        bool cleared;
    } cases[] = {
        {"empty new password", "old", "", "", "密码不能为空！", false},
        {"typings differ", "old", "a", "b", "两次密码不相符，请重新输入！", true},
        {"wrong old password", "OLD", "a", "a", "旧密码没有被确认！", false},
        {"changed", "old", "新密码", "新密码", "密码修改成功！", false},
        {"the old one no longer works", "old", "b", "b", "旧密码没有被确认！", false},
    };
    for (const Case& c : cases) {
        const auto outcome = shell::change_operator_password(db(), s("张三"), s(c.old_password),
                                                             s(c.typed), s(c.repeated));
        ASSERT_EQ(outcome.messages.size(), 1) << c.what;
        EXPECT_EQ(outcome.messages[0].text, s(c.message)) << c.what;
        EXPECT_EQ(outcome.clear_password_boxes, c.cleared) << c.what;
    }
    EXPECT_EQ(value(s("select 密码 from 收费员 where 收费人员='张三'")),
              platform::md5_hex(s("新密码")));
}

TEST_F(OperatorAccounts, GrantsFollowTheTreeAndAreLogged) {
    ASSERT_TRUE(shell::add_operator(db(), s("张三"), s("1"), true).saved);
    const QStringList items =
        platform::query_column(db(), s("select 项目名称 from 权限项目 where 首项=0 order by ID"));
    ASSERT_GE(items.size(), 2);
    // A group name matches no grant row; item names arrive with the tree's blanks around them.
    const auto outcome = shell::save_operator_grants(
        db(), s("张三"),
        {{s("某个分组"), true}, {u' ' + items[0] + u' ', true}, {items[1], false}});
    EXPECT_TRUE(outcome.done);
    ASSERT_FALSE(outcome.messages.isEmpty());
    EXPECT_EQ(outcome.messages.last().text, s("权限设置成功！"));
    EXPECT_EQ(rows(s("select 当前项目 from 权限管理 where 人员姓名='张三' and 权限标识<>0")),
              (QList<QStringList>{{platform::text_trim(items[0])}}));
    EXPECT_EQ(count(s("select count(*) from 日志管理 where 备注 like '%调整了操作人员：张三%'")),
              1);
}

}  // namespace
