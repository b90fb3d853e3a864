#include "shell/operators_window.h"

#include <QPushButton>
#include <QTableView>

#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "shell/operation_log.h"
#include "shell/operator_accounts.h"
#include "shell/operator_info_window.h"
#include "store/main_database.h"
#include "ui_operators_window.h"

namespace shell {

QString operator_form_mode;
QString operator_name_before_edit;

using platform::inform;

OperatorsWindow::OperatorsWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::OperatorsWindow>()) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    platform::setup_report_view(ui->超级列表框1);
    platform::listview_insert_column(ui->超级列表框1, QStringLiteral("操作人员"), 160);
    platform::listview_insert_column(ui->超级列表框1, QStringLiteral("进入许可"), 80);
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_operators_add_click(); });
    connect(ui->修改, &QPushButton::clicked, this, [this] { on_operators_modify_click(); });
    connect(ui->删除, &QPushButton::clicked, this, [this] { on_operators_delete_click(); });
    connect(ui->返回, &QPushButton::clicked, this, [this] { on_operators_return_click(); });
    connect(ui->超级列表框1, &QTableView::doubleClicked, this,
            [this] { on_operators_list_dblclick(); });
    on_operators_window_created();
}

OperatorsWindow::~OperatorsWindow() = default;

QTableView* OperatorsWindow::operators_list() const { return ui->超级列表框1; }

void OperatorsWindow::on_operators_window_created() {
    platform::recordset_bind_connection(记录集1, store::main_connection());
    fill_operators_list();
}

void OperatorsWindow::fill_operators_list() {
    QTableView* list = ui->超级列表框1;
    platform::listview_begin_fill(list);
    platform::listview_clear_rows(list);
    if (platform::recordset_open(记录集1,
                                 QStringLiteral("select * from 收费员 where 收费人员<>'管理员'"))) {
        for (; !platform::recordset_eof(记录集1); platform::recordset_move_next(记录集1)) {
            const int row = platform::listview_insert_row(list);
            platform::listview_set_cell_text(list, row, 0,
                                             platform::recordset_field_text(记录集1, 0));
            platform::listview_set_cell_text(list, row, 1,
                                             platform::recordset_field_bool(记录集1, 2)
                                                 ? QStringLiteral("√")
                                                 : QStringLiteral("×"));
        }
    }
    platform::recordset_close(记录集1);
    platform::listview_end_fill(list);
}

QString OperatorsWindow::selected_name() const {
    const int row = platform::listview_selected_row(ui->超级列表框1);
    return row < 0 ? QString() : platform::listview_cell_text(ui->超级列表框1, row, 0);
}

void OperatorsWindow::open_operator_form() {
    OperatorInfoWindow form(this, ui->超级列表框1);
    platform::window_open_modal(&form);
    fill_operators_list();
}

void OperatorsWindow::on_operators_add_click() {
    operator_form_mode = QStringLiteral("添加");
    open_operator_form();
}

void OperatorsWindow::on_operators_modify_click() {
    if (selected_name().isEmpty()) {
        inform(QStringLiteral("请选择待修改的操作人员!"));
        return;
    }
    operator_form_mode = QStringLiteral("修改");
    open_operator_form();
}

void OperatorsWindow::on_operators_list_dblclick() {
    if (selected_name().isEmpty()) return;
    operator_form_mode = QStringLiteral("修改");
    open_operator_form();
}

void OperatorsWindow::on_operators_delete_click() {
    const QString name = selected_name();
    if (name.isEmpty()) {
        inform(QStringLiteral("请选择待删除的操作人员！"));
        return;
    }
    platform::beep();
    if (platform::message_box(QStringLiteral("确认要删除操作人员【") + name +
                                  QStringLiteral("】吗？\r\n该操作不可逆,请慎重!"),
                              platform::kDefaultCaption, platform::MsgIcon::Question,
                              platform::MsgButtons::YesNo) != platform::MsgResult::Yes)
        return;
    platform::show_messages(delete_operator(store::main_connection(), name).messages);
    fill_operators_list();
}

void OperatorsWindow::on_operators_return_click() { close(); }

}  // namespace shell
