// Every window of the program on an office screen of 1024 x 768: opened as the program opens
// it, with the program's font and each shipped skin, the window and its frame fit the screen's
// working area, every button it shows lies inside the screen, so none is out of reach, and every
// button and label it shows has room for its whole text.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocument>
#include <QToolButton>
#include <functional>
#include <memory>

#include "app/assembly.h"
#include "charging/balance_page.h"
#include "charging/batch_charging_window.h"
#include "charging/charge_query_window.h"
#include "charging/charge_record_edit_window.h"
#include "charging/charging_bill.h"
#include "charging/charging_window.h"
#include "charging/deduction_query_window.h"
#include "charging/late_fee_window.h"
#include "charging/prepayment_entry_window.h"
#include "charging/prepayment_query_window.h"
#include "charging/receipt_reprint_window.h"
#include "charging/reduction_page.h"
#include "charging/reduction_windows.h"
#include "harness/fixture.h"
#include "households/household_entry_window.h"
#include "households/household_meter_query_window.h"
#include "households/household_query_window.h"
#include "households/meter_info_window.h"
#include "households/meter_list_page.h"
#include "households/streets_window.h"
#include "lists/column_settings_window.h"
#include "lists/page_setup_window.h"
#include "platform/dialog_look.h"
#include "platform/listview.h"
#include "reading/fixed_readings_window.h"
#include "reading/handheld_windows.h"
#include "reading/meter_change_page.h"
#include "reading/meter_change_windows.h"
#include "reading/meter_readers_window.h"
#include "reading/reading_edit_window.h"
#include "reading/reading_entry_window.h"
#include "reading/reading_query_window.h"
#include "reports/card_printing_window.h"
#include "reports/print_parameters_window.h"
#include "reports/receipts.h"
#include "shell/agreement_window.h"
#include "shell/backup_path_window.h"
#include "shell/backup_settings_window.h"
#include "shell/change_password_window.h"
#include "shell/colour_adjust_window.h"
#include "shell/help_window.h"
#include "shell/interface_settings_window.h"
#include "shell/log_query_window.h"
#include "shell/login_window.h"
#include "shell/main_window.h"
#include "shell/operator_info_window.h"
#include "shell/operators_window.h"
#include "shell/permissions_window.h"
#include "shell/program_state.h"
#include "shell/tips_window.h"
#include "tariffs/direct_entry_windows.h"
#include "tariffs/fee_items_window.h"
#include "tariffs/invoice_page.h"
#include "tariffs/price_categories_window.h"
#include "tariffs/surcharges_window.h"
#include "tariffs/system_parameters_window.h"
#include "tariffs/tiered_prices_window.h"

namespace {

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

// The office screen, less what the desktop takes: a task bar along one edge, and the window
// manager's border and title bar around each window; a maximised window keeps its title bar only.
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kTaskBar = 40;
constexpr int kBorder = 8;
constexpr int kTitleBar = 32;
const QRect kWorkingArea(0, 0, kScreenWidth, kScreenHeight - kTaskBar);

// Where a window's inside stands on the screen, and the most room it has there.
struct Placement {
    QPoint origin;
    QSize room;
};
// A window at the working area's top left corner, border and title bar included.
const Placement kNormal{{kBorder, kTitleBar + kBorder},
                        kWorkingArea.size() - QSize(2 * kBorder, kTitleBar + 2 * kBorder)};
const Placement kMaximised{{0, kTitleBar}, kWorkingArea.size() - QSize(0, kTitleBar)};

// What of a shown window does not fit the screen: its size, then each visible button lying
// (partly) outside the screen's working area or outside a unit that holds it.
QStringList misfits(QWidget* window, const Placement& placement = kNormal) {
    QStringList found;
    const QSize size = window->size();
    if (size.width() > placement.room.width() || size.height() > placement.room.height())
        found << QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(window) || button->window() != window) continue;
        const QRect on_screen(button->mapTo(window, QPoint(0, 0)) + placement.origin,
                              button->size());
        // Nor cut off by a unit it lies in.
        bool clipped = false;
        for (QWidget* inside = button->parentWidget(); inside && inside != window;
             inside = inside->parentWidget())
            clipped = clipped || !inside->rect().contains(
                                     QRect(button->mapTo(inside, QPoint(0, 0)), button->size()));
        if (clipped || !kWorkingArea.contains(on_screen))
            found << (button->objectName().isEmpty() ? button->text() : button->objectName());
    }
    return found;
}

