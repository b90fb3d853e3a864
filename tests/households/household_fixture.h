#pragma once
// A program folder with the shipped database, the administrator logged in, the parameters
// loaded, a fixed clock, two streets, a bank and a second property category, and the two
// household pages (standing alone, as the main window would hold them).
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <memory>

#include "harness/fixture.h"
#include "harness/units.h"
#include "households/household_entry_window.h"
#include "households/household_lists.h"
#include "households/household_pages.h"
#include "households/household_record.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/listview.h"
#include "shell/program_state.h"
#include "shell/system_parameters.h"

namespace households_test {

inline QString s(const char* utf8) { return QString::fromUtf8(utf8); }

using harness::unit;

class HouseholdTest : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        shell::init_program_variables();
        shell::current_operator = s("管理员");
        shell::load_system_parameters();
        households::household_form_mode.clear();
        set_clock(QDateTime(QDate(2024, 3, 5), QTime(10, 0, 0)));
        exec(s("insert into 街道(街道) values ('东区')"));
        exec(s("insert into 街道(街道) values ('西区')"));
        exec(s("insert into 开户银行(开户银行) values ('工商银行')"));
        exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values (2,'商铺','物业',2.5,0,0)"));
        add_page = std::make_unique<households::HouseholdAddPage>();
        query_page = std::make_unique<households::HouseholdQueryPage>();
    }
    void TearDown() override {
        query_page.reset();
        add_page.reset();
        shell::free_program_variables();
        ProgramFolderTest::TearDown();
    }

    // A household row written directly (父号 "0" unless given).
    void insert_household(const QString& number, const QString& name, const QString& registered = s("2024-3-5"),
                          const QString& extra_columns = QString(), const QString& extra_values = QString()) {
        exec(s("insert into 用户信息表 (户号,父号,用户名,助记词,居住街道,建档时间,性质,物业类别") + extra_columns +
             s(") values (") + platform::sql_quote(number) + s(",'0',") + platform::sql_quote(name) + u',' +
             platform::sql_quote(make_pinyin_initials(name)) + s(",'东区','") + registered +
             s("',0,'住宅'") + extra_values + u')');
    }

    // A meter account row written directly (starting reading 0, rate 1).
    void insert_meter_account(const QString& number, const QString& household, const QString& item,
                              const QString& category, const QString& reader, int order,
                              const QString& created = s("2024-1-1"),
                              const QString& state = s("正常"), const QString& meter_no = s("X")) {
        exec(s("insert into 用户表管理 "
               "(户号,收费项目,价格类别,开始起数,抄表人员,倍率,计量编号,抄表序号,建表时间,父号,"
               "状态) values (") +
             platform::sql_quote(number) + u',' + platform::sql_quote(item) + u',' +
             platform::sql_quote(category) + s(",0,") + platform::sql_quote(reader) + s(",1,") +
             platform::sql_quote(meter_no) + u',' + QString::number(order) + u',' +
             platform::sql_quote(created) + u',' + platform::sql_quote(household) + u',' +
             platform::sql_quote(state) + u')');
    }

    // Cell 0 (户号) of every household row of a list, the totals row left out.
    static QStringList listed_numbers(QTableView* list) {
        QStringList numbers;
        const int totals = households::household_list_totals_row(list);
        const int column = platform::listview_column_index(list, s("户号"));
        for (int row = 0; row < platform::listview_row_count(list); ++row)
            if (row != totals) numbers << platform::listview_cell_text(list, row, column);
        return numbers;
    }

    static int row_of(QTableView* list, const QString& number) {
        const int column = platform::listview_column_index(list, s("户号"));
        for (int row = 0; row < platform::listview_row_count(list); ++row)
            if (platform::listview_cell_text(list, row, column) == number) return row;
        return -1;
    }

    static QLineEdit* edit(QWidget* w, const char* name) { return unit<QLineEdit>(w, name); }
    static QComboBox* combo(QWidget* w, const char* name) { return unit<QComboBox>(w, name); }
    static QPushButton* button(QWidget* w, const char* name) { return unit<QPushButton>(w, name); }
    static void choose(QComboBox* box, const QString& text) {
        const int index = box->findText(text);
        EXPECT_GE(index, 0) << text.toStdString();
        box->setCurrentIndex(index);
    }

    // Fills the form's required fields: the name, street 东区, property category 住宅.
    static void fill_required(QWidget* form, const QString& name) {
        edit(form, "编辑框_用户名")->setText(name);
        choose(combo(form, "组合框_居住街道"), s("东区"));
        choose(combo(form, "组合框_物业类别"), s("住宅"));
    }

    std::unique_ptr<households::HouseholdAddPage> add_page;
    std::unique_ptr<households::HouseholdQueryPage> query_page;
};

}  // namespace households_test
