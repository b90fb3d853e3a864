// The meter query window: every condition, the state filter, the order, and the refusals of
// empty inputs.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>

#include "household_fixture.h"
#include "households/household_meter_query_window.h"
#include "households/meter_list_page.h"

namespace {

using namespace households_test;
using households::HouseholdMeterQueryWindow;

class MeterQuery : public HouseholdTest {
protected:
    void SetUp() override {
        HouseholdTest::SetUp();
        exec(s("insert into 抄表员 (抄表员) values ('张师傅')"));
        exec(
            s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
              "(3,'民用水','水费',3.5,0,0)"));
        insert_household(s("0001"), s("王小明"), s("2024-1-1"), s(",磁卡号码"), s(",'C1'"));
        exec(s("update 用户信息表 set 居住街道='西区' where 户号='0001'"));
        insert_household(s("0002"), s("李四"), s("2024-1-1"), s(",磁卡号码"), s(",'C2'"));
        insert_household(s("0010"), s("张三"));
        insert_meter_account(s("000101"), s("0001"), s("物业"), s("住宅"), s("系统"), 1,
                             s("2024-1-1"), s("正常"), s("000000"));
        insert_meter_account(s("000102"), s("0001"), s("水费"), s("民用水"), s("张师傅"), 2,
                             s("2024-2-10"), s("正常"), s("W1"));
        insert_meter_account(s("000201"), s("0002"), s("物业"), s("住宅"), s("系统"), 2,
                             s("2024-1-1"), s("正常"), s("000000"));
        insert_meter_account(s("000202"), s("0002"), s("水费"), s("民用水"), s("张师傅"), 1,
                             s("2024-3-1"), s("报停"), s("W2"));
        insert_meter_account(s("001001"), s("0010"), s("物业"), s("商铺"), s("系统"), 3,
                             s("2024-3-5"), s("拆表"), s("000000"));
        page = std::make_unique<households::MeterListPage>();
    }
    void TearDown() override {
        page.reset();
        HouseholdTest::TearDown();
    }

    QStringList listed() {
        QStringList numbers;
        QTableView* list = page->meter_list();
        const int column = platform::listview_column_index(list, s("抄表户号"));
        for (int row = 0; row < platform::listview_row_count(list); ++row)
            numbers << platform::listview_cell_text(list, row, column);
        return numbers;
    }

    std::unique_ptr<households::MeterListPage> page;
};

struct QueryCase {
    const char* what;
    std::function<void(QWidget*)> set;
    QStringList expected;
};