// A button's or label's text as it shows: mnemonic marks dropped ("&&" shows one '&').
QString shown_text(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    return text;
}

QString name_of(const QWidget* unit, const QString& text) {
    return (unit->objectName().isEmpty() ? QString() : unit->objectName() + QStringLiteral(" ")) +
           QStringLiteral("\"") + text + QStringLiteral("\"");
}

// The room a button leaves its caption: the style's contents rectangle less its icon.
int caption_room(const QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(button)) contents = QStyle::SE_CheckBoxContents;
    if (qobject_cast<const QRadioButton*>(button)) contents = QStyle::SE_RadioButtonContents;
    if (auto* push = qobject_cast<const QPushButton*>(button); push && push->isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    if (auto* push = qobject_cast<const QPushButton*>(button); push && push->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    int room = button->style()->subElementRect(contents, &option, button).width();
    if (qobject_cast<const QToolButton*>(button)) room = button->contentsRect().width() - 4;
    if (!button->icon().isNull()) room -= button->iconSize().width() + 4;
    return room;
}

// Each visible button, label and read-only edit box of a window whose text is cut: wider than
// the room it has, or, for a label that wraps or has several lines, taller.
QStringList cut_texts(QWidget* window) {
    QStringList found;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(window) || button->window() != window) continue;
        const auto* tool = qobject_cast<const QToolButton*>(button);
        if (tool && !tool->icon().isNull() && tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
            continue;
        const QString text = shown_text(button->text());
        if (text.isEmpty()) continue;
        if (button->fontMetrics().horizontalAdvance(text) > caption_room(button))
            found << name_of(button, text);
    }
    // A read-only edit box showing a fixed text (a hint line) shows it whole as a label does.
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
        if (!edit->isVisibleTo(window) || edit->window() != window || !edit->isReadOnly() ||
            edit->text().isEmpty())
            continue;
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(
                                                  QStyle::PM_DefaultFrameWidth, &option, edit)
                                            : 0;
        option.state |= QStyle::State_Sunken;
        const QMargins margins = edit->textMargins();
        const int room =
            edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit).width() -
            margins.left() - margins.right() - 4;  // the edit box's own margin either side
        if (edit->fontMetrics().horizontalAdvance(edit->text()) > room)
            found << name_of(edit, edit->text());
    }
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(window) || label->window() != window) continue;
        QString text = label->text();
        if (text.isEmpty()) continue;
        if (label->textFormat() == Qt::RichText ||
            (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
            QTextDocument document;
            document.setHtml(text);
            text = document.toPlainText();
        }
        if (label->buddy()) text = shown_text(text);
        const QRect room = label->contentsRect().marginsRemoved(
            QMargins(label->margin(), label->margin(), label->margin(), label->margin()));
        const QFontMetrics metrics = label->fontMetrics();
        const int flags = label->wordWrap() ? int(Qt::TextWordWrap) : 0;
        const QRect needed = metrics.boundingRect(QRect(0, 0, room.width(), 100000), flags, text);
        const bool several_lines = label->wordWrap() || text.contains(u'\n');
        if (needed.width() > room.width() || (several_lines && needed.height() > room.height()))
            found << name_of(label, text);
    }
    return found;
}

