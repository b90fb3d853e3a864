#include "tariffs/system_parameters_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/dialogs.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "tariffs/maintenance_window.h"
#include "ui_system_parameters_window.h"

namespace tariffs {

SystemParametersWindow::SystemParametersWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::SystemParametersWindow>()) {
    ui->setupUi(this);
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_parameters_save_click(); });
    connect(ui->按钮2, &QPushButton::clicked, this, [this] { on_parameters_close_click(); });
    on_parameters_created();
}

SystemParametersWindow::~SystemParametersWindow() = default;

void SystemParametersWindow::on_parameters_created() {
    if (shell::MainWindow* main = shell::main_window()) main->select_content_page(shell::kPageWelcome);
    for (int day = 1; day <= 28; ++day) ui->日期->addItem(QString::number(day));
    for (int month = 1; month <= 11; ++month) ui->月份->addItem(QString::number(month));

    // Rows that are missing leave their controls as designed.
    ParameterForm designed;
    designed.settlement_day = ui->日期->currentText();
    designed.settlement_month = ui->月份->currentText();
    designed.yearly_by_december = ui->年结_每年12月->isChecked();
    designed.monthly_fixed_day = ui->月结_固定日期->isChecked();
    designed.personal_account = ui->个人帐户_开启->isChecked();
    designed.rounding = ui->选择框_四舍五入->isChecked();
    designed.rounding_to_tenths = ui->单选框_四舍五入十分位->isChecked();
    designed.invoice_management = ui->发票管理_开启->isChecked();
    const ParameterForm form = read_parameter_form(store::main_connection(), designed);

    ui->日期->setCurrentIndex(ui->日期->findText(form.settlement_day));
    ui->月份->setCurrentIndex(ui->月份->findText(form.settlement_month));
    (form.monthly_fixed_day ? ui->月结_固定日期 : ui->月结_每月月底)->setChecked(true);
    (form.yearly_by_december ? ui->年结_每年12月 : ui->年结_实际结算月份)->setChecked(true);
    (form.personal_account ? ui->个人帐户_开启 : ui->个人帐户_关闭)->setChecked(true);
    (form.invoice_management ? ui->发票管理_开启 : ui->发票管理_关闭)->setChecked(true);
    (form.rounding_to_tenths ? ui->单选框_四舍五入十分位 : ui->单选框_四舍五入到个位)->setChecked(true);
    ui->选择框_四舍五入->setChecked(form.rounding);
    ui->编_单位名称->setText(form.organisation_name);
    ui->编辑框_前缀->setText(form.household_prefix);
    ui->编辑框_用户位数->setText(form.household_digits);
    ui->编_单位名称->setFocus();
}

ParameterForm SystemParametersWindow::read_form() const {
    ParameterForm form;
    form.organisation_name = ui->编_单位名称->text();
    form.settlement_day = ui->日期->currentText();
    form.settlement_month = ui->月份->currentText();
    form.yearly_by_december = ui->年结_每年12月->isChecked();
    form.monthly_fixed_day = ui->月结_固定日期->isChecked();
    form.personal_account = ui->个人帐户_开启->isChecked();
    form.household_prefix = ui->编辑框_前缀->text();
    form.household_digits = ui->编辑框_用户位数->text();
    form.rounding = ui->选择框_四舍五入->isChecked();
    form.rounding_to_tenths = ui->单选框_四舍五入十分位->isChecked();
    form.invoice_management = ui->发票管理_开启->isChecked();
    return form;
}

void SystemParametersWindow::on_parameters_save_click() {
    shell::SystemParameters in_force;
    const Outcome outcome = save_system_parameters(store::main_connection(), read_form(),
                                                   shell::program_context(), in_force);
    if (outcome.done) shell::system_parameters = in_force;
    if (outcome.done)
        if (shell::MainWindow* main = shell::main_window())
            main->setWindowTitle(shell::system_parameters.organisation_name + QStringLiteral("收费系统"));
    show_outcome(outcome, this);
    if (!outcome.done) {
        if (outcome.focus == Field::Digits) focus_box(ui->编辑框_用户位数, true);
        return;
    }
    accept();
}

void SystemParametersWindow::on_parameters_close_click() { reject(); }

void on_menu_system_parameters(QWidget* owner) {
    if (!shell::require_permission(QStringLiteral("系统参数设置"))) return;
    SystemParametersWindow window(owner);
    platform::window_open_modal(&window);
}

}  // namespace tariffs
