#include "households/streets_window.h"

#include "households/register_writes.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "shell/main_window.h"
#include "shell/operation_log.h"
#include "shell/permission_prompts.h"
#include "shell/permissions.h"
#include "store/main_database.h"
#include "ui_streets_window.h"

namespace households {

namespace {

using platform::inform;

}  // namespace

StreetsWindow::StreetsWindow(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::StreetsWindow>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->超级列表框1);
    platform::listview_insert_column(ui->超级列表框1, QStringLiteral("居住街道"), 260);
    ui->超级列表框1->horizontalHeader()->setStretchLastSection(true);
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_streets_add_click(); });
    connect(ui->删除, &QPushButton::clicked, this, [this] { on_streets_delete_click(); });
    connect(ui->按钮3, &QPushButton::clicked, this, [this] { on_streets_close_click(); });
    on_streets_created();
}

StreetsWindow::~StreetsWindow() { platform::recordset_close(records_); }

void StreetsWindow::on_streets_created() {
    platform::recordset_bind_connection(records_, store::main_connection());
    fill_street_list();
    ui->编辑框1->setFocus();
}

void StreetsWindow::fill_street_list() {
    QTableView* list = ui->超级列表框1;
    platform::listview_begin_fill(list);
    platform::listview_clear_rows(list);
    if (platform::recordset_open(records_, QStringLiteral("select * from 街道")))
        for (; !platform::recordset_eof(records_); platform::recordset_move_next(records_))
            platform::listview_set_cell_text(list, platform::listview_insert_row(list), 0,
                                             platform::recordset_field_text(records_, 0));
    platform::recordset_close(records_);
    platform::listview_end_fill(list);
}

void StreetsWindow::on_streets_add_click() {
    if (ui->编辑框1->text().isEmpty()) {
        inform(QStringLiteral("待添加的街道名称不能为空！"));
        ui->编辑框1->setFocus();
        return;
    }
    const QString name = platform::text_trim(ui->编辑框1->text());
    const RegisterWrite outcome = add_street(store::main_connection(), name);
    if (outcome.duplicate) {
        inform(QStringLiteral("待添加的街道名称重复！"));
        return;
    }
    if (!outcome.written) return;
    if (outcome.log_failed) inform(QStringLiteral("添加日志失败！"));
    inform(QStringLiteral("添加街道【") + name + QStringLiteral("】成功！"), QStringLiteral("添加成功"));
    fill_street_list();
    ui->编辑框1->clear();
    ui->编辑框1->setFocus();
}

void StreetsWindow::on_streets_delete_click() {
    QTableView* list = ui->超级列表框1;
    const int row = platform::listview_selected_row(list);
    const QString name = row >= 0 ? platform::listview_cell_text(list, row, 0) : QString();
    if (name.isEmpty()) {
        inform(QStringLiteral("请选择待删除的街道！"));
        return;
    }
    platform::beep();
    if (platform::message_box(QStringLiteral("确认要删除居住街道【") + name + QStringLiteral("】吗？\r\n该操作不可逆,请慎重!"),
                              platform::kDefaultCaption, platform::MsgIcon::Question,
                              platform::MsgButtons::YesNo) != platform::MsgResult::Yes)
        return;
    const RegisterWrite outcome = delete_street(store::main_connection(), name);
    if (!outcome.written) return;
    if (outcome.log_failed) inform(QStringLiteral("添加日志失败！"));
    inform(QStringLiteral("删除街道【") + name + QStringLiteral("】成功！"), QStringLiteral("删除成功"));
    fill_street_list();
}

void StreetsWindow::on_streets_close_click() { reject(); }

void on_menu_streets_click(QWidget* owner) {
    if (!shell::require_permission(QStringLiteral("居住街道设置"))) return;
    if (shell::MainWindow* window = shell::main_window()) window->select_content_page(shell::kPageWelcome);
    StreetsWindow window(owner);
    platform::window_open_modal(&window);
}

}  // namespace households
