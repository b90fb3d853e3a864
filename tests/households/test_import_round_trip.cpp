// A household list exported to Excel, edited and imported again with 批量修改 changes exactly
// the cells that were edited: every other field reads back as it was written (numbers with
// leading zeros, dates in the list's 年月日 form, decimals), and the list's totals row is
// skipped.
#include <gtest/gtest.h>

#include <QByteArray>
#include <vector>

#include "household_fixture.h"
#include "households/household_import.h"
#include "lists/list_export.h"
#include "platform/excel_sheet.h"
#include "platform/excel_writer.h"

namespace {

using namespace households_test;

class RoundTrip : public HouseholdTest {};

QString fixture(const QString& name) {
    return QStringLiteral(FEE_SOURCE_DIR "/tests/households") +
           QStringLiteral("/import_fixtures/") + name;
}

QString text_of(const platform::excel::SheetCell& cell) {
    switch (cell.kind) {
        case platform::excel::SheetCell::Kind::Number:
            return platform::excel::number_cell_text(cell.number);
        case platform::excel::SheetCell::Kind::Empty:
            return QString();
        default:
            return cell.text;
    }
}

TEST_F(RoundTrip, ExportEditImportChangesExactlyTheEditedFields) {
    QTableView* list = add_page->household_list();
    const households::ShowHouseholds show = [&](const QStringList& numbers) {
        households::fill_household_list_by_numbers(numbers, nullptr, list);
    };
    ui.expect_file(fixture(s("households_add.xlsx")))
        .expect_input(s("Sheet1"))
        .expect_box(s("导入数据库成功！"));
    households::on_main_household_import_click(nullptr, show);
    ASSERT_EQ(count(s("select count(*) from 用户信息表")), 3);
    exec(s("update 用户信息表 set 停车费=30 where 户号='0001'"));

    // The list as the user sees it, exported.
    const QString exported = path(s("用户添加表.xlsx"));
    ASSERT_TRUE(lists::export_list_view_to_excel(list, exported));
    const QList<QStringList> before = rows(s("select * from 用户信息表 order by 编号"));

    // Edit two cells in the workbook: the address of 0001 and the persons of 0004.
    platform::excel::SheetData sheet;
    QString error;
    ASSERT_TRUE(platform::excel::read_sheet(exported, s("Sheet1"), sheet, &error))
        << error.toStdString();
    std::vector<QStringList> table;
    for (const auto& row : sheet.rows) {
        QStringList cells;
        const int last = row.columns.empty() ? -1 : row.columns.back();
        for (int c = 0; c <= last; ++c) {
            const platform::excel::SheetCell* cell = row.at(c);
            cells << (cell ? text_of(*cell) : QString());
        }
        table.push_back(cells);
    }
    ASSERT_GE(table.size(), 5u);  // titles, three households, the totals row
    const QStringList& titles = table[0];
    const int number = titles.indexOf(s("户号"));
    const int address = titles.indexOf(s("详细地址"));
    const int persons = titles.indexOf(s("家庭人口"));
    ASSERT_GE(number, 0);
    ASSERT_GE(address, 0);
    ASSERT_GE(persons, 0);
    EXPECT_EQ(table.back().value(number), s("用户数"));
    for (QStringList& cells : table) {
        while (cells.size() < titles.size()) cells << QString();
        if (cells[number] == s("0001")) cells[address] = s("1号楼102");
        if (cells[number] == s("0004")) cells[persons] = s("4");
    }
    const QString edited = path(s("改过.xlsx"));
    platform::excel::XlsxSheetWriter writer;
    ASSERT_TRUE(writer.begin(edited, s("Sheet1"), &error)) << error.toStdString();
    for (const QStringList& cells : table) {
        std::vector<QByteArray> bytes;
        for (const QString& cell : cells) bytes.push_back(cell.toUtf8());
        std::vector<const char*> pointers;
        for (const QByteArray& b : bytes) pointers.push_back(b.constData());
        writer.write_row(pointers.data(), static_cast<int>(pointers.size()));
    }
    ASSERT_TRUE(writer.finish(&error)) << error.toStdString();

    ui.expect_file(edited).expect_input(s("Sheet1")).expect_box(s("导入数据库成功！"));
    households::on_main_household_batch_modify_import_click(nullptr, show);

    QList<QStringList> expected = before;
    const int address_field = 5, persons_field = 7;
    for (QStringList& row : expected) {
        if (row[1] == s("0001")) row[address_field] = s("1号楼102");
        if (row[1] == s("0004")) row[persons_field] = s("4");
    }
    EXPECT_EQ(rows(s("select * from 用户信息表 order by 编号")), expected);
    // The result list shows the three households again, with their totals row.
    EXPECT_EQ(listed_numbers(list), (QStringList{s("0001"), s("0002"), s("0004")}));
}

// A household list exported as the program does by default (.xls), under a name holding
// "[", "]", ";" or "#", and imported with 批量添加: every household comes back as a new one,
// the list's totals row (用户数 and the count) does not, and the message says it was skipped.
TEST_F(RoundTrip, AddFromAnExportedListSkipsItsTotalsRowUnderAnyName) {
    QTableView* list = add_page->household_list();
    const households::ShowHouseholds show = [&](const QStringList& numbers) {
        households::fill_household_list_by_numbers(numbers, nullptr, list);
    };
    ui.expect_file(fixture(s("households_add.xlsx")))
        .expect_input(s("Sheet1"))
        .expect_box(s("导入数据库成功！"));
    households::on_main_household_import_click(nullptr, show);
    ASSERT_EQ(count(s("select count(*) from 用户信息表")), 3);
    ASSERT_EQ(listed_numbers(list).size(), 3);
    // The same households come back as new ones: without their cards, as a card belongs to
    // one household only.
    exec(s("update 用户信息表 set 磁卡号码=''"));
    households::fill_household_list_by_numbers(listed_numbers(list), nullptr, list);

    int households = 3;
    for (const QString& name : {s("名[3月].xls"), s("a;b#c.xls"), s("x]];y.xlsx")}) {
        const QString exported = path(name);
        ASSERT_TRUE(lists::export_list_view_to_excel(list, exported)) << name.toStdString();
        ui.expect_file(exported).expect_input(s("Sheet1")).expect_box(s("导入数据库成功！"));
        households::on_main_household_import_click(nullptr, [](const QStringList&) {});
        EXPECT_EQ(ui.boxes().back().text, s("导入数据库成功！\r\n已跳过列表的合计行1行。"))
            << name.toStdString();
        households += 3;
        EXPECT_EQ(count(s("select count(*) from 用户信息表")), households) << name.toStdString();
        EXPECT_EQ(count(s("select count(*) from 用户信息表 where 用户名='3'")), 0);
    }
}

}  // namespace
