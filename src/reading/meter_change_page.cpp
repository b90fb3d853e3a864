#include "reading/meter_change_page.h"

#include <QPushButton>
#include <QTableView>
#include <cmath>

#include "lists/list_columns.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "reading/meter_change_windows.h"
#include "reading/meter_changes.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "store/main_database.h"
#include "ui_meter_change_page.h"

namespace reading {

namespace {

using platform::inform;

}  // namespace

void fill_meter_change_list(QWidget* window, QTableView* list, const QString& condition_and_order) {
    lists::ListBuilder build(list, kMeterChangeColumnClass, window);
    platform::RecordSet records;
    platform::recordset_bind_connection(records, store::main_connection());
    if (platform::recordset_open(records, meter_change_list_statement() + condition_and_order)) {
        build.show_progress(platform::recordset_record_count(records));
        auto text = [&](const char16_t* name) {
            return platform::recordset_field_text(records, QString::fromUtf16(name));
        };
        for (; !platform::recordset_eof(records); platform::recordset_move_next(records)) {
            const QDateTime changed =
                platform::recordset_field_date(records, QStringLiteral("换表日期"));
            build.append_row({text(u"编号"), text(u"户号"), text(u"用户名"), text(u"居住街道"),
                              text(u"详细地址"),
                              changed.isValid() ? platform::to_text(changed.date()) : QString(),
                              text(u"旧表编号"), text(u"新表编号"),
                              platform::to_text(platform::recordset_field_number(
                                  records, QStringLiteral("换表起方"))),
                              text(u"执行日期"), text(u"操作人员")});
        }
        platform::recordset_close(records);
    }
    build.finish();
}

MeterChangePage::MeterChangePage(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::MeterChangePage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->列表框_换表管理);
    connect(ui->换表管理_查询, &QPushButton::clicked, this,
            [this] { on_meter_change_query_click(); });
    connect(ui->换表管理_添加, &QPushButton::clicked, this,
            [this] { on_meter_change_add_click(); });
    connect(ui->换表管理_修改, &QPushButton::clicked, this,
            [this] { on_meter_change_modify_click(); });
    connect(ui->换表管理_删除, &QPushButton::clicked, this,
            [this] { on_meter_change_delete_click(); });
}

MeterChangePage::~MeterChangePage() = default;

QTableView* MeterChangePage::change_list() const { return ui->列表框_换表管理; }

QString MeterChangePage::selected_change_number() const {
    QTableView* list = ui->列表框_换表管理;
    int column = platform::listview_column_index(list, QStringLiteral("编号"));
    if (column < 0) column = 0;
    const int row = platform::listview_selected_row(list);
    return row < 0 ? QString() : platform::listview_cell_text(list, row, column);
}

void MeterChangePage::on_meter_change_query_click() {
    MeterChangeQueryWindow query(this, window());
    platform::window_open_modal(&query);
}

void MeterChangePage::on_meter_change_add_click() {
    meter_change_edit_mode = 0;
    MeterChangeEntryWindow entry(this, window());
    platform::window_open_modal(&entry);
}

void MeterChangePage::on_meter_change_modify_click() {
    if (selected_change_number().isEmpty()) {
        inform(QStringLiteral("请选择待修改的记录！"));
        return;
    }
    meter_change_edit_mode = 1;
    MeterChangeEntryWindow entry(this, window());
    platform::window_open_modal(&entry);
}

void MeterChangePage::on_meter_change_delete_click() {
    const QString cell = selected_change_number();
    if (cell.isEmpty()) {
        inform(QStringLiteral("请选择待修改的记录！"));
        return;
    }
    const double whole = std::trunc(platform::to_number(cell));
    const qint64 id = std::fabs(whole) < 9e15 ? static_cast<qint64>(whole) : 0;
    platform::beep();
    if (platform::message_box(
            QStringLiteral("确定编号为【") + QString::number(id) + QStringLiteral("】的记录吗？"),
            QStringLiteral("警告"), platform::MsgIcon::Question,
            platform::MsgButtons::OkCancel) != platform::MsgResult::Ok)
        return;
    const MeterChangeOutcome out =
        delete_meter_change(store::main_connection(), id, shell::program_context());
    if (out.result != MeterChangeOutcome::Result::Done) return;
    if (out.log_failed) inform(QStringLiteral("添加日志失败！"));
    inform(out.message);
}

void on_main_nav_meter_change_click(shell::MainWindow& window, MeterChangePage& page) {
    if (!shell::require_permission(QStringLiteral("换表管理"))) return;
    fill_meter_change_list(&window, page.change_list(),
                           meter_change_today_condition(platform::today()));
    window.select_content_page(shell::kPageMeterChanges);
}

}  // namespace reading