TEST_F(MeterQuery, EachConditionFindsItsAccounts) {
    auto tick = [](QWidget* w, const char* option) {
        unit<QAbstractButton>(w, option)->setChecked(true);
    };
    auto date = [](QWidget* w, const char* box, QDate d) {
        w->findChild<QDateEdit*>(s(box))->setDate(d);
    };
    const QueryCase cases[] = {
        {"household range, the to-box following the from-box",
         [](QWidget* w) { edit(w, "编辑框_户号起")->setText(s("0001")); },
         {s("000101"), s("000102")}},
        {"household range compares texts",
         [](QWidget* w) {
             edit(w, "编辑框_户号起")->setText(s("0001"));
             edit(w, "编辑框_户号止")->setText(s("0002 "));
         },
         {s("000101"), s("000102"), s("000201"), s("000202")}},
        {"household range with the to-box emptied",
         [](QWidget* w) {
             edit(w, "编辑框_户号起")->setText(s("0001"));
             edit(w, "编辑框_户号止")->clear();
         },
         {}},
        {"mnemonic",
         [&](QWidget* w) {
             tick(w, "单选框_户名");
             edit(w, "编辑框_户名")->setText(s("wx"));
         },
         {s("000101"), s("000102")}},
        {"name",
         [&](QWidget* w) {
             tick(w, "单选框_户名");
             edit(w, "编辑框_户名")->setText(s(" 李"));
         },
         {s("000201"), s("000202")}},
        {"a quote in a name finds nothing and breaks nothing",
         [&](QWidget* w) {
             tick(w, "单选框_户名");
             edit(w, "编辑框_户名")->setText(s("O'B"));
         },
         {}},
        {"street",
         [&](QWidget* w) {
             tick(w, "单选框_居住街道");
             choose(combo(w, "组合框_居住街道"), s("东区"));
         },
         {s("000201"), s("000202"), s("001001")}},
        {"meter number",
         [&](QWidget* w) {
             tick(w, "单选框_新表编号");
             edit(w, "编辑框_新表编号")->setText(s("W2"));
         },
         {s("000202")}},
        {"reader, in reading order",
         [&](QWidget* w) {
             tick(w, "单选框_抄表人员");
             choose(combo(w, "组合框_抄表人员"), s("张师傅"));
         },
         {s("000202"), s("000102")}},
        {"fee item",
         [&](QWidget* w) {
             tick(w, "单选框_收费项目");
             choose(combo(w, "组合框_收费项目"), s("物业"));
         },
         {s("000101"), s("000201"), s("001001")}},
        {"fee item and price category",
         [&](QWidget* w) {
             tick(w, "单选框_收费项目");
             choose(combo(w, "组合框_收费项目"), s("物业"));
             unit<QCheckBox>(w, "选择框_价格类别")->setChecked(true);
             choose(combo(w, "组合框_价格类别"), s("商铺"));
         },
         {s("001001")}},
        {"set-up dates",
         [&](QWidget* w) {
             tick(w, "单选框_预存日期");
             date(w, "日期框_起", QDate(2024, 2, 1));
             date(w, "日期框_止", QDate(2024, 3, 1));
         },
         {s("000102"), s("000202")}},
        {"card number",
         [&](QWidget* w) {
             tick(w, "单选框_磁卡号码");
             edit(w, "编辑框_磁卡号码")->setText(s("C2"));
         },
         {s("000201"), s("000202")}},
        {"state",
         [&](QWidget* w) {
             tick(w, "单选框_收费项目");
             choose(combo(w, "组合框_收费项目"), s("水费"));
             unit<QCheckBox>(w, "选择框_计量状态")->setChecked(true);
             choose(combo(w, "组合框_计量状态"), s("报停"));
         },
         {s("000202")}},
        {"state ticked, none chosen",
         [&](QWidget* w) {
             tick(w, "单选框_收费项目");
             choose(combo(w, "组合框_收费项目"), s("水费"));
             unit<QCheckBox>(w, "选择框_计量状态")->setChecked(true);
         },
         {}},
    };
    for (const QueryCase& c : cases) {
        SCOPED_TRACE(c.what);
        HouseholdMeterQueryWindow window(page.get());
        c.set(&window);
        window.on_meter_query_ok_click();
        EXPECT_EQ(window.result(), QDialog::Accepted);
        EXPECT_EQ(listed(), c.expected);
    }
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(MeterQuery, EmptyInputsAreRefusedAndTheWindowStaysOpen) {
    shell::system_parameters.household_number_prefix = s("A");
    struct Refusal {
        const char* option;
        const char* message;
        const char* input;
    };
    const Refusal refusals[] = {
        {"单选框_按户号", "请输入户号！", "编辑框_户号起"},  // the prefix alone
        {"单选框_磁卡号码", "请输入磁卡号码！", "编辑框_磁卡号码"},
        {"单选框_户名", "请输入用户姓名！", "编辑框_户名"},
        {"单选框_新表编号", "请输入计量编号！", "编辑框_新表编号"},
        {"单选框_居住街道", "请选择居住街道！", "组合框_居住街道"},
        {"单选框_抄表人员", "请选择抄表人员！", "组合框_抄表人员"},
        {"单选框_收费项目", "请选择收费项目！", "组合框_收费项目"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.option);
        HouseholdMeterQueryWindow window(page.get());
        window.show();
        EXPECT_EQ(edit(&window, "编辑框_户号起")->text(), s("A"));
        EXPECT_EQ(edit(&window, "编辑框_户号起")->selectedText(), s("A"));
        unit<QAbstractButton>(&window, r.option)->setChecked(true);
        ui.expect_box(s(r.message));
        window.on_meter_query_ok_click();
        EXPECT_EQ(window.result(), 0);
        EXPECT_EQ(window.focusWidget(), window.findChild<QWidget*>(s(r.input)));
    }
    HouseholdMeterQueryWindow window(page.get());
    unit<QAbstractButton>(&window, "单选框_收费项目")->setChecked(true);
    choose(combo(&window, "组合框_收费项目"), s("物业"));
    unit<QCheckBox>(&window, "选择框_价格类别")->setChecked(true);
    ui.expect_box(s("请选择价格类别！"));
    window.on_meter_query_ok_click();
    EXPECT_EQ(platform::listview_row_count(page->meter_list()), 0);
}

}  // namespace
