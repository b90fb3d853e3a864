// The permission settings window: a group's items are read when it is first opened or ticked,
// a saved tick is the next check's answer, and ticking a group ticks all its items whether it
// was opened or not.
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QTreeWidget>

#include "platform/db.h"
#include "shell/admin.h"
#include "shell/permissions.h"
#include "shell/permissions_window.h"
#include "shell/program_state.h"
#include "shell_fixture.h"

using namespace shell;

namespace {

class PermissionsWindowTest : public shell_test::ProgramStateTest {
protected:
    void SetUp() override {
        ProgramStateTest::SetUp();
        permission_operator.clear();
        current_operator = kAdministrator;
        // Two operators with a refused row for every item, as the operators window adds them.
        for (const char* name : {"张三", "李四"}) {
            const QString quoted = platform::sql_quote(QString::fromUtf8(name));
            exec("insert into 收费员 (收费人员,密码,许可) values (" + quoted + ",'x',1)");
            exec("insert into 权限管理 (权限标识,当前项目,人员姓名) select 0,项目名称," + quoted +
                 " from 权限项目 where 首项=0");
        }
    }
    void choose(PermissionsWindow& w, const QString& name) {
        auto* list = w.findChild<QListWidget*>("列表框_收费人员");
        const auto found = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        list->setCurrentItem(found.first());
    }
    QTreeWidgetItem* item_node(PermissionsWindow& w, const QString& group, const QString& item) {
        QTreeWidgetItem* g = w.group_node(group);
        for (int i = 0; g && i < g->childCount(); ++i)
            if (g->child(i)->text(0) == item) return g->child(i);
        return nullptr;
    }
    QStringList children(PermissionsWindow& w, const QString& group) {
        QStringList out;
        QTreeWidgetItem* g = w.group_node(group);
        for (int i = 0; g && i < g->childCount(); ++i) out << g->child(i)->text(0);
        return out;
    }
    // Ticks or unticks a node as a click does (the tree's change event runs the handler).
    void tick(QTreeWidgetItem* node, bool on) {
        ASSERT_NE(node, nullptr);
        node->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    }
    void save(PermissionsWindow& w) {
        ui.expect_box("权限设置成功！");
        w.on_permissions_save_click();
    }
    // With FEE_SCREENSHOT_DIR set, the window is also saved there as a picture (run under
    // xvfb-run to see it as a user would).
    void snap(QWidget* w, const QString& name) {
        const QString folder = qEnvironmentVariable("FEE_SCREENSHOT_DIR");
        if (folder.isEmpty()) return;
        QDir().mkpath(folder);
        w->show();
        for (int i = 0; i < 10; ++i) QApplication::processEvents();
        w->grab().save(folder + u'/' + name + ".png");
    }
    bool may(const QString& who, const QString& item) {
        const QString keep = current_operator;
        current_operator = who;
        const bool allowed = check_operator_permission(item);
        current_operator = keep;
        return allowed;
    }
};

TEST_F(PermissionsWindowTest, OperatorsListedAndGroupsReadOnlyWhenOpened) {
    PermissionsWindow window;
    auto* list = window.findChild<QListWidget*>("列表框_收费人员");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "张三");
    EXPECT_EQ(window.permission_tree()->topLevelItemCount(), 0);

    choose(window, "张三");
    EXPECT_EQ(permission_operator, "张三");
    QTreeWidget* tree = window.permission_tree();
    ASSERT_EQ(tree->topLevelItemCount(), count("select count(*) from 权限项目 where 首项<>0"));
    // The first group is open with its items; the others hold the placeholder until opened.
    EXPECT_EQ(children(window, "用户管理"),
              (QStringList{"用户添加", "用户修改", "用户删除", "用户排序", "用户表管理", "批量添加",
                           "批量修改"}));
    EXPECT_EQ(children(window, "收费管理"), QStringList{kPermissionPlaceholder});
    window.expand_group(window.group_node("收费管理"));
    EXPECT_EQ(children(window, "收费管理").first(), "窗口收费");
}

TEST_F(PermissionsWindowTest, SavedGrantTakesEffectAtTheNextCheck) {
    PermissionsWindow window;
    choose(window, "张三");
    EXPECT_FALSE(may("张三", "用户添加"));
    tick(item_node(window, "用户管理", "用户添加"), true);
    save(window);
    EXPECT_TRUE(may("张三", "用户添加"));
    EXPECT_FALSE(may("张三", "用户修改"));
    EXPECT_FALSE(may("李四", "用户添加"));
    EXPECT_EQ(value("select 备注 from 日志管理 order by ID desc"), "调整了操作人员：张三的权限！");

    // The next opening shows the stored tick, and the last operator chosen.
    PermissionsWindow again;
    EXPECT_EQ(permission_operator, "张三");
    choose(again, "张三");
    EXPECT_EQ(item_node(again, "用户管理", "用户添加")->checkState(0), Qt::Checked);
}

