// Meter reading in the main window: its pages, entries and F5.
#include <gtest/gtest.h>

#include <QDialog>
#include <QTabWidget>

#include "reading/meter_change_page.h"
#include "reading/monthly_reading_page.h"
#include "reading/reading_install.h"
#include "reading_fixture.h"
#include "shell/main_window.h"

using namespace reading_test;

namespace {

class ReadingInstall : public ReadingTest {};

TEST_F(ReadingInstall, PagesEntriesAndF5) {
    shell::MainWindow window;
    reading::install(window);
    ASSERT_NE(reading::monthly_reading_page(), nullptr);
    EXPECT_EQ(window.content_page_widget(shell::kPageMonthlyReadings),
              reading::monthly_reading_page());
    EXPECT_EQ(window.content_page_widget(shell::kPageMeterChanges), reading::meter_change_page());
    for (const char* name : {"抄表管理1_月抄表", "抄表管理1_固定抄表", "抄表管理1_换表管理",
                             "抄表管理1_生成物业费", "on_menu_meter_readers", "ReadingEntryWindow"})
        EXPECT_TRUE(window.has_action(s(name))) << name;

    add_water_household(s("0001"), s("甲"), 1);
    add_pending(s("000101"), s("0001"), 0, 9);
    window.select_navigation_page(shell::kNavReports);
    ui.on_modal(s("reading::ReadingEntryWindow"), [](QDialog* w) {
        EXPECT_EQ(shell::reading_form_mode, s("添加"));
        EXPECT_EQ(w->windowTitle(), s("抄表添加"));
        return w->result();
    });
    window.on_main_hotkey_pressed(116);
    EXPECT_EQ(window.navigation_tabs()->currentIndex(), shell::kNavReadings);
    EXPECT_EQ(window.content_tabs()->currentIndex(), shell::kPageMonthlyReadings);
    EXPECT_EQ(ui.modal_windows(), QStringList{s("reading::ReadingEntryWindow")});
    EXPECT_EQ(platform::listview_row_count(reading::monthly_reading_page()->monthly_list()), 1);

    window.select_content_page(shell::kPageWelcome);
    EXPECT_TRUE(window.run_action(s("抄表管理1_换表管理")));
    EXPECT_EQ(window.content_tabs()->currentIndex(), shell::kPageMeterChanges);

    // Without the right to add readings F5 refuses once and opens nothing.
    shell::current_operator = s("王五");
    ui.expect_box(s("您没有取得授权！"));
    window.on_main_hotkey_pressed(116);
    EXPECT_EQ(ui.modal_windows().size(), 1);
}

TEST_F(ReadingInstall, PropertyFeeAndFixedReadingEntries) {
    shell::MainWindow window;
    reading::install(window);
    add_household(s("0001"), s("甲"), 90);
    Meter m;
    m.number = s("000101");
    m.household = s("0001");
    m.item = s("物业");
    m.category = s("住宅");
    m.reader = s("系统");
    add_meter(m);

    ui.expect_box(
        s("该功能只能生成计量管理中收费项目为【物业】且计量状态为【正常】的表数据!\r\n"
          "每月只能生成一次,多次生成无效!"));
    EXPECT_TRUE(window.run_action(s("抄表管理1_生成物业费")));
    EXPECT_EQ(window.content_tabs()->currentIndex(), shell::kPageMonthlyReadings);
    QTableView* list = reading::monthly_reading_page()->monthly_list();
    ASSERT_EQ(platform::listview_row_count(list), 1);
    EXPECT_EQ(platform::listview_cell_text(list, 0, 7), s("90"));

    ui.on_modal(s("reading::FixedReadingsWindow"), [&window](QDialog* w) {
        EXPECT_EQ(window.content_tabs()->currentIndex(), shell::kPageWelcome);
        return w->result();
    });
    EXPECT_TRUE(window.run_action(s("抄表管理1_固定抄表")));
    EXPECT_EQ(ui.modal_windows(), QStringList{s("reading::FixedReadingsWindow")});

    shell::current_operator = s("王五");
    ui.expect_box(s("您没有取得授权！"))
        .expect_box(s("您没有取得授权！"))
        .expect_box(s("您没有取得授权！"));
    window.run_action(s("抄表管理1_生成物业费"));
    window.run_action(s("抄表管理1_固定抄表"));
    window.run_action(s("抄表管理1_换表管理"));
    EXPECT_EQ(ui.modal_windows().size(), 1);
}

}  // namespace
