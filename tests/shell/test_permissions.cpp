#include <gtest/gtest.h>

#include "platform/db.h"
#include "shell/permission_prompts.h"
#include "shell/permissions.h"
#include "shell/program_state.h"
#include "shell_fixture.h"
#include "store/main_database.h"

using namespace shell;
using platform::MsgIcon;

namespace {

class PermissionsTest : public shell_test::ProgramStateTest {
protected:
    void grant(const QString& who, const QString& item, int flag) {
        exec(QStringLiteral("insert into 权限管理 (权限标识,当前项目,人员姓名) values (%1,%2,%3)")
                 .arg(flag)
                 .arg(platform::sql_quote(item), platform::sql_quote(who)));
    }
};

}  // namespace

TEST_F(PermissionsTest, AdministratorPassesWithoutTheDatabase) {
    current_operator = QStringLiteral("管理员");
    platform::db_close(store::main_connection());
    EXPECT_TRUE(check_operator_permission(QStringLiteral("用户添加")));
    EXPECT_TRUE(check_operator_permission(QStringLiteral("没有这一项")));
    EXPECT_TRUE(require_permission(QStringLiteral("没有这一项")));
    EXPECT_TRUE(require_administrator());
    // Exact comparison: a blank makes another operator.
    current_operator = QStringLiteral("管理员 ");
    ui.expect_box(QStringLiteral("只有管理员才能进入！"));
    EXPECT_FALSE(require_administrator());
    EXPECT_EQ(ui.boxes().back().icon, MsgIcon::Information);
}

TEST_F(PermissionsTest, GrantsDecideForOtherOperators) {
    grant(QStringLiteral("张三"), QStringLiteral("用户添加"), 1);
    grant(QStringLiteral("张三"), QStringLiteral("用户修改"), 0);
    grant(QStringLiteral("李四"), QStringLiteral("用户删除"), 1);
    current_operator = QStringLiteral("张三");
    struct Case {
        const char* item;
        bool allowed;
    };
    for (const Case c : {Case{"用户添加", true}, Case{"用户修改", false},
                         Case{"用户删除", false},  // somebody else's grant
                         Case{"抄表删除", false}}) {  // no row at all
        EXPECT_EQ(check_operator_permission(QString::fromUtf8(c.item)), c.allowed) << c.item;
    }
    EXPECT_FALSE(platform::recordset_is_open(store::main_recordset(1)));

    // Saving a grant takes effect at the very next check.
    exec(QStringLiteral("update 权限管理 set 权限标识=1 where 人员姓名='张三' and 当前项目='用户修改'"));
    EXPECT_TRUE(check_operator_permission(QStringLiteral("用户修改")));
}

TEST_F(PermissionsTest, FirstMatchingRowDecides) {
    grant(QStringLiteral("张三"), QStringLiteral("窗口收费"), 1);
    grant(QStringLiteral("张三"), QStringLiteral("窗口收费"), 0);
    grant(QStringLiteral("张三"), QStringLiteral("磁卡收费"), 0);
    grant(QStringLiteral("张三"), QStringLiteral("磁卡收费"), 1);
    current_operator = QStringLiteral("张三");
    EXPECT_TRUE(check_operator_permission(QStringLiteral("窗口收费")));
    EXPECT_FALSE(check_operator_permission(QStringLiteral("磁卡收费")));
}

TEST_F(PermissionsTest, QuotesInNamesAreLookedUpNotExecuted) {
    grant(QStringLiteral("O'Brien"), QStringLiteral("用户添加"), 1);
    grant(QStringLiteral("张三"), QStringLiteral("it's"), 1);
    current_operator = QStringLiteral("O'Brien");
    EXPECT_TRUE(check_operator_permission(QStringLiteral("用户添加")));
    EXPECT_FALSE(check_operator_permission(QStringLiteral("用户修改")));
    current_operator = QStringLiteral("张三");
    EXPECT_TRUE(check_operator_permission(QStringLiteral("it's")));
    // A name crafted to widen the condition matches nothing.
    current_operator = QStringLiteral("x' or '1'='1");
    EXPECT_FALSE(check_operator_permission(QStringLiteral("用户添加")));
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(PermissionsTest, RequirePermissionShowsTheRefusal) {
    grant(QStringLiteral("张三"), QStringLiteral("用户添加"), 1);
    current_operator = QStringLiteral("张三");
    EXPECT_TRUE(require_permission(QStringLiteral("用户添加")));
    EXPECT_TRUE(ui.boxes().empty());

    ui.expect_box(QStringLiteral("您没有取得授权！"));
    EXPECT_FALSE(require_permission(QStringLiteral("用户修改")));
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].text,
              QStringLiteral("您没有取得授权！\n请管理员在菜单“基本设置 → 操作人员管理 → "
                             "操作人员权限设置”中为您勾选“用户管理”下的“用户修改”。"));
    EXPECT_EQ(ui.boxes()[0].icon, MsgIcon::Information);
}

TEST_F(PermissionsTest, TheRefusalNamesWhereTheRightIsGranted) {
    struct Case {
        const char* item;
        const char* ticked;
    };
    const Case cases[] = {
        {"窗口收费", "“收费管理”下的“窗口收费”"},  // F8
        {"收据重打", "“打印设置”下的“收据重打”"},
        {" 预存扣款", "“预存管理”下的“预存扣款”"},
        {"没有这一项", "“没有这一项”"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(permission_refusal_text(store::main_connection(), QString::fromUtf8(c.item)),
                  QStringLiteral("您没有取得授权！\n请管理员在菜单“") + kPermissionsMenuPath +
                      QStringLiteral("”中为您勾选") + QString::fromUtf8(c.ticked) +
                      QStringLiteral("。"))
            << c.item;
}

TEST_F(PermissionsTest, StatementThatCannotRunRefuses) {
    exec(QStringLiteral("drop table 权限管理"));
    current_operator = QStringLiteral("张三");
    // The database's own error comes first, in a plain box, then the refusal.
    ui.answer(platform::MsgResult::Ok).expect_box(QStringLiteral("您没有取得授权！"));
    EXPECT_FALSE(require_permission(QStringLiteral("用户添加")));
    ASSERT_EQ(ui.boxes().size(), 2u);
    EXPECT_EQ(ui.boxes()[0].icon, MsgIcon::None);
    EXPECT_FALSE(platform::recordset_is_open(store::main_recordset(1)));
}
