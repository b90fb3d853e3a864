#include "reading/meter_readers_window.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "platform/dialogs.h"
#include "platform/listview.h"
#include "reading/meter_readers.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "store/main_database.h"
#include "ui_meter_readers_window.h"

namespace reading {

using platform::inform;

MeterReadersWindow::MeterReadersWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::MeterReadersWindow>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->超级列表框1);
    platform::listview_insert_column(ui->超级列表框1, QStringLiteral("抄表人员"), 230);
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_readers_add_click(); });
    connect(ui->删除, &QPushButton::clicked, this, [this] { on_readers_delete_click(); });
    connect(ui->按钮3, &QPushButton::clicked, this, [this] { reject(); });
    fill_readers_list();
    ui->编辑框1->setFocus();
}

MeterReadersWindow::~MeterReadersWindow() = default;

void MeterReadersWindow::fill_readers_list() {
    QTableView* list = ui->超级列表框1;
    platform::listview_begin_fill(list);
    platform::listview_clear_rows(list);
    for (const QString& name : meter_reader_names(store::main_connection()))
        platform::listview_model(list)->append_row({name});
    platform::listview_end_fill(list);
}

void MeterReadersWindow::on_readers_add_click() {
    const ReaderOutcome out =
        add_meter_reader(store::main_connection(), ui->编辑框1->text(), shell::program_context());
    switch (out.result) {
        case ReaderOutcome::Result::Refused:
            inform(out.message);
            ui->编辑框1->setFocus();
            return;
        case ReaderOutcome::Result::Failed:
            return;
        case ReaderOutcome::Result::Done:
            if (out.log_failed) inform(QStringLiteral("添加日志失败！"));
            inform(out.message);
            fill_readers_list();
            ui->编辑框1->clear();
            ui->编辑框1->setFocus();
            return;
    }
}

void MeterReadersWindow::on_readers_delete_click() {
    QTableView* list = ui->超级列表框1;
    const int row = platform::listview_selected_row(list);
    const QString name = row < 0 ? QString() : platform::listview_cell_text(list, row, 0);
    const ReaderOutcome check = check_reader_deletable(name);
    if (check.result != ReaderOutcome::Result::Done) {
        inform(check.message);
        return;
    }
    platform::beep();
    if (platform::message_box(QStringLiteral("确认要删除抄表人员【") + name +
                                  QStringLiteral("】吗？\r\n该操作不可逆,请慎重!"),
                              platform::kDefaultCaption, platform::MsgIcon::Question,
                              platform::MsgButtons::YesNo) != platform::MsgResult::Yes)
        return;
    const ReaderOutcome out =
        delete_meter_reader(store::main_connection(), name, shell::program_context());
    if (out.result != ReaderOutcome::Result::Done) return;
    if (out.log_failed) inform(QStringLiteral("添加日志失败！"));
    inform(out.message, out.caption);
    fill_readers_list();
}

void on_menu_meter_readers(QWidget* owner) {
    if (!shell::require_permission(QStringLiteral("抄表人员设置"))) return;
    if (shell::MainWindow* window = shell::main_window())
        window->select_content_page(shell::kPageWelcome);
    MeterReadersWindow window(owner);
    platform::window_open_modal(&window);
}

}  // namespace reading
