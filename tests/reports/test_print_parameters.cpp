// The print parameters in pz.ini, the window that edits them, the restore of a shipped
// template, and the menu entry's permission.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "charging/charging_window.h"
#include "harness/units.h"
#include "receipt_fixture.h"
#include "reports/print_parameters.h"
#include "reports/print_parameters_window.h"
#include "reports/reports_install.h"
#include "shell/main_window.h"

namespace reports_test {
namespace {

using harness::unit;
using reports::kCopiesKey;
using reports::kPrintPreviewKey;

class PrintParameters : public ReceiptTest {};

TEST_F(PrintParameters, CopiesAreStoredInShortestFormOrRefused) {
    struct Case {
        const char* typed;
        bool saved;
        const char* stored;
    };
    for (const Case& c :
         {Case{"0", false, ""}, Case{"-1", false, ""}, Case{"", false, ""}, Case{"abc", false, ""},
          Case{"2.5", true, "2.5"}, Case{"3", true, "3"}, Case{"02.50", true, "2.5"}}) {
        platform::file_delete(path("pz.ini"));
        const reports::SaveOutcome out =
            reports::save_print_parameters(store::main_connection(), 1, s(c.typed), context());
        EXPECT_EQ(out.saved, c.saved) << c.typed;
        EXPECT_EQ(out.message, c.saved ? s("保存成功!") : s("打印张数不能小于0!")) << c.typed;
        EXPECT_EQ(out.focus_copies, !c.saved) << c.typed;
        EXPECT_EQ(kCopiesKey.read(), s(c.stored)) << c.typed;
        EXPECT_EQ(kPrintPreviewKey.read(), c.saved ? s("假") : QString()) << c.typed;
    }
    EXPECT_EQ(count(s("select count(*) from 日志管理 where 上级项目='基本设置' and "
                      "当前项目='打印参数设置' and 备注='修改打印参数设置'")),
              3);
}

TEST_F(PrintParameters, AFailedLogRowIsToldAndTheSettingsStayStored) {
    exec(s("drop table 日志管理"));
    const reports::SaveOutcome out =
        reports::save_print_parameters(store::main_connection(), 0, s("2"), context());
    EXPECT_TRUE(out.saved);
    EXPECT_EQ(out.log_failure, s("添加日志失败！"));
    EXPECT_EQ(kCopiesKey.read(), s("2"));
    EXPECT_EQ(kPrintPreviewKey.read(), s("真"));
}

TEST_F(PrintParameters, PreviewSettingReadsAndWrites) {
    EXPECT_TRUE(reports::receipts_open_preview());  // missing key: preview
    EXPECT_EQ(reports::load_print_parameters().preview_index, 0);
    for (const char* stored : {"假", "真", "其他"}) {
        kPrintPreviewKey.write(s(stored));
        EXPECT_EQ(reports::receipts_open_preview(), s(stored) != s("假"));
        EXPECT_EQ(reports::load_print_parameters().preview_index, s(stored) == s("假") ? 1 : 0);
    }
    reports::save_print_parameters(store::main_connection(), 0, s("1"), context());
    EXPECT_EQ(kPrintPreviewKey.read(), s("真"));
}

TEST_F(PrintParameters, WindowLoadsSavesAndRefuses) {
    kPrintPreviewKey.write(s("假"));
    kCopiesKey.write(s("2"));
    reports::PrintParametersWindow window;
    auto* preview = unit<QComboBox>(window, "组合框_打印预览");
    auto* copies = unit<QComboBox>(window, "组合框_打印预览1");
    EXPECT_EQ(preview->currentText(), s("关闭"));
    EXPECT_EQ(copies->currentText(), s("2"));
    EXPECT_EQ(window.windowTitle(), s("打印参数设置"));

    copies->setEditText(s("0"));
    ui.expect_box(s("打印张数不能小于0!"));
    unit<QPushButton>(window, "按钮1")->click();
    EXPECT_EQ(kCopiesKey.read(), s("2"));

    // Saving writes the preview choice even when the copies stay as they were.
    copies->setEditText(s("2"));
    preview->setCurrentIndex(0);
    ui.expect_box(s("保存成功!"));
    unit<QPushButton>(window, "按钮1")->click();
    EXPECT_EQ(kPrintPreviewKey.read(), s("真"));
    EXPECT_EQ(window.result(), int(QDialog::Accepted));
}

// The copies this window shows are the copies the counter and the card window print, stored or
// not; saving a fresh settings file as the window opens stores them.
TEST_F(PrintParameters, ShowsTheCopiesTheChargingWindowsPrint) {
    shell::current_operator = s("李四");  // a collector: the charging windows open for him
    shell::system_parameters.invoice_management = s("关闭");
    struct Case {
        const char* stored;  // nullptr: no key
        const char* shown;
    };
    for (const Case& c : {Case{nullptr, "2"}, Case{"", "2"}, Case{"0", "2"}, Case{"abc", "2"},
                          Case{"3", "3"}, Case{"2.5", "2.5"}}) {
        SCOPED_TRACE(c.stored ? c.stored : "no key");
        platform::file_delete(path("pz.ini"));
        if (c.stored) {
            ASSERT_TRUE(kCopiesKey.write(s(c.stored)));
        }
        reports::PrintParametersWindow window;
        EXPECT_EQ(unit<QComboBox>(window, "组合框_打印预览1")->currentText(), s(c.shown));
        charging::CounterChargingWindow counter;
        charging::CardChargingWindow card;
        EXPECT_EQ(unit<QLineEdit>(counter, "打印张数")->text(), s(c.shown));
        EXPECT_EQ(unit<QLineEdit>(card, "打印张数")->text(), s(c.shown));
    }
    platform::file_delete(path("pz.ini"));
    reports::PrintParametersWindow window;
    ui.expect_box(s("保存成功!"));
    unit<QPushButton>(window, "按钮1")->click();
    EXPECT_EQ(kCopiesKey.read(), s("2"));
}

TEST_F(PrintParameters, RestorePutsTheShippedTemplateBack) {
    QFile live(path("grf/sf.grf"));
    ASSERT_TRUE(live.open(QIODevice::WriteOnly | QIODevice::Truncate));
    live.write("edited");
    live.close();
    reports::PrintParametersWindow window;
    unit<QComboBox>(window, "组合框_当前发票")->setCurrentText(s("收费发票"));

    ui.expect_box(s("确定要恢复收费发票到初始状态吗?"), platform::MsgResult::No);
    unit<QPushButton>(window, "按钮4")->click();
    ASSERT_TRUE(live.open(QIODevice::ReadOnly));
    EXPECT_EQ(live.readAll(), QByteArray("edited"));
    live.close();

    ui.expect_box(s("确定要恢复收费发票"), platform::MsgResult::Yes)
        .expect_box(s("恢复收费发票设计模板成功!"));
    unit<QPushButton>(window, "按钮4")->click();
    QFile shipped(path("bak/sf.bak"));
    ASSERT_TRUE(live.open(QIODevice::ReadOnly) && shipped.open(QIODevice::ReadOnly));
    EXPECT_EQ(live.readAll(), shipped.readAll());
    EXPECT_EQ(ui.boxes().at(0).icon, platform::MsgIcon::Question);
}

TEST_F(PrintParameters, RestoreWithoutTheShippedCopyKeepsTheCurrentTemplate) {
    QFile live(path("grf/yc.grf"));
    ASSERT_TRUE(live.open(QIODevice::ReadOnly));
    const QByteArray before = live.readAll();
    live.close();
    ASSERT_TRUE(platform::file_delete(path("bak/yc.bak")));
    const reports::RestoreOutcome out = reports::restore_receipt_template(s("预存发票"));
    EXPECT_FALSE(out.restored);
    EXPECT_TRUE(out.message.startsWith(s("恢复预存发票设计模板失败!")));
    EXPECT_TRUE(out.message.contains("bak/yc.bak"));
    ASSERT_TRUE(live.open(QIODevice::ReadOnly));
    EXPECT_EQ(live.readAll(), before);
    EXPECT_TRUE(reports::restore_receipt_template(s("别的发票")).message.isEmpty());
}

TEST_F(PrintParameters, EmptyTemplateChoiceIsRefused) {
    // The window opens with no template chosen.
    reports::PrintParametersWindow window;
    EXPECT_EQ(unit<QComboBox>(window, "组合框_当前发票")->currentIndex(), -1);
    ui.expect_box(s("请选择待设计的发票项目！")).expect_box(s("请选择待设计的发票项目！"));
    unit<QPushButton>(window, "按钮_发票设计")->click();
    unit<QPushButton>(window, "按钮4")->click();
}

TEST_F(PrintParameters, MenuEntryNeedsThePermission) {
    shell::current_operator = s("收费员甲");
    ui.expect_box(s("您没有取得授权！"));
    reports::on_main_menu_print_parameters_click();
    EXPECT_TRUE(ui.modal_windows().isEmpty());

    exec(s(
        "insert into 权限管理 (当前项目,人员姓名,权限标识) values ('打印参数设置','收费员甲',1)"));
    ui.on_modal("reports::PrintParametersWindow", [](QDialog*) { return int(QDialog::Rejected); });
    reports::on_main_menu_print_parameters_click();
    EXPECT_EQ(ui.modal_windows(), QStringList{"reports::PrintParametersWindow"});
}

TEST_F(PrintParameters, InstallEnablesTheMenuEntryWithItsRule) {
    shell::MainWindow window;
    EXPECT_FALSE(window.has_action(s("on_main_menu_print_parameters_click")));
    reports::install(window);
    EXPECT_TRUE(window.has_action(s("on_main_menu_print_parameters_click")));
    EXPECT_TRUE(window.has_action(s("on_main_menu_print_cards_click")));
    shell::current_operator = s("收费员乙");
    ui.expect_box(s("您没有取得授权！"));
    EXPECT_TRUE(window.run_action(s("on_main_menu_print_parameters_click")));
}

}  // namespace
}  // namespace reports_test
