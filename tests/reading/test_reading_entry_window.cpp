// The reading entry window, offscreen: add mode with the route walk and the sound, the
// refusals in their order, the already-read test, the loss while typing, the start-reading
// guard, and modify mode from the monthly page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>

#include "harness/fixture.h"
#include "reading/confirmation_sound.h"
#include "reading/monthly_reading_page.h"
#include "reading/reading_entry_window.h"
#include "reading_fixture.h"

using namespace reading_test;
using reading::ReadingEntryWindow;

namespace {

class ReadingEntry : public ReadingTest {
protected:
    void SetUp() override {
        ReadingTest::SetUp();
        exec(s("update pz set 文本='00' where 项目名称='编码前缀'"));
        shell::load_system_parameters();
        // 张三's route: 000101, 000201, 000301 (stopped), 000401; 李四 reads 000501.
        add_water_household(s("0001"), s("甲"), 1, 100);
        add_water_household(s("0002"), s("乙"), 2, 200);
        add_water_household(s("0003"), s("丙"), 3, 300);
        exec(s("update 用户表管理 set 状态='报停' where 户号='000301'"));
        add_water_household(s("0004"), s("丁"), 4, 400);
        add_water_household(s("0005"), s("戊"), 1, 500, s("李四"));
        page = std::make_unique<reading::MonthlyReadingPage>();
        shell::reading_form_mode = s("添加");
    }
    void TearDown() override {
        page.reset();
        ReadingTest::TearDown();
    }

    static void type_account(ReadingEntryWindow& w, const QString& number) {
        edit(&w, "户号")->setText(number);
        w.load_previous_reading();
    }
    static QString text_of(ReadingEntryWindow& w, const char* box) { return edit(&w, box)->text(); }
    static QString label(ReadingEntryWindow& w, const char* name) {
        return unit<QLabel>(&w, name)->text();
    }

    std::unique_ptr<reading::MonthlyReadingPage> page;
};

TEST_F(ReadingEntry, AddsReadingsPlaysTheSoundAndWalksTheReadersRoute) {
    ReadingEntryWindow w(page->monthly_list());
    EXPECT_EQ(w.windowTitle(), s("抄表添加"));
    EXPECT_EQ(text_of(w, "户号"), s("00"));
    EXPECT_TRUE(unit<QCheckBox>(&w, "到下一户")->isChecked());
    EXPECT_TRUE(unit<QCheckBox>(&w, "选择框_刷新")->isChecked());

    type_account(w, s("000101"));
    EXPECT_EQ(text_of(w, "起方输入框"), s("100"));
    EXPECT_EQ(label(w, "用户信息1"), s("用户姓名：甲"));
    EXPECT_EQ(label(w, "用户信息2"), s("收费项目：水费"));
    EXPECT_EQ(label(w, "用户信息3"), s("价格类别：居民"));
    EXPECT_EQ(label(w, "用户信息4"), s("居住街道：东区"));
    EXPECT_EQ(label(w, "用户信息5"), s("计量编号：M1"));
    EXPECT_EQ(label(w, "用户信息6"), s("建表时间：2024年1月1日"));
    EXPECT_EQ(label(w, "用户信息7"), s("抄表人员：张三"));
    EXPECT_EQ(label(w, "用户信息8"), s("详细地址：甲的家"));

    edit(&w, "止方输入框")->setText(s("112.5"));
    button(&w, "抄表确定")->click();
    EXPECT_EQ(
        rows(s("select 户号,父号,起方,止方,用量,抄表日期,水损,收费项目,价格类别,抄表人员,价格 "
               "from 抄表管理")),
        (QList<QStringList>{{s("000101"), s("0001"), s("100"), s("112.5"), s("12.5"),
                             s("2024-03-05"), s("0"), s("水费"), s("居民"), s("张三"), s("2.5")}}));
    ASSERT_EQ(ui.sounds().size(), 1);
    EXPECT_EQ(ui.sounds().front(), reading::confirmation_sound_path());
    EXPECT_TRUE(QFile::exists(harness::shipped_program_folder() + s("/sound/confirm.wav")));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='抄表添加'")),
              s("添加户号：000101的抄表记录。"));
    // The monthly list was refilled; the route goes on with the reader's next meter.
    EXPECT_EQ(platform::listview_row_count(page->monthly_list()), 1);
    EXPECT_EQ(text_of(w, "户号"), s("000201"));
    EXPECT_EQ(text_of(w, "起方输入框"), s("200"));
    EXPECT_EQ(text_of(w, "止方输入框"), s(""));
    EXPECT_EQ(text_of(w, "编辑框_水损"), s("0"));
    EXPECT_EQ(reading::reading_entry_next_meter_id, 0);

