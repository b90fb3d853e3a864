// The streets dialog: adding (trimmed, not twice, quotes kept), deleting after the question,
// its messages and log rows, and the menu entry's permission.
#include <gtest/gtest.h>

#include "household_fixture.h"
#include "households/streets_window.h"

using namespace households_test;
using platform::MsgResult;

namespace {

class Streets : public HouseholdTest {
protected:
    QStringList listed(households::StreetsWindow& w) {
        QTableView* list = unit<QTableView>(&w, "超级列表框1");
        QStringList names;
        for (int row = 0; row < platform::listview_row_count(list); ++row)
            names << platform::listview_cell_text(list, row, 0);
        return names;
    }
    QStringList stored() {
        QStringList names;
        for (const QStringList& row : rows(s("select 街道 from 街道"))) names << row.first();
        return names;
    }
};

TEST_F(Streets, AddsTrimmedNamesOnceQuotesIncluded) {
    households::StreetsWindow w;
    EXPECT_EQ(w.windowTitle(), s("居住街道设置"));
    EXPECT_EQ(listed(w), (QStringList{s("东区"), s("西区")}));
    EXPECT_EQ(platform::listview_column_title(unit<QTableView>(&w, "超级列表框1"), 0), s("居住街道"));
    QLineEdit* name = edit(&w, "编辑框1");
    QPushButton* add = button(&w, "按钮1");

    ui.expect_box(s("添加街道【南区】成功！"));
    name->setText(s("  南区　"));
    add->click();
    EXPECT_EQ(ui.boxes().back().caption, s("添加成功"));
    EXPECT_TRUE(name->text().isEmpty());

    ui.expect_box(s("待添加的街道名称重复！"));
    name->setText(s(" 东区"));
    add->click();
    ui.expect_box(s("待添加的街道名称不能为空！"));
    name->clear();
    add->click();

    ui.expect_box(s("添加街道【O'Hare路】成功！"));
    name->setText(s("O'Hare路"));
    add->click();

    EXPECT_EQ(stored(), (QStringList{s("东区"), s("西区"), s("南区"), s("O'Hare路")}));
    EXPECT_EQ(listed(w), stored());
    EXPECT_EQ(rows(s("select 上级项目,当前项目,备注 from 日志管理 order by ID")),
              (QList<QStringList>{{s("基本设置"), s("居住街道设置"), s("添加街道【南区】")},
                                  {s("基本设置"), s("居住街道设置"), s("添加街道【O Hare路】")}}));
}

TEST_F(Streets, DeletesTheSelectedStreetAfterYesAndHouseholdsKeepTheName) {
    insert_household(s("0001"), s("甲"));  // lives in 东区
    households::StreetsWindow w;
    QTableView* list = unit<QTableView>(&w, "超级列表框1");
    QPushButton* remove = button(&w, "删除");

    ui.expect_box(s("请选择待删除的街道！"));
    remove->click();

    platform::listview_select_row(list, 0);
    ui.expect_box(s("确认要删除居住街道【东区】吗？\r\n该操作不可逆,请慎重!"), MsgResult::No);
    remove->click();
    EXPECT_EQ(ui.boxes().back().icon, platform::MsgIcon::Question);
    EXPECT_EQ(ui.boxes().back().buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(stored().size(), 2);

    ui.expect_box(s("确认要删除居住街道【东区】吗？"), MsgResult::Yes).expect_box(s("删除街道【东区】成功！"));
    remove->click();
    EXPECT_EQ(ui.boxes().back().caption, s("删除成功"));
    EXPECT_EQ(ui.beep_count(), 2);
    EXPECT_EQ(stored(), QStringList{s("西区")});
    EXPECT_EQ(listed(w), QStringList{s("西区")});
    EXPECT_EQ(value(s("select 居住街道 from 用户信息表 where 户号='0001'")), s("东区"));
    EXPECT_EQ(value(s("select 备注 from 日志管理")), s("删除街道【东区】"));
}

TEST_F(Streets, MenuEntryChecksThePermission) {
    shell::current_operator = s("张三");
    ui.expect_box(s("您没有取得授权！"));
    households::on_menu_streets_click();
    EXPECT_TRUE(ui.modal_windows().isEmpty());

    exec(s("insert into 权限管理 (当前项目,人员姓名,权限标识) values ('居住街道设置','张三',1)"));
    ui.on_modal(s("households::StreetsWindow"), [](QDialog* w) { return w->result(); });
    households::on_menu_streets_click();
    EXPECT_EQ(ui.modal_windows(), QStringList{s("households::StreetsWindow")});
}

}  // namespace