class WindowSizes : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        shell::init_program_variables();
        // A collector, so that the counter has one to choose and asks nothing.
        shell::current_operator = s("李四");
        main_ = std::make_unique<shell::MainWindow>();
        app::assemble_program(*main_);
    }
    void TearDown() override {
        main_.reset();
        shell::free_program_variables();
        ProgramFolderTest::TearDown();
    }

    template <typename Page>
    Page* page(int number) const {
        auto* p = qobject_cast<Page*>(main_->content_page_widget(number));
        EXPECT_NE(p, nullptr) << number;
        return p;
    }

    std::unique_ptr<shell::MainWindow> main_;
};

using Factory = std::function<std::unique_ptr<QWidget>(shell::MainWindow*)>;

template <typename W>
Factory plain() {
    return [](shell::MainWindow* main) { return std::make_unique<W>(main); };
}

TEST_F(WindowSizes, EveryDialogFitsTheScreenWithItsButtons) {
    QTableView list;
    auto* meters = page<households::MeterListPage>(shell::kPageMeters);
    auto* reductions = page<charging::ReductionPage>(shell::kPageReductions);
    auto* changes = page<reading::MeterChangePage>(shell::kPageMeterChanges);
    auto* handheld = page<reading::HandheldPage>(shell::kPageHandheld);
    ASSERT_TRUE(meters && reductions && changes && handheld);
    reading::FixedReadingsWindow fixed(main_.get());
    auto* list_ptr = &list;
    const std::vector<std::pair<const char*, Factory>> windows = {
        {"窗口收费", plain<charging::CounterChargingWindow>()},
        {"磁卡收费", plain<charging::CardChargingWindow>()},
        {"卡片打印", plain<reports::CardPrintingWindow>()},
        {"打印参数设置", plain<reports::PrintParametersWindow>()},
        {"批量收费", plain<charging::BatchChargingWindow>()},
        {"滞纳金设置", plain<charging::LateFeeWindow>()},
        {"收据重打", plain<charging::ReceiptReprintWindow>()},
        {"收费查询",
         [=](auto* m) { return std::make_unique<charging::ChargeQueryWindow>(list_ptr, m); }},
        {"收费修改",
         [](auto* m) { return std::make_unique<charging::ChargeRecordEditWindow>(0, m); }},
        {"扣款查询",
         [=](auto* m) { return std::make_unique<charging::DeductionQueryWindow>(list_ptr, m); }},
        {"预存添加",
         [=](auto* m) { return std::make_unique<charging::PrepaymentEntryWindow>(list_ptr, m); }},
        {"预存查询",
         [=](auto* m) { return std::make_unique<charging::PrepaymentQueryWindow>(list_ptr, m); }},
        {"用户结余",
         [=](auto* m) { return std::make_unique<charging::HouseholdBalanceWindow>(list_ptr, m); }},
        {"减免设置",
         [=](auto* m) {
             return std::make_unique<charging::ReductionSettingsWindow>(reductions, m);
         }},
        {"减免查询",
         [=](auto* m) { return std::make_unique<charging::ReductionQueryWindow>(reductions, m); }},
        {"用户添加", plain<households::HouseholdEntryWindow>()},
        {"用户查询", plain<households::HouseholdQueryWindow>()},
        {"居住街道", plain<households::StreetsWindow>()},
        {"用户表信息",
         [=](auto* m) { return std::make_unique<households::MeterInfoWindow>(meters, m); }},
        {"用户表查询",
         [=](auto* m) {
             return std::make_unique<households::HouseholdMeterQueryWindow>(meters, m);
         }},
        {"抄表录入",
         [=](auto* m) { return std::make_unique<reading::ReadingEntryWindow>(list_ptr, m); }},
        {"抄表修改", [](auto* m) { return std::make_unique<reading::ReadingEditWindow>(0, m); }},
        {"抄表查询",
         [=](auto* m) { return std::make_unique<reading::ReadingQueryWindow>(list_ptr, m); }},
        {"抄表人员", plain<reading::MeterReadersWindow>()},
        {"固定抄表", plain<reading::FixedReadingsWindow>()},
        {"固定抄表信息",
         [&fixed](auto* m) {
             return std::make_unique<reading::FixedReadingInfoWindow>(&fixed, m);
         }},
        {"换表录入",
         [=](auto* m) { return std::make_unique<reading::MeterChangeEntryWindow>(changes, m); }},
        {"换表查询",
         [=](auto* m) { return std::make_unique<reading::MeterChangeQueryWindow>(changes, m); }},
        {"抄表机导出条件",
         [=](auto* m) {
             return std::make_unique<reading::ReadingDataConditionsWindow>(handheld, m);
         }},
        {"抄表机导出",
         [](auto* m) {
             return std::make_unique<reading::ReadingDataExportWindow>(
                 std::vector<reading::HandheldRow>{}, m);
         }},
        {"抄表机导入", plain<reading::HandheldImportWindow>()},
        {"系统参数", plain<tariffs::SystemParametersWindow>()},
        {"收费项目", plain<tariffs::FeeItemsWindow>()},
        {"收费项目信息", plain<tariffs::FeeItemInfoWindow>()},
        {"价格类别", plain<tariffs::PriceCategoriesWindow>()},
        {"价格类别信息", plain<tariffs::PriceCategoryInfoWindow>()},
        {"阶梯价格", plain<tariffs::TieredPricesWindow>()},
        {"阶梯价格信息", plain<tariffs::TierInfoWindow>()},
        {"附加费", plain<tariffs::SurchargesWindow>()},
        {"附加费信息", plain<tariffs::SurchargeInfoWindow>()},
        {"开户银行", plain<tariffs::BanksWindow>()},
        {"月基数调整", plain<tariffs::MonthlyBaseAdjustWindow>()},
        {"发票信息", plain<tariffs::InvoiceInfoWindow>()},
        {"登录", plain<shell::LoginWindow>()},
        {"操作人员", plain<shell::OperatorsWindow>()},
        {"操作人员信息", plain<shell::OperatorInfoWindow>()},
        {"权限设置", plain<shell::PermissionsWindow>()},
        {"修改密码", plain<shell::ChangePasswordWindow>()},
        {"日志查询", plain<shell::LogQueryWindow>()},
        {"备份设置", plain<shell::BackupSettingsWindow>()},
        {"备份路径", plain<shell::BackupPathWindow>()},
        {"界面设置", plain<shell::UiSettingsWindow>()},
        {"颜色调整", [](auto*) { return std::make_unique<shell::ColourAdjustWindow>(); }},
        {"导航提示", plain<shell::NavigationTipsWindow>()},
        {"许可协议", plain<shell::AgreementWindow>()},
        {"帮助", plain<shell::HelpWindow>()},
        {"列设置",
         [](auto* m) {
             return std::make_unique<lists::ColumnSettingsWindow>(shell::kPageHouseholdQuery, m);
         }},
        {"页面设置", plain<lists::PageSetupWindow>()},
    };
    const dialog_look::ProgramFont font;
    for (const QString& skin : dialog_look::kSkins) {
        const dialog_look::SkinOn on(skin);
        for (const auto& [caption, make] : windows) {
            // The meter form opened on no selected row says so first.
            if (QString::fromUtf8(caption) == s("用户表信息")) ui.expect_box(s("显示编号列"));
            const std::unique_ptr<QWidget> window = make(main_.get());
            ASSERT_NE(window, nullptr) << caption;
            window->show();
            QApplication::processEvents();  // the layout requests of the skin's polish
            EXPECT_EQ(misfits(window.get()), QStringList()) << caption << " " << skin.toStdString();
            EXPECT_EQ(cut_texts(window.get()), QStringList())
                << caption << " " << skin.toStdString();
            window->hide();
        }
    }
}