    edit(&w, "止方输入框")->setText(s("210"));
    button(&w, "抄表确定")->click();
    // 000301 is stopped: the walk skips it.
    EXPECT_EQ(text_of(w, "户号"), s("000401"));
    EXPECT_EQ(text_of(w, "起方输入框"), s("400"));

    edit(&w, "止方输入框")->setText(s("401"));
    button(&w, "抄表确定")->click();
    // The route is finished.
    EXPECT_EQ(text_of(w, "户号"), s("00"));
    EXPECT_EQ(ui.sounds().size(), 3);
    EXPECT_EQ(count(s("select count(*) from 抄表管理")), 3);
    EXPECT_EQ(platform::listview_cell_text(page->monthly_list(), 0, 0), s("000401"));

    // A number typed by hand is looked up as typed.
    type_account(w, s("000501"));
    EXPECT_EQ(label(w, "用户信息7"), s("抄表人员：李四"));
    EXPECT_EQ(text_of(w, "起方输入框"), s("500"));
}

// Every cell of a list, row by row, with the column titles first.
QList<QStringList> list_cells(QTableView* list) {
    QList<QStringList> out{{}};
    for (int c = 0; c < platform::listview_column_count(list); ++c)
        out[0] << platform::listview_column_title(list, c);
    for (int r = 0; r < platform::listview_row_count(list); ++r) {
        QStringList row;
        for (int c = 0; c < platform::listview_column_count(list); ++c)
            row << platform::listview_cell_text(list, r, c);
        out << row;
    }
    return out;
}

// The list after an added reading shows what a refill with the page's statement shows: the new
// rows on top, hidden columns left out, nothing ticked or selected; a list showing another
// statement (the negative readings) is refilled with the page's own.
TEST_F(ReadingEntry, AddedReadingsShowAsAFreshFillOfTheBatch) {
    exec(s("update 查询列 set 显示='假' where 类名='月抄表' and 列名='居住街道'"));
    add_pending(s("000501"), s("0005"), 500, 505);
    page->refill();
    QTableView* list = page->monthly_list();
    platform::listview_set_row_checked(list, 0, true);
    platform::listview_select_row(list, 0);
    ReadingEntryWindow w(list);
    unit<QCheckBox>(&w, "到下一户")->setChecked(false);
    for (const char* account : {"000101", "000201"}) {
        type_account(w, s(account));
        edit(&w, "止方输入框")->setText(s("999"));
        button(&w, "抄表确定")->click();
    }
    QTableView fresh;
    reading::fill_monthly_reading_list(nullptr, &fresh, reading::monthly_reading_statement());
    ASSERT_EQ(platform::listview_row_count(list), 3);
    EXPECT_EQ(platform::listview_cell_text(list, 0, 0), s("000201"));
    EXPECT_EQ(list_cells(list), list_cells(&fresh));
    EXPECT_FALSE(platform::listview_row_checked(list, 2));
    EXPECT_EQ(platform::listview_selected_row(list), -1);

    reading::fill_monthly_reading_list(nullptr, list,
                                       reading::monthly_negative_reading_statement());
    EXPECT_EQ(platform::listview_row_count(list), 0);
    type_account(w, s("000401"));
    edit(&w, "止方输入框")->setText(s("999"));
    button(&w, "抄表确定")->click();
    reading::fill_monthly_reading_list(nullptr, &fresh, reading::monthly_reading_statement());
    EXPECT_EQ(platform::listview_row_count(list), 4);
    EXPECT_EQ(list_cells(list), list_cells(&fresh));
}

TEST_F(ReadingEntry, WithoutNextMeterTheBoxGoesBackToThePrefix) {
    ReadingEntryWindow w(page->monthly_list());
    unit<QCheckBox>(&w, "到下一户")->setChecked(false);
    unit<QCheckBox>(&w, "选择框_刷新")->setChecked(false);
    type_account(w, s("000101"));
    edit(&w, "止方输入框")->setText(s("101"));
    button(&w, "抄表确定")->click();
    EXPECT_EQ(text_of(w, "户号"), s("00"));
    EXPECT_EQ(count(s("select count(*) from 抄表管理")), 1);
    EXPECT_EQ(platform::listview_row_count(page->monthly_list()), 0);
}

