#include "shell/operator_info_window.h"

#include <QPushButton>
#include <QTableView>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "shell/operator_accounts.h"
#include "shell/operators_window.h"
#include "store/main_database.h"
#include "ui_operator_info_window.h"

namespace shell {

OperatorInfoWindow::OperatorInfoWindow(QWidget* parent, QTableView* operators_list)
    : QDialog(parent),
      ui(std::make_unique<Ui::OperatorInfoWindow>()),
      operators_list_(operators_list) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(ui->按钮_确定, &QPushButton::clicked, this, [this] { on_operator_info_save_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this,
            [this] { on_operator_info_cancel_click(); });
    on_operator_info_window_created();
}

OperatorInfoWindow::~OperatorInfoWindow() = default;

void OperatorInfoWindow::on_operator_info_window_created() {
    ui->组合框_进入->setCurrentIndex(0);
    if (operator_form_mode == QStringLiteral("修改")) {
        const int row = operators_list_ ? platform::listview_selected_row(operators_list_) : -1;
        operator_name_before_edit =
            row < 0 ? QString() : platform::listview_cell_text(operators_list_, row, 0);
        bool permitted = false;
        platform::RecordSet records(store::main_connection());
        if (platform::recordset_open(records, QStringLiteral("select * from 收费员 where 收费人员=") +
                                                  platform::sql_quote(operator_name_before_edit)))
            permitted = platform::recordset_field_bool(records, 2);
        ui->组合框_进入->setCurrentIndex(permitted ? 0 : 1);
        ui->编辑框_姓名->setText(operator_name_before_edit);
        ui->编辑框_密码->clear();
        ui->编辑框_姓名->selectAll();
    }
    ui->编辑框_姓名->setFocus();
}

void OperatorInfoWindow::on_operator_info_save_click() {
    const QString name = ui->编辑框_姓名->text();
    const QString password = ui->编辑框_密码->text();
    const bool may_log_in = ui->组合框_进入->currentIndex() == 0;
    OperatorSaveOutcome outcome;
    if (operator_form_mode == QStringLiteral("添加"))
        outcome = add_operator(store::main_connection(), name, password, may_log_in);
    else if (operator_form_mode == QStringLiteral("修改"))
        outcome = modify_operator(store::main_connection(), operator_name_before_edit, name,
                                  password, may_log_in);
    else
        return;
    platform::show_messages(outcome.messages);
    if (outcome.focus == OperatorField::Name)
        ui->编辑框_姓名->setFocus();
    else if (outcome.focus == OperatorField::Password)
        ui->编辑框_密码->setFocus();
    if (outcome.close_form) accept();
}

void OperatorInfoWindow::on_operator_info_cancel_click() { reject(); }

}  // namespace shell
