#pragma once
// The seeded program folder of harness/household_seed.h (shared with the later subsystems'
// tests) with the two household pages (standing alone, as the main window would hold them).
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <memory>

#include "harness/fixture.h"
#include "harness/household_seed.h"
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

class HouseholdTest : public harness::HouseholdSeedTest {
protected:
    void SetUp() override {
        HouseholdSeedTest::SetUp();
        households::household_form_mode.clear();
        add_page = std::make_unique<households::HouseholdAddPage>();
        query_page = std::make_unique<households::HouseholdQueryPage>();
    }
    void TearDown() override {
        query_page.reset();
        add_page.reset();
        HouseholdSeedTest::TearDown();
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