TEST_F(ReadingEntry, RefusalsInTheirOrderWriteNothing) {
    add_household(s("0009"), s("物业户"), 80);
    Meter property;
    property.number = s("000901");
    property.household = s("0009");
    property.item = s("物业");
    property.category = s("住宅");
    property.reader = s("系统");
    add_meter(property);

    ReadingEntryWindow w(page->monthly_list());
    ui.expect_box(s("户号不能为空！"));
    button(&w, "抄表确定")->click();

    type_account(w, s("000101"));
    ui.expect_box(s("止数不能为空！"));
    button(&w, "抄表确定")->click();

    edit(&w, "止方输入框")->setText(s("99.999"));
    ui.expect_box(s("止数减起度不能小于0！"));
    button(&w, "抄表确定")->click();

    // Another number typed over a looked-up meter without leaving the box: not a meter of this
    // fee item and category.
    edit(&w, "户号")->setText(s("000102"));
    edit(&w, "止方输入框")->setText(s("150"));
    ui.expect_box(s("无此用户计量信息,请在计量管理中添加用户计量表！"));
    button(&w, "抄表确定")->click();

    type_account(w, s("000901"));
    edit(&w, "止方输入框")->setText(s("1"));
    ui.expect_box(s("该用户户号为物业不需要抄表,请点击物业抄表,系统自动生成抄表数据!"));
    button(&w, "抄表确定")->click();
    EXPECT_EQ(text_of(w, "户号"), s("00"));

    // An unknown number is set back to the prefix without a message.
    type_account(w, s("009999"));
    EXPECT_EQ(text_of(w, "户号"), s("00"));
    EXPECT_TRUE(ui.sounds().isEmpty());
    EXPECT_EQ(count(s("select count(*) from 抄表管理")), 0);

    // A second pending reading of the same meter.
    add_pending(s("000101"), s("0001"), 100, 110);
    type_account(w, s("000101"));
    edit(&w, "止方输入框")->setText(s("120"));
    ui.expect_box(
        s("在临时抄表中已加入了该用户抄表记录！\r\n请点击【抄表入库】即可完成用户抄表。"));
    button(&w, "抄表确定")->click();
    EXPECT_EQ(ui.boxes().back().caption, s("抄表提示"));
    EXPECT_EQ(count(s("select count(*) from 抄表管理")), 1);
    EXPECT_TRUE(ui.sounds().isEmpty());
}

TEST_F(ReadingEntry, RolloverIsAcceptedBelowTheStartAndTinyNegativesPass) {
    ReadingEntryWindow w(page->monthly_list());
    unit<QCheckBox>(&w, "到下一户")->setChecked(false);
    exec(s("update 用户表管理 set 开始起数=9990,倍率=2 where 户号='000101'"));
    type_account(w, s("000101"));
    combo(&w, "组合框_水表状态")->setCurrentIndex(1);
    edit(&w, "止方输入框")->setText(s("15"));
    button(&w, "抄表确定")->click();
    EXPECT_EQ(value(s("select 用量 from 抄表管理 where 户号='000101'")), s("50"));
    // The state keeps its choice from one save to the next.
    EXPECT_EQ(combo(&w, "组合框_水表状态")->currentText(), s("翻字"));

    combo(&w, "组合框_水表状态")->setCurrentIndex(0);
    type_account(w, s("000201"));
    edit(&w, "止方输入框")->setText(s("199.99999995"));
    button(&w, "抄表确定")->click();
    EXPECT_EQ(count(s("select count(*) from 抄表管理 where 户号='000201' and 用量<0")), 1);
}

TEST_F(ReadingEntry, AMeterReadAndCommittedThisMonthIsRefusedAnotherMonthPasses) {
    add_history(s("000101"), s("0001"), 100, 110, s("2024-3-2"));
    ReadingEntryWindow w(page->monthly_list());
    ui.expect_box(s("该用户本月已抄表并且已经入库!"));
    type_account(w, s("000101"));
    EXPECT_EQ(text_of(w, "户号"), s("00"));

    unit<QDateEdit>(&w, "抄表日期框")->setDate(QDate(2024, 4, 2));
    type_account(w, s("000101"));
    EXPECT_EQ(text_of(w, "起方输入框"), s("110"));
    edit(&w, "止方输入框")->setText(s("118"));
    button(&w, "抄表确定")->click();
    EXPECT_EQ(value(s("select 抄表日期 from 抄表管理")), s("2024-04-02"));
}

TEST_F(ReadingEntry, LossIsComputedFromTheIntegerUsageWhileTyping) {
    set_loss(s("电费"), s("开启"), s("十分位"));
    exec(s("update 水价类别 set 电损率=5 where 水价类别='照明'"));
    Meter m;
    m.number = s("000102");
    m.household = s("0001");
    m.item = s("电费");
    m.category = s("照明");
    m.multiplier = 2;
    m.order = 9;
    add_meter(m);

    ReadingEntryWindow w(page->monthly_list());
    unit<QCheckBox>(&w, "到下一户")->setChecked(false);
    type_account(w, s("000102"));
    edit(&w, "止方输入框")->setText(s("10.7"));
    EXPECT_EQ(text_of(w, "编辑框_水损"), s("1"));
    EXPECT_EQ(reading::reading_entry_multiplier, 2);
    button(&w, "抄表确定")->click();
    EXPECT_EQ(rows(s("select 用量,水损,价格 from 抄表管理")),
              (QList<QStringList>{{s("21.4"), s("1"), s("0.6")}}));

    // Without automatic loss the typed loss stays.
    type_account(w, s("000101"));
    edit(&w, "编辑框_水损")->setText(s("3"));
    edit(&w, "止方输入框")->setText(s("150"));
    EXPECT_EQ(text_of(w, "编辑框_水损"), s("3"));
}

