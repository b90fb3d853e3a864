#include "tariffs/price_categories_window.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "platform/dialogs.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "store/main_database.h"
#include "ui_price_categories_window.h"
#include "ui_price_category_info_window.h"

namespace tariffs {

PriceCategoriesWindow::PriceCategoriesWindow(QWidget* parent)
    : MaintenanceListWindow(TariffTable::PriceCategories, parent), ui(std::make_unique<Ui::PriceCategoriesWindow>()) {
    ui->setupUi(this);
    if (shell::MainWindow* main = shell::main_window()) main->select_content_page(shell::kPageWelcome);
    modify_refusal_ = QStringLiteral("请选择待修改的电价类别记录!");
    double_click_modifies_ = true;
    set_up({ui->超级列表框1, ui->按钮1, ui->修改, ui->删除, ui->返回});
}

PriceCategoriesWindow::~PriceCategoriesWindow() = default;

void PriceCategoriesWindow::open_info(const QString& mode) {
    PriceCategoryInfoWindow dialog(this, mode, selected_row());
    open_dialog(dialog);
}

QString PriceCategoriesWindow::delete_refusal(const QStringList& row) {
    return price_category_delete_refusal(row.value(0));
}

Question PriceCategoriesWindow::delete_question(const QStringList& row) {
    return price_category_delete_question(row.value(0), row.value(1));
}

Outcome PriceCategoriesWindow::remove(const QStringList& row) {
    return delete_price_category(store::main_connection(), row.value(0), row.value(1),
                                 shell::program_context());
}

PriceCategoryInfoWindow::PriceCategoryInfoWindow(QWidget* parent, const QString& mode, const QStringList& row)
    : MaintenanceInfoDialog(mode, parent), ui(std::make_unique<Ui::PriceCategoryInfoWindow>()) {
    ui->setupUi(this);
    wire(ui->按钮_确定, ui->按钮_取消);
    if (mode == kModeModify) {
        fix_combo(ui->组合框_收费项目, row.value(0));
        previous_name_ = row.value(1);
        ui->编辑框_名称->setText(previous_name_);
        ui->编辑框_价格->setText(row.value(2));
        ui->编辑框_基本方->setText(row.value(3));
        ui->编辑框_比例->setText(row.value(4));
        focus_box(ui->编辑框_名称, true);
    } else {
        set_combo_items(ui->组合框_收费项目, fee_item_names(store::main_connection()));
        ui->编辑框_名称->setFocus();
    }
}

PriceCategoryInfoWindow::~PriceCategoryInfoWindow() = default;

Outcome PriceCategoryInfoWindow::save() {
    PriceCategory category;
    category.fee_item = ui->组合框_收费项目->currentText();
    category.name = ui->编辑框_名称->text();
    category.price = ui->编辑框_价格->text();
    category.base = ui->编辑框_基本方->text();
    category.rate = ui->编辑框_比例->text();
    return save_price_category(store::main_connection(), mode(), category, previous_name_,
                               shell::program_context());
}

QWidget* PriceCategoryInfoWindow::field_box(Field field) {
    switch (field) {
        case Field::FeeItem: return ui->组合框_收费项目;
        case Field::Name: return ui->编辑框_名称;
        case Field::Price: return ui->编辑框_价格;
        default: return nullptr;
    }
}

void on_menu_price_categories(QWidget* owner) {
    if (!shell::require_permission(QStringLiteral("价格类别设置"))) return;
    PriceCategoriesWindow window(owner);
    platform::window_open_modal(&window);
}

}  // namespace tariffs
