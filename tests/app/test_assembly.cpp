// The program's assembly on a main window of its own: which navigation entries, menu entries
// and hot-key steps end up with a handler (and so enabled), and the pages it fills.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>

#include "app/assembly.h"
#include "harness/fixture.h"
#include "shell/action_names.h"
#include "shell/main_window.h"
#include "shell/program_state.h"

namespace {

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

class Assembly : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        shell::init_program_variables();
    }
    void TearDown() override {
        shell::free_program_variables();
        ProgramFolderTest::TearDown();
    }
};

TEST_F(Assembly, EntriesWithAHandlerAreEnabledAndTheOthersNot) {
    shell::MainWindow window;
    app::assemble_program(window);
    namespace a = shell::action;
    struct Case {
        const char* action;
        const char* unit;  // the button or menu action showing it; "" for a hot-key step
        bool enabled;
    } cases[] = {
        {a::kMainNavHouseholdList, "用户管理_添加按钮", true},
        {a::kMainNavHouseholdQuery, "用户管理_用户查询", true},
        {a::kMainNavHouseholdMeters, "用户管理_用户表管理", true},
        {a::kMainNavChangePassword, "系统设置4_密码", true},
        {a::kMainNavHelp, "系统设置4_帮助", true},
        {a::kMainNavExit, "系统设置4_退出", true},
        {a::kMenuStreets, "菜单_居住街道设置", true},
        {a::kMenuOperatorSettings, "菜单_操作人员设置", true},
        {a::kMenuOperatorPermissions, "菜单_操作人员权限设置", true},
        {a::kMenuLogManagement, "菜单_日志管理", true},
        {a::kMenuBackupSettings, "菜单_数据库备份设置", true},
        {a::kMenuBackupDatabase, "菜单_数据库备份", true},
        {a::kMenuRestoreDatabase, "菜单_数据库恢复", true},
        {a::kMenuSystemInitialise, "菜单_系统初始化", true},
        {a::kMenuUiSettings, "菜单_界面设置", true},
        {a::kMenuHelp, "菜单_帮助", true},
        {a::kMenuAgreementText, "菜单_许可协议", true},
        {a::kMenuExit, "菜单_退出", true},
        {a::kMenuSystemParameters, "菜单_系统参数设置", true},
        {a::kMenuFeeItems, "菜单_收费项目设置", true},
        {a::kMenuPriceCategories, "菜单_价格类别设置", true},
        {a::kMenuBanks, "菜单_开户银行设置", true},
        {a::kMainMenuPrintParameters, "菜单_打印参数设置", true},
        {a::kMainNavMonthlyReading, "抄表管理1_月抄表", true},
        {a::kMenuMeterReaders, "菜单_抄表人员设置", true},
        {a::kReadingEntryWindow, "", true},
        {a::kMainHouseholdAdd, "", true},
        {a::kHouseholdQueryWindow, "", true},
        {a::kMainMeterAdd, "", true},
        {a::kMainNavCounterCharging, "收费管理2_窗口收费", true},
        {a::kMainNavCardCharging, "收费管理2_磁卡收费", true},
        {a::kMainNavBatchCharging, "收费管理2_批量收费", true},
        {a::kMainNavAddPrepayment, "预存管理_预存添加", true},
        {a::kMainNavPrepayQuery, "预存管理_预存查询", true},
        {a::kMainPrepayPopupEdit, "", true},
        {a::kMainPrepayPopupVoid, "", true},
        {a::kMainPrepayPopupReprint, "", true},
        {a::kMainNavChargeQuery, "收费管理2_收费查询", true},
        {a::kMainChargePopupEdit, "收费查询_修改", true},
        {a::kMainChargePopupVoid, "收费查询_作废", true},
        {a::kMainChargePopupExport, "收费查询_导出", true},
        {a::kMainChargePopupPrint, "收费查询_打印", true},
        {a::kMainChargePopupReprint, "收费查询_重打收据", true},
        {a::kMainMenuReprintReceipt, "菜单_收据重打", true},
        {a::kMainNavDeductionQuery, "预存管理_扣款查询", true},
        {a::kMainNavDailyChargeReport, "数据报表3_收费日报表", true},
        {a::kMainNavMonthlyChargeReport, "数据报表3_收费月报表", true},
        {a::kMainNavMonthlyReadingReport, "数据报表3_抄表月报表", true},
        {a::kMainNavMonthlyHouseholdReport, "数据报表3_用户月报表", true},
        {a::kMainNavAnnualHouseholdReport, "数据报表3_用户年报表", true},
        {a::kMainNavAnnualChargeReport, "数据报表3_成本核算表", true},
        {a::kMainNavAnnualChargeLedger, "数据报表3_收费统计", true},
        // Hidden in the menu bar, and so never enabled there; its handler shows the page.
        {a::kMainMenuReductions, "", true},
        {a::kMainMenuLateFee, "菜单_滞纳金设置", true},
        {a::kMainNavPrepayDeduction, "预存管理_预存扣款", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(window.has_action(s(c.action)), c.enabled) << c.action;
        if (!*c.unit) continue;
        QObject* unit = window.findChild<QObject*>(s(c.unit));
        ASSERT_NE(unit, nullptr) << c.unit;
        if (auto* button = qobject_cast<QAbstractButton*>(unit))
            EXPECT_EQ(button->isEnabled(), c.enabled) << c.unit;
        else if (auto* action = qobject_cast<QAction*>(unit))
            EXPECT_EQ(action->isEnabled(), c.enabled) << c.unit;
        else
            ADD_FAILURE() << c.unit << " is neither a button nor a menu action";
    }
    // The pages the subsystems put into the content area.
    for (int page : {shell::kPageTodaysHouseholds, shell::kPageHouseholdQuery,
                     shell::kPageOperationLog, shell::kPageMeters, shell::kPageDeductions,
                     shell::kPageStatistics, shell::kPageReductions, shell::kPageChargeQuery,
                     shell::kPagePrepayments})
        EXPECT_NE(window.content_page_widget(page), nullptr) << page;
}

TEST_F(Assembly, EveryEntryOfTheFrameHasAHandler) {
    shell::MainWindow window;
    app::assemble_program(window);
    // The calculator and notepad start the desktop's own programs, when there are any.
    const QStringList desktop_programs{s("on_menu_calculator"), s("on_menu_notepad")};
    QStringList missing;
    for (const QString& name : window.action_names())
        if (!window.has_action(name) && !desktop_programs.contains(name)) missing << name;
    EXPECT_TRUE(missing.isEmpty()) << missing.join(u' ').toStdString();
}

}  // namespace
