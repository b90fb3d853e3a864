#include "tariffs/surcharges_window.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "platform/dialogs.h"
#include "platform/query.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "store/main_database.h"
#include "ui_surcharge_info_window.h"
#include "ui_surcharges_window.h"

namespace tariffs {

SurchargesWindow::SurchargesWindow(QWidget* parent)
    : MaintenanceListWindow(TariffTable::Surcharges, parent), ui(std::make_unique<Ui::SurchargesWindow>()) {
    ui->setupUi(this);
    if (shell::MainWindow* main = shell::main_window()) main->select_content_page(shell::kPageWelcome);
    modify_refusal_ = QStringLiteral("请选择待修改的附加费记录!");
    double_click_modifies_ = true;
    set_up({ui->超级列表框1, ui->按钮1, ui->修改, ui->删除, ui->返回});
}

SurchargesWindow::~SurchargesWindow() = default;

void SurchargesWindow::open_info(const QString& mode) {
    SurchargeInfoWindow dialog(this, mode, selected_row());
    open_dialog(dialog);
}

QString SurchargesWindow::delete_refusal(const QStringList& row) { return surcharge_delete_refusal(row.value(0)); }

Question SurchargesWindow::delete_question(const QStringList& row) {
    return surcharge_delete_question(row.value(1), row.value(3));
}

Outcome SurchargesWindow::remove(const QStringList& row) {
    return delete_surcharge(store::main_connection(), row.value(0), row.value(1), row.value(3),
                            shell::program_context());
}

SurchargeInfoWindow::SurchargeInfoWindow(QWidget* parent, const QString& mode, const QStringList& row)
    : MaintenanceInfoDialog(mode, parent), ui(std::make_unique<Ui::SurchargeInfoWindow>()) {
    ui->setupUi(this);
    wire(ui->按钮_确定, ui->按钮_取消);
    ui->组合框_计费方式->setCurrentIndex(0);
    if (mode == kModeModify) {
        fix_combo(ui->组合框_收费项目, row.value(0));
        fix_combo(ui->组合框_类别名称, row.value(1));
        ui->组合框_计费方式->setCurrentIndex(row.value(2) == kByQuantity ? 0 : 1);
        previous_name_ = row.value(3);
        ui->编辑框_名称->setText(previous_name_);
        ui->编辑框_价格->setText(row.value(4));
        focus_box(ui->编辑框_名称, true);
    } else {
        set_combo_items(ui->组合框_收费项目,
                        platform::query_column(store::main_connection(), QStringLiteral("select 项目名称 from 收费项目")));
        connect(ui->组合框_收费项目, &QComboBox::currentIndexChanged, this, [this] { on_fee_item_picked(); });
        ui->编辑框_名称->setFocus();
    }
}

SurchargeInfoWindow::~SurchargeInfoWindow() = default;

void SurchargeInfoWindow::on_fee_item_picked() {
    const QString fee_item = ui->组合框_收费项目->currentText();
    if (fee_item.isEmpty()) return;
    set_combo_items(ui->组合框_类别名称, price_category_names(store::main_connection(), fee_item));
}

Outcome SurchargeInfoWindow::save() {
    Surcharge surcharge;
    surcharge.fee_item = ui->组合框_收费项目->currentText();
    surcharge.category = ui->组合框_类别名称->currentText();
    surcharge.name = ui->编辑框_名称->text();
    surcharge.price = ui->编辑框_价格->text();
    surcharge.method = ui->组合框_计费方式->currentText();
    return save_surcharge(store::main_connection(), mode(), surcharge, previous_name_,
                          shell::program_context());
}

QWidget* SurchargeInfoWindow::field_box(Field field) {
    switch (field) {
        case Field::FeeItem: return ui->组合框_收费项目;
        case Field::Category: return ui->组合框_类别名称;
        case Field::Name: return ui->编辑框_名称;
        case Field::Price: return ui->编辑框_价格;
        default: return nullptr;
    }
}

void on_menu_surcharges(QWidget* owner) {
    if (!shell::require_permission(QStringLiteral("附加费设置"))) return;
    SurchargesWindow window(owner);
    platform::window_open_modal(&window);
}

}  // namespace tariffs
