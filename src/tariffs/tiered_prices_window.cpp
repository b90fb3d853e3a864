#include "tariffs/tiered_prices_window.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>

#include "platform/dialogs.h"
#include "platform/query.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "store/main_database.h"
#include "ui_tier_info_window.h"
#include "ui_tiered_prices_window.h"

namespace tariffs {

TieredPricesWindow::TieredPricesWindow(QWidget* parent)
    : MaintenanceListWindow(TariffTable::Tiers, parent), ui(std::make_unique<Ui::TieredPricesWindow>()) {
    ui->setupUi(this);
    if (shell::MainWindow* main = shell::main_window()) main->select_content_page(shell::kPageWelcome);
    set_up({ui->超级列表框1, ui->按钮1, ui->修改, ui->删除, ui->返回});
}

TieredPricesWindow::~TieredPricesWindow() = default;

void TieredPricesWindow::open_info(const QString& mode) {
    TierInfoWindow dialog(this, mode, selected_row());
    open_dialog(dialog);
}

QString TieredPricesWindow::delete_refusal(const QStringList& row) { return tier_delete_refusal(row.value(0)); }

Question TieredPricesWindow::delete_question(const QStringList& row) {
    return tier_delete_question(row.value(1), row.value(4));
}

Outcome TieredPricesWindow::remove(const QStringList& row) {
    return delete_tier(store::main_connection(), row.value(0), row.value(1), row.value(4),
                       shell::program_context());
}

TierInfoWindow::TierInfoWindow(QWidget* parent, const QString& mode, const QStringList& row)
    : MaintenanceInfoDialog(mode, parent), ui(std::make_unique<Ui::TierInfoWindow>()) {
    ui->setupUi(this);
    wire(ui->按钮_确定, ui->按钮_取消);
    ui->编辑框_起量->installEventFilter(this);
    // The start is never typed: Tab passes it by, and only a click into it is told so.
    ui->编辑框_起量->setFocusPolicy(Qt::ClickFocus);
    if (mode == kModeModify) {
        fix_combo(ui->组合框_收费项目, row.value(0));
        fix_combo(ui->组合框_类别名称, row.value(1));
        ui->编辑框_价格->setText(row.value(2));
        number_ = row.value(4);
        const TierBounds bounds = read_tier_bounds(store::main_connection(), row.value(0), row.value(1), number_);
        ui->编辑框_起量->setText(bounds.start);
        ui->编辑框_止量->setText(bounds.stop);
    } else {
        set_combo_items(ui->组合框_收费项目,
                        platform::query_column(store::main_connection(), QStringLiteral("select 项目名称 from 收费项目")));
        ui->编辑框_起量->setText(QStringLiteral("0"));
        connect(ui->组合框_收费项目, &QComboBox::currentIndexChanged, this, [this] { on_fee_item_picked(); });
        connect(ui->组合框_类别名称, &QComboBox::currentIndexChanged, this, [this] { on_category_picked(); });
    }
}

TierInfoWindow::~TierInfoWindow() = default;

void TierInfoWindow::on_fee_item_picked() {
    const QString fee_item = ui->组合框_收费项目->currentText();
    if (fee_item.isEmpty()) return;
    set_combo_items(ui->组合框_类别名称, price_category_names(store::main_connection(), fee_item));
}

void TierInfoWindow::on_category_picked() {
    const QString category = ui->组合框_类别名称->currentText();
    if (category.isEmpty()) return;
    ui->编辑框_起量->setText(
        tier_next_start_text(store::main_connection(), category, ui->组合框_收费项目->currentText()));
}

void TierInfoWindow::on_start_box_focused() {
    // The focus moves first, so that closing the box hands it back to the stop box.
    ui->编辑框_止量->setFocus();
    platform::inform(kTierStartLocked);
}

bool TierInfoWindow::eventFilter(QObject* watched, QEvent* event) {
    // The box is told after the focus change has settled, so the message box does not open
    // in the middle of it.
    if (watched == ui->编辑框_起量 && event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason)
        QMetaObject::invokeMethod(this, [this] { on_start_box_focused(); }, Qt::QueuedConnection);
    return MaintenanceInfoDialog::eventFilter(watched, event);
}

Outcome TierInfoWindow::save() {
    Tier tier;
    tier.fee_item = ui->组合框_收费项目->currentText();
    tier.category = ui->组合框_类别名称->currentText();
    tier.price = ui->编辑框_价格->text();
    tier.start = ui->编辑框_起量->text();
    tier.stop = ui->编辑框_止量->text();
    return save_tier(store::main_connection(), mode(), tier, number_, shell::program_context());
}

QWidget* TierInfoWindow::field_box(Field field) {
    switch (field) {
        case Field::FeeItem: return ui->组合框_收费项目;
        case Field::Category: return ui->组合框_类别名称;
        case Field::Price: return ui->编辑框_价格;
        case Field::Start: return ui->编辑框_起量;
        case Field::Stop: return ui->编辑框_止量;
        default: return nullptr;
    }
}

void TierInfoWindow::focus_refusal(const Outcome& outcome) {
    // Pointing at the start box means its own message and then the stop box.
    if (outcome.focus == Field::Start) {
        ui->编辑框_起量->selectAll();
        on_start_box_focused();
        return;
    }
    MaintenanceInfoDialog::focus_refusal(outcome);
}

void on_menu_tiered_prices(QWidget* owner) {
    if (!shell::require_permission(QStringLiteral("阶梯价格设置"))) return;
    TieredPricesWindow window(owner);
    platform::window_open_modal(&window);
}

}  // namespace tariffs
