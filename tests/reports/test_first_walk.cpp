// A new operator's first receipt: the program starts with receipts installed, 管理员 logs in,
// opens 打印参数设置 from the menu, designs the charge receipt (a label renamed, saved, the
// designer opened again on it), previews a receipt that shows the change, and opens 打印卡片.
// With FEE_SCREENSHOT_DIR set, each window is also saved there as a picture (run under
// xvfb-run with QT_QPA_PLATFORM=xcb to see it as the screen shows it).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "harness/pdf_text.h"
#include "harness/units.h"
#include "platform/grid.h"
#include "receipt_fixture.h"
#include "reports/reading_handbook.h"
#include "reports/receipts.h"
#include "reports/report_designer_window.h"
#include "reports/reports_install.h"
#include "reports/template_designer.h"
#include "shell/login_window.h"
#include "shell/main_window.h"
#include "shell/startup.h"

namespace reports_test {
namespace {

using harness::unit;

class FirstWalk : public ReceiptTest {
protected:
    void SetUp() override {
        ReceiptTest::SetUp();
        ASSERT_TRUE(lock_folder_.isValid());
        shell::set_instance_lock_folder_for_tests(lock_folder_.path());
        ASSERT_TRUE(platform::ini_write_text(s("导航命令"), s("提示"), s("假")));
    }
    void TearDown() override {
        shell::set_instance_lock_folder_for_tests(QString());
        ReceiptTest::TearDown();
    }
    void snap(QWidget* w, const QString& name) {
        const QString folder = qEnvironmentVariable("FEE_SCREENSHOT_DIR");
        if (folder.isEmpty()) return;
        QDir().mkpath(folder);
        w->show();
        w->activateWindow();
        for (int i = 0; i < 10; ++i) QApplication::processEvents();
        w->grab().save(folder + u'/' + name + s(".png"));
    }
    QTemporaryDir lock_folder_;
};

// The first header item of the designer with this text, selected; false when there is none.
bool select_label(reports::TemplateDesigner& d, const QString& text) {
    const auto& items = d.design().header.items;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].text == text) {
            d.select({reports::DesignBand::Header, static_cast<int>(i)});
            return true;
        }
    return false;
}

TEST_F(FirstWalk, DesignTheChargeReceiptAndPreviewIt) {
    shell::MainWindow window;
    reports::install(window);
    ui.on_modal(s("shell::LoginWindow"), [](QDialog* dialog) {
        dialog->findChild<QComboBox*>(s("组合框1"))->setCurrentText(s("管理员"));
        dialog->findChild<QLineEdit*>(s("密码框"))->setText(s("12345"));
        static_cast<shell::LoginWindow*>(dialog)->on_login_ok_click();
        return dialog->result();
    });
    shell::on_main_window_created(window);
    ASSERT_EQ(shell::current_operator, s("管理员"));

    int designs = 0;
    bool reopened_shows_change = false;
    ui.on_modal(s("reports::ReportDesignerWindow"), [&](QDialog* w) {
        auto* designer = static_cast<reports::ReportDesignerWindow*>(w)->designer();
        EXPECT_NE(designer, nullptr);
        if (!designer) return int(QDialog::Rejected);
        w->showMaximized();
        if (designs++ == 0) {
            EXPECT_TRUE(select_label(*designer, s("缴费性质：")));
            auto* text = unit<QLineEdit>(*designer, "编辑框_项目文本");
            text->selectAll();
            QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, s("付款方式："));
            QCoreApplication::sendEvent(text, &typed);
            snap(w, s("designer_edited"));
            ui.expect_box(s("是否保存设计模板?"), platform::MsgResult::Yes)
                .expect_box(s("模板保存成功!"));
            unit<QPushButton>(*designer, "按钮_保存模板")->click();
        } else {
            reopened_shows_change = select_label(*designer, s("付款方式："));
            snap(w, s("designer_reopened"));
        }
        w->reject();
        return int(QDialog::Rejected);
    });
    ui.on_modal(s("reports::PrintParametersWindow"), [&](QDialog* w) {
        snap(w, s("print_parameters"));
        unit<QComboBox>(*w, "组合框_当前发票")->setCurrentText(s("收费发票"));
        unit<QPushButton>(*w, "按钮_发票设计")->click();
        unit<QPushButton>(*w, "按钮_发票设计")->click();
        return int(QDialog::Rejected);
    });
    QAction* parameters = window.findChild<QAction*>(s("菜单_打印参数设置"));
    ASSERT_NE(parameters, nullptr);
    EXPECT_TRUE(parameters->isEnabled());
    parameters->trigger();
    EXPECT_EQ(designs, 2);
    EXPECT_TRUE(reopened_shows_change);

    add_two_bill_payment();
    const QString pdf = folder() + "/receipt.pdf";
    ui.on_modal(s("QPrintPreviewDialog"), [&](QDialog* w) {
        w->resize(1200, 900);
        snap(w, s("receipt_preview"));
        EXPECT_TRUE(platform::print_preview_to_pdf(*qobject_cast<QPrintPreviewDialog*>(w), pdf));
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(reports::print_charge_receipt(kSerial));
    QString text = harness::read_pdf(pdf).all();
    text.replace(QRegularExpression("[ \t]+"), " ");
    EXPECT_TRUE(text.contains(s("付款方式： 现金缴费"))) << text.toStdString();

    ui.on_modal(s("reports::CardPrintingWindow"), [&](QDialog* w) {
        snap(w, s("card_printing"));
        return int(QDialog::Rejected);
    });
    QAction* cards = window.findChild<QAction*>(s("菜单_打印卡片"));
    ASSERT_NE(cards, nullptr);
    EXPECT_TRUE(cards->isEnabled());
    cards->trigger();
    EXPECT_TRUE(ui.modal_windows().contains(s("reports::CardPrintingWindow")));

    // Where 打印卡片 sends an office without readers: the menu entry and the navigation button
    // are there under the captions it names.
    QList<QAction*> entries = window.menuBar()->actions();
    QAction* entry = nullptr;
    for (const QString& step : reports::kMeterReadersMenuPath.split(s(" → "))) {
        entry = nullptr;
        for (QAction* a : entries)
            if (a->text() == step) entry = a;
        ASSERT_NE(entry, nullptr) << step.toStdString();
        entries = entry->menu() ? entry->menu()->actions() : QList<QAction*>{};
    }
    EXPECT_EQ(entry, window.findChild<QAction*>(s("菜单_抄表人员设置")));
    const QStringList page = reports::kMeterPagePath.split(s(" → "));
    EXPECT_EQ(unit<QPushButton>(window, "用户管理0")->text(), page[0]);
    EXPECT_EQ(unit<QPushButton>(window, "用户管理_用户表管理")->text(), page[1]);
}

}  // namespace
}  // namespace reports_test
