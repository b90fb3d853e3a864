// Operators: adding one with its refused grant rows, renaming and deleting with the grant rows
// carried along, the refusals of the form, and the password change.
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>

#include "harness/units.h"
#include "platform/db.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "shell/admin.h"
#include "shell/change_password_window.h"
#include "shell/operator_info_window.h"
#include "shell/operators_window.h"
#include "shell/permissions.h"
#include "shell/program_state.h"
#include "shell_fixture.h"
#include "store/main_database.h"

using namespace shell;
using platform::MsgIcon;
using platform::MsgResult;

namespace {

using harness::unit;

struct FormInput {
    QString name;
    QString password;
    bool permitted = true;
};

class OperatorsTest : public shell_test::ProgramStateTest {
protected:
    void SetUp() override {
        ProgramStateTest::SetUp();
        current_operator = kAdministrator;
    }
    // The form, when it opens, gets this input and its OK pressed; the result code tells
    // whether it closed (accepted) or stayed open (rejected by the script).
    void fill_form_with(const FormInput& input, int* closed = nullptr) {
        ui.on_modal("shell::OperatorInfoWindow", [input, closed](QDialog* d) {
            auto* form = qobject_cast<OperatorInfoWindow*>(d);
            unit<QLineEdit>(form, "编辑框_姓名")->setText(input.name);
            unit<QLineEdit>(form, "编辑框_密码")->setText(input.password);
            unit<QComboBox>(form, "组合框_进入")->setCurrentIndex(input.permitted ? 0 : 1);
            form->on_operator_info_save_click();
            if (closed) *closed = form->result() == QDialog::Accepted ? 1 : 0;
            return form->result();
        });
    }
    void add(OperatorsWindow& window, const FormInput& input) {
        fill_form_with(input);
        ui.expect_box("添加成功，请在菜单“基本设置 → 操作人员管理 → 操作人员权限设置”中分配权限！");
        window.on_operators_add_click();
    }
    void select(OperatorsWindow& window, const QString& name) {
        QTableView* list = window.operators_list();
        for (int row = 0; row < platform::listview_row_count(list); ++row)
            if (platform::listview_cell_text(list, row, 0) == name)
                return platform::listview_select_row(list, row);
        ADD_FAILURE() << "not listed: " << name.toStdString();
    }
    QList<QStringList> listed(OperatorsWindow& window) {
        QList<QStringList> out;
        QTableView* list = window.operators_list();
        for (int row = 0; row < platform::listview_row_count(list); ++row)
            out << QStringList{platform::listview_cell_text(list, row, 0),
                               platform::listview_cell_text(list, row, 1)};
        return out;
    }
    qint64 item_count() { return count("select count(*) from 权限项目 where 首项=0"); }
    qint64 grant_rows(const QString& name) {
        return count("select count(*) from 权限管理 where 人员姓名=" + platform::sql_quote(name));
    }
};

TEST_F(OperatorsTest, AddingAnOperatorGivesItARefusedGrantRowPerItem) {
    OperatorsWindow window;
    EXPECT_TRUE(listed(window).isEmpty());  // the administrator is never listed
    add(window, {"张三", "abc", true});
    add(window, {"  李四 ", "xyz", false});

    EXPECT_EQ(listed(window), (QList<QStringList>{{"张三", "√"}, {"李四", "×"}}));
    EXPECT_EQ(value("select 密码 from 收费员 where 收费人员='张三'"), platform::md5_hex("abc"));
    EXPECT_EQ(value("select 许可 from 收费员 where 收费人员='李四'"), "0");
    EXPECT_EQ(grant_rows("张三"), item_count());
    EXPECT_EQ(count("select count(*) from 权限管理 where 人员姓名='张三' and 权限标识<>0"), 0);
    EXPECT_EQ(rows("select 上级项目,当前项目,备注 from 日志管理 order by ID desc").first(),
              (QStringList{"基本设置", "操作人员设置", "添加操作人员：李四。"}));

    current_operator = "张三";
    EXPECT_FALSE(check_operator_permission("用户添加"));
}

TEST_F(OperatorsTest, FormRefusalsLeaveTheFormOpenAndWriteNothing) {
    OperatorsWindow window;
    add(window, {"张三", "abc"});
    const qint64 operators = count("select count(*) from 收费员");
    const qint64 grants = count("select count(*) from 权限管理");
    const struct {
        FormInput input;
        const char* message;
    } cases[] = {
        {{"管理员", "1"}, "待添加的操作人员名称重复!"},
        {{"张三", "1"}, "待添加的操作人员名称重复!"},
        {{" 张三 ", "1"}, "待添加的操作人员名称重复!"},
        {{"", "1"}, "操作人员不能为空！"},
        {{"   ", "1"}, "操作人员不能为空！"},
        {{"\u3000", "1"}, "操作人员不能为空！"},
        {{"王五", ""}, "密码不能为空！"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        int closed = -1;
        fill_form_with(c.input, &closed);
        ui.expect_box(QString::fromUtf8(c.message));
        window.on_operators_add_click();
        EXPECT_EQ(closed, 0);
        EXPECT_EQ(ui.boxes().back().icon, MsgIcon::Information);
    }
    EXPECT_EQ(count("select count(*) from 收费员"), operators);
    EXPECT_EQ(count("select count(*) from 权限管理"), grants);
}

TEST_F(OperatorsTest, FailedInsertIsReportedAndLeavesNoHalfOperator) {
    OperatorsWindow window;
    // A grant row that cannot be written: the operator row goes back out with it.
    exec("insert into 权限项目 (项目名称,父项目,首项) values ('坏项目','基本设置',0)");
    ASSERT_TRUE(platform::db_execute(
        store::main_connection(),
        "CREATE TRIGGER 拒绝坏项目 BEFORE INSERT ON 权限管理 WHEN NEW.当前项目='坏项目' "
        "BEGIN SELECT RAISE(ABORT,'拒绝'); END"));
    int closed = -1;
    fill_form_with({"张三", "abc"}, &closed);
    ui.expect_box("写入权限项目失败！");
    window.on_operators_add_click();
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='张三'"), 0);
    EXPECT_EQ(grant_rows("张三"), 0);

    // The operator row itself refused: the database's own text, not silence.
    ASSERT_TRUE(platform::db_execute(
        store::main_connection(),
        "CREATE TRIGGER 拒绝李四 BEFORE INSERT ON 收费员 WHEN NEW.收费人员='李四' "
        "BEGIN SELECT RAISE(ABORT,'不许添加'); END"));
    fill_form_with({"李四", "abc"}, &closed);
    ui.expect_box("不许添加");
    window.on_operators_add_click();
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(ui.boxes().back().icon, MsgIcon::None);
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='李四'"), 0);
}

TEST_F(OperatorsTest, RenamingCarriesTheGrantsAndRefusesTakenNames) {
    OperatorsWindow window;
    add(window, {"张三", "abc"});
    add(window, {"李四", "abc"});
    exec("update 权限管理 set 权限标识=1 where 人员姓名='张三' and 当前项目='用户添加'");

    for (const char* taken : {"李四", "管理员", " 李四"}) {
        SCOPED_TRACE(taken);
        select(window, "张三");
        int closed = -1;
        fill_form_with({QString::fromUtf8(taken), "new"}, &closed);
        ui.expect_box("待添加的操作人员名称重复!");
        window.on_operators_modify_click();
        EXPECT_EQ(closed, 0);
    }
    EXPECT_EQ(grant_rows("张三"), item_count());
    EXPECT_EQ(grant_rows("李四"), item_count());

    select(window, "张三");
    fill_form_with({"王'五", "new", false});
    ui.expect_box("修改成功!");
    window.on_operators_modify_click();
    EXPECT_EQ(grant_rows("张三"), 0);
    EXPECT_EQ(grant_rows("王'五"), item_count());
    EXPECT_EQ(value("select 密码 from 收费员 where 收费人员='王''五'"), platform::md5_hex("new"));
    EXPECT_EQ(value("select 备注 from 日志管理 order by ID desc"),
              "把原操作人员：张三修改为：王 五。");
    current_operator = "王'五";
    EXPECT_TRUE(check_operator_permission("用户添加"));
    current_operator = kAdministrator;

    // Keeping one's own name, only changing the password, is no duplicate.
    select(window, "李四");
    fill_form_with({"李四", "again"});
    ui.expect_box("修改成功!");
    window.on_operators_list_dblclick();
    EXPECT_EQ(value("select 密码 from 收费员 where 收费人员='李四'"), platform::md5_hex("again"));
}

TEST_F(OperatorsTest, ModifyAndDeleteNeedASelectedOperator) {
    OperatorsWindow window;
    ui.expect_box("请选择待修改的操作人员!").expect_box("请选择待删除的操作人员！");
    window.on_operators_modify_click();
    window.on_operators_delete_click();
    window.on_operators_list_dblclick();  // silently nothing
    EXPECT_TRUE(ui.modal_windows().isEmpty());
}

TEST_F(OperatorsTest, DeletingRemovesTheOperatorAndItsGrants) {
    OperatorsWindow window;
    add(window, {"张三", "abc"});
    select(window, "张三");
    ui.expect_box("确认要删除操作人员【张三】吗？\r\n该操作不可逆,请慎重!", MsgResult::No);
    window.on_operators_delete_click();
    EXPECT_EQ(grant_rows("张三"), item_count());

    ui.expect_box("确认要删除操作人员【张三】吗？", MsgResult::Yes)
        .expect_box("删除操作人员【张三】成功！");
    window.on_operators_delete_click();
    EXPECT_EQ(ui.boxes().back().caption, "删除成功");
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='张三'"), 0);
    EXPECT_EQ(grant_rows("张三"), 0);
    EXPECT_TRUE(listed(window).isEmpty());
    EXPECT_EQ(value("select 备注 from 日志管理 order by ID desc"), "删除操作人员：张三");
    EXPECT_EQ(ui.beep_count(), 2);
}

TEST_F(OperatorsTest, TheMenuEntryIsForTheAdministratorOnly) {
    current_operator = "张三";
    ui.expect_box("只有管理员才能进入！");
    on_menu_operator_settings();
    EXPECT_TRUE(ui.modal_windows().isEmpty());

    current_operator = kAdministrator;
    bool welcome = false;
    ui.on_modal("shell::OperatorsWindow", [](QDialog*) { return 0; });
    on_menu_operator_settings(nullptr, [&welcome] { welcome = true; });
    EXPECT_TRUE(welcome);
    EXPECT_EQ(ui.modal_windows(), QStringList{"shell::OperatorsWindow"});
}

class PasswordTest : public OperatorsTest {
protected:
    void type(ChangePasswordWindow& w, const QString& old_pw, const QString& new_pw,
              const QString& again) {
        unit<QLineEdit>(&w, "编辑框1")->setText(old_pw);
        unit<QLineEdit>(&w, "编辑框2")->setText(new_pw);
        unit<QLineEdit>(&w, "编辑框3")->setText(again);
    }
};

TEST_F(PasswordTest, ChecksInOrderAndStoresTheNewDigest) {
    ChangePasswordWindow window;
    EXPECT_EQ(window.windowTitle(), kAdministrator);
    const struct {
        const char *old_pw, *new_pw, *again, *message;
    } refusals[] = {
        {"12345", "", "", "密码不能为空！"},
        {"wrong", "a", "b", "两次密码不相符，请重新输入！"},  // before the old password
        {"wrong", "a", "a", "旧密码没有被确认！"},
    };
    for (const auto& r : refusals) {
        ui.expect_box(QString::fromUtf8(r.message));
        type(window, r.old_pw, r.new_pw, r.again);
        window.on_change_password_ok_click();
    }
    EXPECT_EQ(ui.boxes().back().icon, MsgIcon::Critical);
    EXPECT_TRUE(unit<QLineEdit>(&window, "编辑框1")->text() == "wrong");
    EXPECT_EQ(value("select 密码 from 收费员 where 收费人员='管理员'"), platform::md5_hex("12345"));

    ui.expect_box("密码修改成功！");
    type(window, "12345", "新密码", "新密码");
    window.on_change_password_ok_click();
    EXPECT_EQ(value("select 密码 from 收费员 where 收费人员='管理员'"),
              platform::md5_hex("新密码"));
    EXPECT_EQ(count("select count(*) from 日志管理"), 0);  // no log row for a password
}

TEST_F(PasswordTest, MismatchEmptiesAllThreeBoxes) {
    ChangePasswordWindow window;
    ui.expect_box("两次密码不相符，请重新输入！");
    type(window, "12345", "a", "b");
    window.on_change_password_ok_click();
    for (const char* box : {"编辑框1", "编辑框2", "编辑框3"})
        EXPECT_TRUE(unit<QLineEdit>(&window, box)->text().isEmpty()) << box;
}

}  // namespace
