// The meter readers window: trimmed names added once, the reserved reader kept, deletes after
// the question, log rows, and the menu entry's permission.
#include <gtest/gtest.h>

#include "reading/meter_readers_window.h"
#include "reading_fixture.h"

using namespace reading_test;
using platform::MsgResult;

namespace {

class MeterReaders : public ReadingTest {
protected:
    static QStringList listed(reading::MeterReadersWindow& w) {
        QStringList names;
        QTableView* list = unit<QTableView>(&w, "超级列表框1");
        for (int r = 0; r < platform::listview_row_count(list); ++r)
            names << platform::listview_cell_text(list, r, 0);
        return names;
    }
};

TEST_F(MeterReaders, AddsTrimmedNamesOnceAndKeepsTheReservedReader) {
    add_water_household(s("0001"), s("甲"), 1);  // read by 张三
    reading::MeterReadersWindow w;
    EXPECT_EQ(w.windowTitle(), s("抄表人员设置"));
    EXPECT_EQ(listed(w), (QStringList{s("系统"), s("张三"), s("李四")}));
    QLineEdit* name = edit(&w, "编辑框1");

    ui.expect_box(s("待添加的抄表人员名称不能为空！"));
    button(&w, "按钮1")->click();
    name->setText(s(" 张三 "));
    ui.expect_box(s("待添加的抄表人员名称重复！"));
    button(&w, "按钮1")->click();
    name->setText(s("　O'Neil "));
    ui.expect_box(s("添加抄表人员【O'Neil】成功！"));
    button(&w, "按钮1")->click();
    EXPECT_TRUE(name->text().isEmpty());
    EXPECT_EQ(listed(w), (QStringList{s("系统"), s("张三"), s("李四"), s("O'Neil")}));

    QTableView* list = unit<QTableView>(&w, "超级列表框1");
    ui.expect_box(s("请选择待删除的抄表员！"));
    button(&w, "删除")->click();
    platform::listview_select_row(list, 0);
    ui.expect_box(s("该抄表人员为系统保留不能删除！"));
    button(&w, "删除")->click();

    platform::listview_select_row(list, 1);
    ui.expect_box(s("确认要删除抄表人员【张三】吗？\r\n该操作不可逆,请慎重!"), MsgResult::No);
    button(&w, "删除")->click();
    EXPECT_EQ(ui.boxes().back().buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(ui.boxes().back().icon, platform::MsgIcon::Question);
    ui.expect_box(s("确认要删除抄表人员【张三】吗？"), MsgResult::Yes)
        .expect_box(s("删除抄表人员【张三】成功！"));
    button(&w, "删除")->click();
    EXPECT_EQ(ui.boxes().back().caption, s("删除成功"));
    EXPECT_EQ(ui.beep_count(), 2);
    EXPECT_EQ(listed(w), (QStringList{s("系统"), s("李四"), s("O'Neil")}));
    // The meter account keeps the name.
    EXPECT_EQ(value(s("select 抄表人员 from 用户表管理 where 户号='000101'")), s("张三"));
    EXPECT_EQ(rows(s("select 上级项目,当前项目,备注 from 日志管理 order by ID")),
              (QList<QStringList>{{s("基本设置"), s("抄表人员设置"), s("添加抄表人员【O Neil】")},
                                  {s("基本设置"), s("抄表人员设置"), s("删除抄表人员【张三】")}}));
}

TEST_F(MeterReaders, MenuEntryChecksThePermission) {
    shell::current_operator = s("王五");
    ui.expect_box(s("您没有取得授权！"));
    reading::on_menu_meter_readers();
    EXPECT_TRUE(ui.modal_windows().isEmpty());
    exec(s("insert into 权限管理 (当前项目,人员姓名,权限标识) values ('抄表人员设置','王五',1)"));
    ui.on_modal(s("reading::MeterReadersWindow"), [](QDialog* w) { return w->result(); });
    reading::on_menu_meter_readers();
    EXPECT_EQ(ui.modal_windows(), QStringList{s("reading::MeterReadersWindow")});
}

}  // namespace