// Long streets and addresses found by a search or shown for the household neither widen the
// counter past the screen nor push its buttons off it.
TEST_F(WindowSizes, TheCounterStillFitsWithLongTextsShown) {
    const QString street = s("幸福家园小区东区第十二组团");
    const QString address = s("十二号楼三单元四零二室东侧阁楼");
    exec(s("insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,磁卡号码,助记词,性质) "
           "values ('0001','0','欧阳王五六','") +
         street + s("','") + address + s("','','oy',0)"));
    exec(
        s("insert into 用户表管理 (户号,父号,收费项目,抄表人员,状态,计量编号) values "
          "('000101','0001','水费','张三','正常','M-2024-000000000001')"));
    const dialog_look::ProgramFont font;
    const dialog_look::SkinOn on(dialog_look::kSkins.front());
    charging::CounterChargingWindow window(main_.get());
    window.show();
    window.findChild<QComboBox*>(s("组合框_查询方式"))->setCurrentText(charging::kSearchByName);
    window.findChild<QLineEdit*>(s("编辑框_查询内容"))->setText(s("欧阳"));
    window.on_counter_household_search_click();
    ASSERT_EQ(platform::listview_row_count(window.findChild<QTableView*>(s("抄表机_列表框"))), 1);
    window.findChild<QLineEdit*>(s("编辑框_户号"))->setText(s("0001"));
    ui.expect_box(charging::kNothingToPay);
    window.on_counter_query_click();
    EXPECT_EQ(window.findChild<QLabel*>(s("标签_详细地址"))->text(), address);
    QApplication::processEvents();
    EXPECT_EQ(misfits(&window), QStringList());
    EXPECT_EQ(cut_texts(&window), QStringList());
}

