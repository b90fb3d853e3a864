// Odd text where it enters: blanks around imported names (full-width ones too), workbooks whose
// file names hold "]" or ";", and query texts too long for any name.
#include <gtest/gtest.h>

#include <QRadioButton>

#include "household_fixture.h"
#include "households/household_import.h"
#include "households/household_meter_query_window.h"
#include "households/household_query_window.h"
#include "households/meter_list_page.h"
#include "platform/excel_writer.h"

namespace {

using namespace households_test;

class HostileText : public HouseholdTest {
protected:
    // A workbook of one sheet "Sheet1" written from rows of UTF-8 texts.
    QString workbook(const QString& name, const QList<QStringList>& rows) {
        const QString file = path(name);
        platform::excel::XlsxSheetWriter writer;
        QString error;
        EXPECT_TRUE(writer.begin(file, s("Sheet1"), &error)) << error.toStdString();
        for (const QStringList& row : rows) {
            std::vector<QByteArray> bytes;
            for (const QString& cell : row) bytes.push_back(cell.toUtf8());
            std::vector<const char*> cells;
            for (const QByteArray& b : bytes) cells.push_back(b.constData());
            writer.write_row(cells.data(), static_cast<int>(cells.size()));
        }
        EXPECT_TRUE(writer.finish(&error)) << error.toStdString();
        return file;
    }
};

// Names come in without the blanks around them, as the name query trims what it looks for;
// the workbook's file name reaches the bridge whatever it holds.
TEST_F(HostileText, ImportedNamesAreTrimmedAndAnyFileNameReads) {
    const QString file = workbook(s("名单;第1批]x.xlsx"),
                                  {{s("用户名"), s("居住街道")},
                                   {s("\u3000张三\u3000"), s("东区")},
                                   {s("  李四 "), s("西区")}});
    ui.expect_file(file).expect_input(s("Sheet1")).expect_box(s("导入数据库成功！"));
    households::on_main_household_import_click(nullptr, {});
    EXPECT_EQ(rows(s("select 用户名,助记词 from 用户信息表 order by 编号")),
              (QList<QStringList>{{s("张三"), s("zs")}, {s("李四"), s("ls")}}));

    const QString changes = workbook(s("改;名]单.xlsx"), {{s("户号"), s("用户名")},
                                                       {s("0001"), s("\u3000王五\t")}});
    ui.expect_file(changes).expect_input(s("Sheet1")).expect_box(s("导入数据库成功！"));
    households::on_main_household_batch_modify_import_click(nullptr, {});
    EXPECT_EQ(value(s("select 用户名 from 用户信息表 where 户号='0001'")), s("王五"));

    // The name query finds them.
    households::HouseholdQueryWindow window;
    unit<QRadioButton>(&window, "单选框_户名")->setChecked(true);
    edit(&window, "编辑框_户名")->setText(s("王"));
    button(&window, "按钮_确定")->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(listed_numbers(query_page->household_list()).value(0), s("0001"));
}

TEST_F(HostileText, OverlongQueryTextIsRefusedWithAMessage) {
    const QString overlong(platform::kMaxQueryTextLength + 1, QChar(u'张'));
    {
        households::HouseholdQueryWindow window;
        unit<QRadioButton>(&window, "单选框_户名")->setChecked(true);
        edit(&window, "编辑框_户名")->setText(overlong);
        ui.expect_box(platform::kQueryTextTooLong);
        button(&window, "按钮_确定")->click();
        EXPECT_NE(window.result(), QDialog::Accepted);
        // At the limit the query runs.
        edit(&window, "编辑框_户名")->setText(overlong.left(platform::kMaxQueryTextLength));
        button(&window, "按钮_确定")->click();
        EXPECT_EQ(window.result(), QDialog::Accepted);
    }
    households::MeterListPage page;
    households::HouseholdMeterQueryWindow window(&page);
    unit<QRadioButton>(&window, "单选框_户名")->setChecked(true);
    edit(&window, "编辑框_户名")->setText(overlong);
    ui.expect_box(platform::kQueryTextTooLong);
    window.on_meter_query_ok_click();
    EXPECT_NE(window.result(), QDialog::Accepted);
}

}  // namespace
