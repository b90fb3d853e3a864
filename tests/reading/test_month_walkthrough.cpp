// A month as a new meter clerk lives it, in the main window: F5, three readings typed along the
// reader's route, the batch committed, the readings billed. Screenshots of each step go to the
// folder named by FEE_SCREENSHOT_DIR when it is set (run it under xvfb-run to look at them).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFocusEvent>
#include <QPushButton>

#include "households/households_install.h"
#include "households/meters_install.h"
#include "reading/monthly_reading_page.h"
#include "reading/reading_install.h"
#include "reading_fixture.h"
#include "shell/main_window.h"

using namespace reading_test;
using platform::MsgResult;

namespace {

void shoot(QWidget* w, const char* name) {
    const QString folder = qEnvironmentVariable("FEE_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    QApplication::processEvents();
    w->grab().save(folder + u'/' + QString::fromUtf8(name) + QStringLiteral(".png"));
}

class MonthWalkthrough : public ReadingTest {};

TEST_F(MonthWalkthrough, ANewClerkTypesThreeReadingsCommitsThemAndTheyAreBilled) {
    add_water_household(s("0001"), s("张伟"), 1, 120);
    add_water_household(s("0002"), s("王芳"), 2, 86.5);
    add_water_household(s("0003"), s("李娜"), 3, 301);
    exec(s("insert into 收费员 (收费人员,密码,许可) values ('赵敏','x',1)"));
    for (const char* item : {"抄表添加", "抄表入库"})
        exec(s("insert into 权限管理 (当前项目,人员姓名,权限标识) values ('") + s(item) +
             s("','赵敏',1)"));
    shell::current_operator = s("赵敏");

    shell::MainWindow window;
    const households::HouseholdPages pages = households::install(window);
    households::install_meters(window, pages.add_page);
    reading::install(window);
    window.resize(1400, 860);
    window.show();
    QApplication::processEvents();

    const double ends[] = {131.5, 95, 318};
    ui.on_modal(s("reading::ReadingEntryWindow"), [&](QDialog* w) {
        QLineEdit* account = edit(w, "户号");
        account->setText(s("000101"));
        // Leaving the number box looks the meter up.
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(account, &leave);
        shoot(w, "1_entry_window_first_meter");
        for (double end : ends) {
            edit(w, "止方输入框")->setText(platform::to_text(end));
            button(w, "抄表确定")->click();
        }
        shoot(w, "2_entry_window_route_finished");
        w->reject();
        return w->result();
    });
    window.on_main_hotkey_pressed(116);  // F5
    EXPECT_EQ(ui.sounds().size(), 3);
    auto* page = reading::monthly_reading_page();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(platform::listview_row_count(page->monthly_list()), 3);
    shoot(&window, "3_monthly_page_three_readings");

    ui.expect_box(s("确定要把月抄表数据加入到抄表总数据中吗？"), MsgResult::Ok)
        .expect_box(s("操作成功！"));
    page->findChild<QPushButton*>(s("月抄表6"))->click();
    shoot(&window, "4_monthly_page_after_commit");

    EXPECT_EQ(rows(s("select 户号,起方,止方,用量,是否收费 from 抄表总表 order by 编号")),
              (QList<QStringList>{{s("000101"), s("120"), s("131.5"), s("11.5"), s("1")},
                                  {s("000201"), s("86.5"), s("95"), s("8.5"), s("1")},
                                  {s("000301"), s("301"), s("318"), s("17"), s("1")}}));
    EXPECT_EQ(rows(s("select 户号,实收量,应收金额,收费标志 from 总收费 order by 收据号")),
              (QList<QStringList>{{s("0001"), s("11.5"), s("28.75"), s("1")},
                                  {s("0002"), s("8.5"), s("21.25"), s("1")},
                                  {s("0003"), s("17"), s("42.5"), s("1")}}));
    EXPECT_EQ(count(s("select count(*) from 抄表总表 a,总收费 b where a.收据号=b.收据号")), 3);
}

}  // namespace