TEST_F(WindowSizes, TheMainWindowFitsTheScreenOnEveryPage) {
    const dialog_look::ProgramFont font;
    for (const QString& skin : dialog_look::kSkins) {
        const dialog_look::SkinOn on(skin);
        main_->resize(kMaximised.room);
        main_->show();
        // The navigation pane at its width of a first start.
        main_->layout_navigation_bar();
        EXPECT_EQ(main_->size(), kMaximised.room) << skin.toStdString();
        for (int nav = 0; nav < shell::kNavigationPageCount; ++nav) {
            main_->select_navigation_page(nav);
            EXPECT_EQ(misfits(main_.get(), kMaximised), QStringList()) << "navigation " << nav;
            EXPECT_EQ(cut_texts(main_.get()), QStringList()) << "navigation " << nav;
        }
        for (int page = 0; page < shell::kContentPageCount; ++page) {
            main_->select_content_page(page);
            EXPECT_EQ(misfits(main_.get(), kMaximised), QStringList())
                << "page " << page << " " << skin.toStdString();
            EXPECT_EQ(cut_texts(main_.get()), QStringList())
                << "page " << page << " " << skin.toStdString();
        }
        main_->hide();
    }
}

// The receipt previews fill the screen's working area with their frame, the title bar too.
TEST_F(WindowSizes, ReceiptPreviewsFitTheScreenFrameIncluded) {
    exec(
        s("insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志) values "
          "(1000000005,'0002',100,'2024-03-05','李四','',1)"));
    QStringList titles;
    ui.on_modal("QPrintPreviewDialog", [&titles](QDialog* preview) {
        titles << preview->windowTitle();
        const QRect area = preview->screen()->availableGeometry();
        const QRect frame = preview->frameGeometry();
        EXPECT_TRUE(area.contains(frame)) << preview->windowTitle().toStdString();
        EXPECT_GE(frame.width() * 10, area.width() * 9);
        EXPECT_GE(frame.height() * 10, area.height() * 9);
        EXPECT_EQ(cut_texts(preview), QStringList());
        return int(QDialog::Rejected);
    });
    reports::print_charge_receipt(1000000005);
    reports::print_prepay_receipt(1000000005);
    EXPECT_EQ(titles, QStringList({s("收费发票打印"), s("预存发票打印")}));
}

}  // namespace
