#include "shell/change_password_window.h"

#include <QPushButton>

#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "shell/operator_accounts.h"
#include "shell/program_state.h"
#include "store/main_database.h"
#include "ui_change_password_window.h"

namespace shell {

using platform::inform;

ChangePasswordWindow::ChangePasswordWindow(QWidget* parent, std::function<void()> show_welcome_page)
    : QDialog(parent),
      ui(std::make_unique<Ui::ChangePasswordWindow>()),
      show_welcome_page_(std::move(show_welcome_page)) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_change_password_ok_click(); });
    connect(ui->按钮2, &QPushButton::clicked, this, [this] { on_change_password_cancel_click(); });
    on_change_password_window_create();
}

ChangePasswordWindow::~ChangePasswordWindow() = default;

void ChangePasswordWindow::on_change_password_window_create() {
    if (show_welcome_page_) show_welcome_page_();
    platform::recordset_bind_connection(记录集1, store::main_connection());
    setWindowTitle(current_operator);
    ui->编辑框1->setFocus();
}

void ChangePasswordWindow::on_change_password_ok_click() {
    const OperatorWriteOutcome outcome =
        change_operator_password(store::main_connection(), current_operator, ui->编辑框1->text(),
                                 ui->编辑框2->text(), ui->编辑框3->text());
    if (outcome.clear_password_boxes) {
        ui->编辑框2->clear();
        ui->编辑框3->clear();
        ui->编辑框1->clear();
    }
    platform::show_messages(outcome.messages);
}

void ChangePasswordWindow::on_change_password_cancel_click() {
    platform::recordset_close(记录集1);
    close();
}

}  // namespace shell
