// A new user's round through the windows: the route generated on page 11, written to the
// device file, read back into the batch, then a committed reading found on page 3 and
// corrected. With FEE_SCREENSHOT_DIR set, each window is saved there as a picture.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QDialog>
#include <QFile>
#include <QKeySequence>
#include <QPushButton>
#include <QTableView>

#include "reading/handheld_schemes.h"
#include "reading/handheld_windows.h"
#include "reading/reading_query_page.h"
#include "reading_fixture.h"

namespace reading_test {
namespace {

void shot(QWidget* w, const char* name) {
    const QString folder = qEnvironmentVariable("FEE_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    w->resize(w->sizeHint().expandedTo(QSize(640, 360)));
    w->grab().save(folder + u'/' + QString::fromUtf8(name) + QStringLiteral(".png"));
}

class HandheldWalkthrough : public ReadingTest {
protected:
    void SetUp() override {
        ReadingTest::SetUp();
        reading::current_handheld_scheme.clear();
        reading::handheld_page_mode.clear();
        add_water_household(s("0001"), s("张三丰"), 1, 0);
        add_water_household(s("0002"), s("李四"), 2, 0);
        add_history(s("000101"), s("0001"), 0, 40, s("2024-2-5"), s("水费"), s("居民"), 0);
        add_history(s("000201"), s("0002"), 0, 25, s("2024-2-6"), s("水费"), s("居民"), 0);
        ASSERT_TRUE(reading::add_handheld_scheme(db(), s("路线")).ok);
        ASSERT_TRUE(reading::set_default_handheld_scheme(db(), s("路线")).ok);
        for (const reading::FieldForm& f :
             {reading::FieldForm{s("路线"), s("HH"), 0, s("10"), s("抄表户号")},
              reading::FieldForm{s("路线"), s("XM"), 0, s("6"), s("用户姓名")},
              reading::FieldForm{s("路线"), s("SYDS"), 2, s("10"), s("上月度数")},
              reading::FieldForm{s("路线"), s("BYDS"), 2, s("10"), s("本月度数")}})
            ASSERT_TRUE(reading::save_handheld_field(db(), f, false).ok);
        reading::current_handheld_scheme.clear();
    }
};

// No two buttons of the scheme window share an Alt key.
TEST_F(HandheldWalkthrough, SchemeWindowButtonsHaveDistinctAltKeys) {
    reading::ReadingDataExportWindow w;
    QList<QKeySequence> keys;
    for (QPushButton* button : w.findChildren<QPushButton*>()) {
        const QKeySequence key = QKeySequence::mnemonic(button->text());
        if (key.isEmpty()) continue;
        EXPECT_FALSE(keys.contains(key)) << button->objectName().toStdString();
        keys.append(key);
    }
    EXPECT_EQ(keys.size(), 4);
}

TEST_F(HandheldWalkthrough, ExportImportAndCorrect) {
    reading::HandheldPage page;
    page.reset_list();
    ui.on_modal(s("reading::ReadingDataConditionsWindow"), [](QDialog* w) {
        shot(w, "1_conditions");
        button(w, "按钮_查询")->click();
        return w->result();
    });
    ui.expect_box(s("检索到【2】条记录等待系统显示。"));
    page.on_handheld_generate_click();
    ASSERT_EQ(page.route().size(), 2u);
    EXPECT_EQ(reading::handheld_page_mode, s("导出设置"));
    EXPECT_EQ(platform::listview_row_count(page.handheld_list()), 2);
    shot(&page, "2_route");

    const QString path = folder() + s("/chaobiao.dbf");
    ui.on_modal(s("reading::ReadingDataExportWindow"), [](QDialog* w) {
        EXPECT_EQ(combo(w, "组合框_方案名称")->currentText(), s("路线"));
        shot(w, "3_schemes");
        button(w, "按钮_导出")->click();
        return w->result();
    });
    ui.expect_file(path).expect_box(s("生成抄表机数据库成功!"));
    page.on_handheld_export_click();
    ASSERT_TRUE(QFile::exists(path));

    ui.on_modal(s("reading::HandheldImportWindow"), [](QDialog* w) {
        shot(w, "4_import");
        button(w, "按钮_抄表机文件")->click();
        return w->result();
    });
    ui.expect_file(path).expect_box(s("数据导入成功，已加入到手动抄表临时库。"));
    page.on_handheld_import_click();
    // Read back unchanged: the end readings are 0, the starts the last ends.
    EXPECT_EQ(rows(s("select 户号,起方,止方,用量 from 抄表管理 order by 编号")),
              (QList<QStringList>{{s("000101"), s("40"), s("0"), s("-40")},
                                  {s("000201"), s("25"), s("0"), s("-25")}}));

    reading::ReadingQueryPage query;
    ui.on_modal(s("reading::ReadingQueryWindow"), [](QDialog* w) {
        unit<QDateEdit>(w, "收费日期_起")->setDate(QDate(2024, 2, 1));
        unit<QDateEdit>(w, "收费日期_止")->setDate(QDate(2024, 2, 29));
        combo(w, "收费排序分类")->setCurrentText(s("抄表日期"));
        shot(w, "5_query");
        button(w, "收费按钮_确定")->click();
        return w->result();
    });
    query.on_main_reading_query_click();
    QTableView* list = query.query_list();
    ASSERT_EQ(platform::listview_row_count(list), 3);
    EXPECT_EQ(platform::listview_cell_text(list, 2, 0), s("合计"));
    shot(&query, "6_readings");

    // The totals row is refused like no selection.
    platform::listview_select_row(list, 2);
    ui.expect_box(s("请选择待修改的记录！"));
    query.on_main_reading_edit_click();

    platform::listview_select_row(list, 0);
    ui.on_modal(s("reading::ReadingEditWindow"), [](QDialog* w) {
        EXPECT_EQ(edit(w, "编辑框_抄表户号")->text(), s("000101"));
        EXPECT_EQ(edit(w, "编辑框_户名")->text(), s("张三丰"));
        edit(w, "编辑框_止")->setText(s("44"));
        shot(w, "7_edit");
        button(w, "按钮1")->click();
        return w->result();
    });
    ui.expect_box(s("修改成功！"));
    query.on_main_reading_edit_click();
    EXPECT_EQ(rows(s("select 止方,用量,是否收费 from 抄表总表 where 户号='000101'")),
              (QList<QStringList>{{s("44"), s("44"), s("1")}}));
    EXPECT_EQ(rows(s("select 户号,应收金额 from 总收费 order by 户号")),
              (QList<QStringList>{{s("0001"), s("110")}, {s("0002"), s("62.5")}}));

    // Deleting the other reading takes its bill.
    platform::listview_select_row(list, 1);
    ui.expect_box(s("确定要删除抄表编号【"), platform::MsgResult::Yes).expect_box(s("删除成功！"));
    query.on_main_reading_delete_click();
    EXPECT_EQ(rows(s("select 户号 from 总收费")), (QList<QStringList>{{s("0001")}}));

    // Unticked rows stay; the ticked one goes.
    platform::listview_set_row_checked(page.handheld_list(), 0, true);
    ui.expect_box(s("还有[1]条记录。"));
    page.on_handheld_delete_click();
    ASSERT_EQ(page.route().size(), 1u);
    EXPECT_EQ(page.route()[0].account, s("000201"));
}

}  // namespace
}  // namespace reading_test
