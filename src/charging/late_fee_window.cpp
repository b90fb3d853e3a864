#include "charging/late_fee_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "charging/late_fee_settings.h"
#include "platform/dialogs.h"
#include "shell/permission_prompts.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_late_fee_window.h"

namespace charging {

LateFeeWindow::LateFeeWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::LateFeeWindow>()) {
    ui->setupUi(this);
    on_late_fee_window_create();
    connect(ui->组合框_计算方式, &QComboBox::currentIndexChanged, this,
            [this] { on_late_fee_method_changed(); });
    connect(ui->按钮_保存, &QPushButton::clicked, this, [this] { on_late_fee_save_click(); });
    connect(ui->按钮_返回, &QPushButton::clicked, this, [this] { on_late_fee_back_click(); });
}

LateFeeWindow::~LateFeeWindow() = default;

void LateFeeWindow::on_late_fee_window_create() {
    ui->组合框_日期->clear();
    ui->组合框_日期->addItems(late_fee_day_items());
    const LateFeeForm form = late_fee_form_from(shell::system_parameters);
    ui->组合框_状态->setCurrentText(form.state);
    ui->组合框_计算方式->setCurrentText(form.method);
    ui->组合框_日期->setCurrentIndex(
        late_fee_day_index(shell::system_parameters.late_fee_start_day));
    ui->编辑框_利率->setText(form.value);
    on_late_fee_method_changed();
    ui->按钮_返回->setFocus();
}

void LateFeeWindow::on_late_fee_method_changed() {
    const QString method = ui->组合框_计算方式->currentText();
    ui->标签3->setText(late_fee_value_caption(method));
    ui->标签4->setText(late_fee_unit_caption(method));
}

void LateFeeWindow::on_late_fee_save_click() {
    LateFeeForm form;
    form.state = ui->组合框_状态->currentText();
    form.method = ui->组合框_计算方式->currentText();
    form.value = ui->编辑框_利率->text();
    form.start_day =
        ui->组合框_日期->currentIndex() < 0 ? QString() : ui->组合框_日期->currentText();
    const LateFeeSaveOutcome outcome =
        save_late_fee_settings(store::main_connection(), form, shell::program_context());
    if (outcome.done) shell::system_parameters = outcome.parameters;
    platform::show_messages(outcome.messages, this);
    if (outcome.done) accept();
}

void LateFeeWindow::on_late_fee_back_click() { reject(); }

void on_main_menu_late_fee_click(QWidget* owner) {
    if (!shell::require_permission(QStringLiteral("滞纳金设置"))) return;
    LateFeeWindow window(owner);
    platform::window_open_modal(&window);
}

}  // namespace charging