// A new collector needs 窗口收费 before F8 takes money: ticking the closed group 收费管理 is
// enough, and opening it afterwards shows its items ticked.
TEST_F(PermissionsWindowTest, GroupTickedWhileClosedGrantsAllItsItems) {
    PermissionsWindow window;
    choose(window, "张三");
    QTreeWidgetItem* group = window.group_node("收费管理");
    ASSERT_FALSE(group->isExpanded());
    tick(group, true);
    EXPECT_FALSE(group->isExpanded());
    snap(&window, "权限设置_勾选主权限项");
    const QStringList items = children(window, "收费管理");
    EXPECT_TRUE(items.contains("窗口收费")) << items.join(',').toStdString();
    EXPECT_FALSE(items.contains(kPermissionPlaceholder));
    window.expand_group(group);
    snap(&window, "权限设置_展开");
    for (const QString& item : items)
        EXPECT_EQ(item_node(window, "收费管理", item)->checkState(0), Qt::Checked)
            << item.toStdString();
    save(window);
    for (const QString& item : items) EXPECT_TRUE(may("张三", item)) << item.toStdString();
    EXPECT_EQ(count("select count(*) from 权限管理 where 权限标识<>0 and 人员姓名='张三'"),
              items.size());
    EXPECT_FALSE(may("李四", "窗口收费"));
}

TEST_F(PermissionsWindowTest, GroupTickCoversItsLoadedItemsBothWays) {
    PermissionsWindow window;
    choose(window, "张三");
    tick(window.group_node("用户管理"), true);
    save(window);
    for (const char* item : {"用户添加", "用户删除", "批量修改"})
        EXPECT_TRUE(may("张三", item)) << item;

    tick(window.group_node("用户管理"), false);
    save(window);
    for (const char* item : {"用户添加", "用户删除", "批量修改"})
        EXPECT_FALSE(may("张三", item)) << item;
}

TEST_F(PermissionsWindowTest, ReopeningAGroupKeepsItsTicks) {
    PermissionsWindow window;
    choose(window, "张三");
    window.expand_group(window.group_node("数据报表"));
    tick(item_node(window, "数据报表", "收费日报表"), true);
    tick(item_node(window, "数据报表", "收费月报表"), true);
    save(window);
    // Ticks made since the last save stay when the group is closed and opened again.
    tick(item_node(window, "数据报表", "收费月报表"), false);
    tick(item_node(window, "数据报表", "用户年报表"), true);
    window.group_node("数据报表")->setExpanded(false);
    window.expand_group(window.group_node("数据报表"));
    EXPECT_EQ(item_node(window, "数据报表", "收费日报表")->checkState(0), Qt::Checked);
    EXPECT_EQ(item_node(window, "数据报表", "收费月报表")->checkState(0), Qt::Unchecked);
    EXPECT_EQ(item_node(window, "数据报表", "用户年报表")->checkState(0), Qt::Checked);
    save(window);
    EXPECT_TRUE(may("张三", "收费日报表"));
    EXPECT_FALSE(may("张三", "收费月报表"));
    EXPECT_TRUE(may("张三", "用户年报表"));
}

TEST_F(PermissionsWindowTest, ChoosingAnotherOperatorDropsUnsavedTicks) {
    PermissionsWindow window;
    choose(window, "张三");
    tick(item_node(window, "用户管理", "用户添加"), true);
    choose(window, "李四");
    save(window);
    EXPECT_FALSE(may("张三", "用户添加"));
    EXPECT_FALSE(may("李四", "用户添加"));
}

TEST_F(PermissionsWindowTest, ItemWithoutAGrantRowHasNoNode) {
    exec("delete from 权限管理 where 人员姓名='张三' and 当前项目='抄表删除'");
    PermissionsWindow window;
    choose(window, "张三");
    window.expand_group(window.group_node("抄表管理"));
    EXPECT_FALSE(children(window, "抄表管理").contains("抄表删除"));
    EXPECT_TRUE(children(window, "抄表管理").contains("抄表添加"));
}

TEST_F(PermissionsWindowTest, QuoteInANameIsJustACharacter) {
    exec("insert into 收费员 (收费人员,密码,许可) values ('O''Neil','x',1)");
    exec("insert into 权限管理 (权限标识,当前项目,人员姓名) values (0,'用户添加','O''Neil')");
    PermissionsWindow window;
    choose(window, "O'Neil");
    tick(item_node(window, "用户管理", "用户添加"), true);
    save(window);
    EXPECT_TRUE(may("O'Neil", "用户添加"));
    EXPECT_EQ(value("select 备注 from 日志管理 order by ID desc"),
              "调整了操作人员：O Neil的权限！");
}

TEST_F(PermissionsWindowTest, SavingAnEmptyTreeLogsTheHeldName) {
    PermissionsWindow window;
    save(window);
    EXPECT_EQ(value("select 备注 from 日志管理 order by ID desc"), "调整了操作人员：的权限！");
}

TEST_F(PermissionsWindowTest, MenuEntryIsForTheAdministratorOnly) {
    current_operator = "张三";
    ui.expect_box("只有管理员才能进入！");
    on_menu_operator_permissions();
    EXPECT_TRUE(ui.modal_windows().isEmpty());
    current_operator = kAdministrator;
    ui.on_modal("shell::PermissionsWindow", [](QDialog*) { return 0; });
    on_menu_operator_permissions();
    EXPECT_EQ(ui.modal_windows(), QStringList{"shell::PermissionsWindow"});
}

}  // namespace
