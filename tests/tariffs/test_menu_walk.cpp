// A new operator's first walk through the price book: the program starts with the tariffs
// installed, 管理员 logs in through the login window, and every tariff entry of the menu bar
// opens its window; a category, two tiers, a surcharge, a bank and an invoice book are added
// on the way. With FEE_SCREENSHOT_DIR set, each window is also saved there as a picture (run
// under xvfb-run with QT_QPA_PLATFORM=xcb to see it as the screen shows it).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include "platform/files.h"
#include "shell/login_window.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "tariff_window_fixture.h"
#include "tariffs/invoice_page.h"
#include "tariffs/tariffs_install.h"

using namespace tariffs_test;

namespace {

class MenuWalk : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        store::close_main_database();
        shell::init_program_variables();
        ASSERT_TRUE(lock_folder_.isValid());
        shell::set_instance_lock_folder_for_tests(lock_folder_.path());
        ASSERT_TRUE(platform::ini_write_text(s("导航命令"), s("提示"), s("假")));
    }
    void TearDown() override {
        shell::set_instance_lock_folder_for_tests(QString());
        shell::free_program_variables();
        ProgramFolderTest::TearDown();
    }

    void snap(QWidget* w, const QString& name) {
        const QString folder = qEnvironmentVariable("FEE_SCREENSHOT_DIR");
        if (folder.isEmpty()) return;
        QDir().mkpath(folder);
        w->activateWindow();
        w->grab().save(folder + u'/' + name + s(".png"));
    }

    // Runs the menu entry as a click on it would.
    static void click_menu(shell::MainWindow& window, const char* unit_name) {
        QAction* entry = window.findChild<QAction*>(s(unit_name));
        ASSERT_NE(entry, nullptr) << unit_name;
        EXPECT_TRUE(entry->isEnabled()) << unit_name;
        entry->trigger();
    }

    QTemporaryDir lock_folder_;
};

void press(QWidget* widget, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
    QApplication::processEvents();
}

