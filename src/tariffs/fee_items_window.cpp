#include "tariffs/fee_items_window.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "platform/dialogs.h"
#include "shell/permission_prompts.h"
#include "store/main_database.h"
#include "ui_fee_item_info_window.h"
#include "ui_fee_items_window.h"

namespace tariffs {

namespace {

// Selects the item showing `text`; another text leaves the drop-down as it is.
void select_text(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    if (index >= 0) combo->setCurrentIndex(index);
}

}  // namespace

FeeItemsWindow::FeeItemsWindow(QWidget* parent)
    : MaintenanceListWindow(TariffTable::FeeItems, parent), ui(std::make_unique<Ui::FeeItemsWindow>()) {
    ui->setupUi(this);
    modify_refusal_ = QStringLiteral("请选择待修改的收费项目!");
    set_up({ui->超级列表框_收费项目, ui->按钮1, ui->修改, ui->删除, ui->返回});
}

FeeItemsWindow::~FeeItemsWindow() = default;

void FeeItemsWindow::open_info(const QString& mode) {
    FeeItemInfoWindow dialog(this, mode, selected_row().value(0));
    open_dialog(dialog);
}

QString FeeItemsWindow::delete_refusal(const QStringList& row) { return fee_item_delete_refusal(row.value(0)); }

Question FeeItemsWindow::delete_question(const QStringList& row) { return fee_item_delete_question(row.value(0)); }

Outcome FeeItemsWindow::remove(const QStringList& row) {
    return delete_fee_item(store::main_connection(), row.value(0), shell::program_context());
}

FeeItemInfoWindow::FeeItemInfoWindow(QWidget* parent, const QString& mode, const QString& name)
    : MaintenanceInfoDialog(mode, parent), ui(std::make_unique<Ui::FeeItemInfoWindow>()) {
    ui->setupUi(this);
    ui->组合框_收零用量->setCurrentIndex(1);
    ui->组合框_阶梯收费->setCurrentIndex(1);
    ui->组合框_自动损耗->setCurrentIndex(1);
    wire(ui->按钮_确定, ui->按钮_取消);
    connect(ui->组合框_计费模式, &QComboBox::currentIndexChanged, this, [this] {
        if (!loading_) on_billing_mode_picked();
    });
    connect(ui->组合框_计费模式, &QComboBox::activated, this, [this] { on_billing_mode_picked(); });
    if (mode == kModeModify) {
        loading_ = true;
        const FeeItem item = read_fee_item(store::main_connection(), name);
        ui->组合框_计费模式->setCurrentIndex(item.billing_mode == kActualUsageMode ? 0 : 1);
        ui->组合框_收零用量->setCurrentIndex(item.zero_usage == kOn ? 0 : 1);
        ui->组合框_自动损耗->setCurrentIndex(item.auto_loss == kOn ? 0 : 1);
        ui->组合框_阶梯收费->setCurrentIndex(item.tiered == kOn ? 0 : 1);
        select_text(ui->组合框_损耗位数, item.loss_digits);
        loading_ = false;
        ui->编辑框_项目名称->setText(name);
        ui->编辑框_项目名称->setEnabled(false);
        ui->按钮_确定->setText(QStringLiteral("保  存&Q"));
        ui->按钮_确定->setFocus();
    } else {
        ui->编辑框_项目名称->setFocus();
    }
}

FeeItemInfoWindow::~FeeItemInfoWindow() = default;

void FeeItemInfoWindow::on_billing_mode_picked() {
    if (ui->组合框_计费模式->currentText() == kActualUsageMode) ui->组合框_收零用量->setCurrentIndex(1);
}

Outcome FeeItemInfoWindow::save() {
    FeeItem item;
    item.name = ui->编辑框_项目名称->text();
    item.billing_mode = ui->组合框_计费模式->currentText();
    item.zero_usage = ui->组合框_收零用量->currentText();
    item.tiered = ui->组合框_阶梯收费->currentText();
    item.auto_loss = ui->组合框_自动损耗->currentText();
    item.loss_digits = ui->组合框_损耗位数->currentText();
    return save_fee_item(store::main_connection(), mode(), item, shell::program_context());
}

QWidget* FeeItemInfoWindow::field_box(Field field) {
    return field == Field::Name ? ui->编辑框_项目名称 : nullptr;
}

void on_menu_fee_items(QWidget* owner) {
    if (!shell::require_permission(QStringLiteral("收费项目设置"))) return;
    FeeItemsWindow window(owner);
    platform::window_open_modal(&window);
}

}  // namespace tariffs
