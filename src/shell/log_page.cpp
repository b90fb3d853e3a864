#include "shell/log_page.h"

#include <QPushButton>
#include <QTableView>

#include "lists/list_columns.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "shell/log_query_window.h"
#include "ui_log_page.h"

namespace shell {

LogPage::LogPage(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::LogPage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->列表框_日志管理);
    connect(ui->日志_查询, &QPushButton::clicked, this, [this] { on_main_log_query_click(); });
}

LogPage::~LogPage() = default;

QTableView* LogPage::log_list() const { return ui->列表框_日志管理; }

void LogPage::open_log_page() {
    QTableView* list = ui->列表框_日志管理;
    platform::listview_clear_rows(list);
    lists::load_query_column_names(list, kLogColumnClass);
    lists::apply_query_column_visibility_and_widths(list, kLogColumnClass);
}

void LogPage::on_main_log_query_click() {
    LogQueryWindow window(this, ui->列表框_日志管理);
    platform::window_open_modal(&window);
}

}  // namespace shell