TEST_F(MenuWalk, EveryTariffEntryOpensItsWindow) {
    shell::MainWindow window;
    tariffs::install(window);
    ui.on_modal(s("shell::LoginWindow"), [](QDialog* dialog) {
        dialog->findChild<QComboBox*>(s("组合框1"))->setCurrentText(s("管理员"));
        dialog->findChild<QLineEdit*>(s("密码框"))->setText(s("12345"));
        static_cast<shell::LoginWindow*>(dialog)->on_login_ok_click();
        return dialog->result();
    });
    shell::on_main_window_created(window);
    ASSERT_EQ(shell::current_operator, s("管理员"));

    auto just_look = [this](const char* file) {
        return [this, file](QDialog* w) {
            snap(w, s(file));
            return int(QDialog::Rejected);
        };
    };
    ui.on_modal(s("tariffs::SystemParametersWindow"), just_look("01_system_parameters"));
    click_menu(window, "菜单_系统参数设置");
    ui.on_modal(s("tariffs::FeeItemsWindow"), just_look("02_fee_items"));
    click_menu(window, "菜单_收费项目设置");

    // A category of 水费 to hang the tiers and the surcharge on.
    ui.on_modal(s("tariffs::PriceCategoryInfoWindow"), [this](QDialog* d) {
        TariffTest::choose(unit<QComboBox>(d, "组合框_收费项目"), s("水费"));
        unit<QLineEdit>(d, "编辑框_名称")->setText(s("居民"));
        unit<QLineEdit>(d, "编辑框_价格")->setText(s("2.5"));
        snap(d, s("03_price_category_info"));
        press(unit<QLineEdit>(d, "编辑框_价格"), Qt::Key_Return);  // saves
        return d->result();
    });
    ui.on_modal(s("tariffs::PriceCategoriesWindow"), [this](QDialog* w) {
        unit<QPushButton>(w, "按钮1")->click();
        snap(w, s("04_price_categories"));
        return int(QDialog::Rejected);
    });
    ui.expect_box(s("添加成功！"));
    click_menu(window, "菜单_价格类别设置");

    int tier = 0;
    ui.on_modal(s("tariffs::TierInfoWindow"), [this, &tier](QDialog* d) {
        ++tier;
        TariffTest::choose(unit<QComboBox>(d, "组合框_收费项目"), s("水费"));
        TariffTest::choose(unit<QComboBox>(d, "组合框_类别名称"), s("居民"));
        unit<QLineEdit>(d, "编辑框_价格")->setText(tier == 1 ? s("2.5") : s("3.2"));
        // Tab passes the start box by without a word.
        QApplication::setActiveWindow(d);
        unit<QLineEdit>(d, "编辑框_价格")->setFocus();
        press(unit<QLineEdit>(d, "编辑框_价格"), Qt::Key_Tab);
        EXPECT_TRUE(unit<QLineEdit>(d, "编辑框_止量")->hasFocus());
        unit<QLineEdit>(d, "编辑框_止量")->setText(tier == 1 ? s("100") : s("200"));
        snap(d, s("05_tier_info_%1").arg(tier));
        press(unit<QLineEdit>(d, "编辑框_止量"), Qt::Key_Return);
        return d->result();
    });
    ui.on_modal(s("tariffs::TieredPricesWindow"), [this](QDialog* w) {
        unit<QPushButton>(w, "按钮1")->click();
        unit<QPushButton>(w, "按钮1")->click();
        snap(w, s("06_tiered_prices"));
        return int(QDialog::Rejected);
    });
    ui.expect_box(s("添加成功！")).expect_box(s("添加成功！"));
    click_menu(window, "菜单_阶梯价格设置");
    EXPECT_EQ(rows(s("select 阶梯序号,阶梯起量,阶梯止量,类别价格 from 阶梯信息 order by 阶梯序号")),
              (QList<QStringList>{{s("1"), s("0"), s("100"), s("2.5")}, {s("2"), s("101"), s("200"), s("3.2")}}));

    ui.on_modal(s("tariffs::SurchargeInfoWindow"), [this](QDialog* d) {
        TariffTest::choose(unit<QComboBox>(d, "组合框_收费项目"), s("水费"));
        TariffTest::choose(unit<QComboBox>(d, "组合框_类别名称"), s("居民"));
        unit<QLineEdit>(d, "编辑框_名称")->setText(s("污水处理费"));
        unit<QLineEdit>(d, "编辑框_价格")->setText(s("0.8"));
        snap(d, s("07_surcharge_info"));
        unit<QPushButton>(d, "按钮_确定")->click();
        return d->result();
    });
    ui.on_modal(s("tariffs::SurchargesWindow"), [this](QDialog* w) {
        unit<QPushButton>(w, "按钮1")->click();
        snap(w, s("08_surcharges"));
        return int(QDialog::Rejected);
    });
    ui.expect_box(s("添加成功！"));
    click_menu(window, "菜单_附加费设置");
    EXPECT_EQ(rows(s("select 收费项目,水价类别,附加费名称,价格,计费方式 from 附加费")),
              (QList<QStringList>{{s("水费"), s("居民"), s("污水处理费"), s("0.8"), s("按用量")}}));

    ui.on_modal(s("tariffs::MonthlyBaseAdjustWindow"), just_look("09_monthly_base_adjust"));
    click_menu(window, "菜单_单月收费基本度数调整");

    ui.on_modal(s("tariffs::BanksWindow"), [this](QDialog* w) {
        unit<QLineEdit>(w, "编辑框1")->setText(s("工商银行"));
        press(unit<QLineEdit>(w, "编辑框1"), Qt::Key_Return);
        snap(w, s("10_banks"));
        return int(QDialog::Rejected);
    });
    ui.expect_box(s("添加开户银行【工商银行】成功！"));
    click_menu(window, "菜单_开户银行设置");

    click_menu(window, "菜单_发票管理");
    EXPECT_EQ(window.content_tabs()->currentIndex(), shell::kPageInvoices);
    ASSERT_NE(tariffs::invoice_page(), nullptr);
    exec(s("insert into 收费员 (收费人员,密码,许可) values ('张三','',1)"));
    ui.on_modal(s("tariffs::InvoiceInfoWindow"), [this](QDialog* d) {
        unit<QLineEdit>(d, "编辑框_发票起号")->setText(s("00012301"));
        unit<QLineEdit>(d, "编辑框_发票止号")->setText(s("00012400"));
        TariffTest::choose(unit<QComboBox>(d, "选择框_收费人员"), s("张三"));
        snap(d, s("11_invoice_info"));
        unit<QPushButton>(d, "添加")->click();
        return d->result();
    });
    ui.expect_box(s("添加成功!"));
    unit<QPushButton>(tariffs::invoice_page(), "发票管理_添加")->click();
    snap(&window, s("12_invoice_page"));
    EXPECT_EQ(shell::current_invoice_number, s("00012301"));

    EXPECT_EQ(ui.modal_windows(),
              (QStringList{s("shell::LoginWindow"), s("tariffs::SystemParametersWindow"), s("tariffs::FeeItemsWindow"),
                           s("tariffs::PriceCategoriesWindow"), s("tariffs::PriceCategoryInfoWindow"),
                           s("tariffs::TieredPricesWindow"), s("tariffs::TierInfoWindow"), s("tariffs::TierInfoWindow"),
                           s("tariffs::SurchargesWindow"), s("tariffs::SurchargeInfoWindow"),
                           s("tariffs::MonthlyBaseAdjustWindow"), s("tariffs::BanksWindow"),
                           s("tariffs::InvoiceInfoWindow")}));
}

}  // namespace
