#include "shell/change_password_window.h"

#include <QPushButton>

#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/files.h"
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
    QString stored;
    if (platform::recordset_open(记录集1, QStringLiteral("select * from 收费员 where 收费人员=") +
                                              platform::sql_quote(current_operator)))
        stored = platform::recordset_field_text(记录集1, QStringLiteral("密码"));
    platform::recordset_close(记录集1);
    if (ui->编辑框2->text().isEmpty()) {
        inform(QStringLiteral("密码不能为空！"));
        return;
    }
    if (ui->编辑框2->text() != ui->编辑框3->text()) {
        inform(QStringLiteral("两次密码不相符，请重新输入！"));
        ui->编辑框2->clear();
        ui->编辑框3->clear();
        ui->编辑框1->clear();
        return;
    }
    if (platform::md5_hex(ui->编辑框1->text()).compare(stored, Qt::CaseSensitive) != 0) {
        platform::message_box(QStringLiteral("旧密码没有被确认！"), platform::kDefaultCaption,
                              platform::MsgIcon::Critical);
        return;
    }
    platform::Connection& db = store::main_connection();
    if (!platform::db_execute(db, QStringLiteral("update 收费员 set 密码=") +
                                      platform::sql_quote(platform::md5_hex(ui->编辑框2->text())) +
                                      QStringLiteral(" where 收费人员=") +
                                      platform::sql_quote(current_operator))) {
        // As a failed query reports itself: the provider's text in a plain box.
        platform::message_box(platform::db_last_error(db), QString(), platform::MsgIcon::None);
        return;
    }
    inform(QStringLiteral("密码修改成功！"));
}

void ChangePasswordWindow::on_change_password_cancel_click() {
    platform::recordset_close(记录集1);
    close();
}

}  // namespace shell