TEST_F(ReadingEntry, OnlyTheAdministratorMayTypeAStartReading) {
    shell::current_operator = s("张三");
    {
        ReadingEntryWindow w(page->monthly_list());
        ui.expect_box(s("对不起您不是管理员,不能修改起方!"));
        w.on_add_reading_start_got_focus();
        EXPECT_TRUE(edit(&w, "起方输入框")->isEnabled());
    }
    shell::current_operator = s("管理员");
    ReadingEntryWindow w(page->monthly_list());
    unit<QCheckBox>(&w, "到下一户")->setChecked(false);
    w.on_add_reading_start_got_focus();
    type_account(w, s("000101"));
    edit(&w, "起方输入框")->setText(s("90"));
    edit(&w, "止方输入框")->setText(s("95"));
    button(&w, "抄表确定")->click();
    EXPECT_EQ(value(s("select 起方 || '/' || 用量 from 抄表管理")), s("90.0/5.0"));
}

// From the keyboard: the account, Enter, the end reading, Enter adds it.
TEST_F(ReadingEntry, EnterWalksToTheEndReadingAndAdds) {
    ReadingEntryWindow w(page->monthly_list());
    w.show();
    QApplication::setActiveWindow(&w);
    QApplication::processEvents();
    const auto enter = [](QWidget* box) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(box, &key);
        QApplication::processEvents();
    };
    edit(&w, "户号")->setFocus();
    edit(&w, "户号")->setText(s("000101"));
    enter(edit(&w, "户号"));
    ASSERT_TRUE(edit(&w, "止方输入框")->hasFocus());
    EXPECT_EQ(text_of(w, "起方输入框"), s("100"));
    edit(&w, "止方输入框")->setText(s("112.5"));
    enter(edit(&w, "止方输入框"));
    EXPECT_EQ(rows(s("select 户号,止方 from 抄表管理")),
              (QList<QStringList>{{s("000101"), s("112.5")}}));
}

TEST_F(ReadingEntry, ModifyModeChangesTheSelectedPendingRowAndCloses) {
    add_pending(s("000101"), s("0001"), 100, 110);
    add_pending(s("000201"), s("0002"), 200, 205);
    page->refill();
    QTableView* list = page->monthly_list();
    platform::listview_select_row(list, 1);  // newest first: 000101 is second
    shell::reading_form_mode = s("修改");
    ReadingEntryWindow w(list);
    EXPECT_EQ(w.windowTitle(), s("抄表修改"));
    EXPECT_EQ(button(&w, "抄表确定")->text(), s("保存&B"));
    EXPECT_FALSE(edit(&w, "户号")->isEnabled());
    EXPECT_EQ(text_of(w, "户号"), s("000101"));
    EXPECT_EQ(text_of(w, "起方输入框"), s("100"));
    EXPECT_EQ(text_of(w, "止方输入框"), s("110"));
    edit(&w, "止方输入框")->setText(s("111.5"));
    edit(&w, "编辑框_水损")->setText(s("0.5"));
    button(&w, "抄表确定")->click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(rows(s("select 户号,起方,止方,用量,水损 from 抄表管理 order by 编号")),
              (QList<QStringList>{{s("000101"), s("100"), s("111.5"), s("11.5"), s("0.5")},
                                  {s("000201"), s("200"), s("205"), s("5"), s("0")}}));
    EXPECT_EQ(value(s("select 备注 from 日志管理")),
              s("修改户号：000101的抄表记录，但未入抄表库。"));
    EXPECT_EQ(ui.sounds().size(), 1);
    EXPECT_EQ(platform::listview_cell_text(list, 1, 6), s("111.5"));
}

TEST_F(ReadingEntry, ModifyModeWithoutTheReaderColumnStopsLoading) {
    add_pending(s("000101"), s("0001"), 100, 110);
    exec(s("update 查询列 set 显示='假' where 类名='月抄表' and 列名='抄表人员'"));
    page->refill();
    platform::listview_select_row(page->monthly_list(), 0);
    shell::reading_form_mode = s("修改");
    ui.expect_box(s("请在查询列在设置显示抄表人员列!"));
    ReadingEntryWindow w(page->monthly_list());
    EXPECT_EQ(text_of(w, "户号"), s("000101"));
    EXPECT_EQ(text_of(w, "起方输入框"), s(""));
    EXPECT_EQ(text_of(w, "止方输入框"), s(""));
}

}  // namespace
