#include "households/meter_list_page.h"

#include <QApplication>
#include <QPushButton>
#include <QTableView>
#include <cmath>

#include "households/household_import.h"
#include "households/household_meter_query_window.h"
#include "households/meter_account.h"
#include "households/meter_entry.h"
#include "households/meter_info_window.h"
#include "households/reading_order.h"
#include "lists/list_columns.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "shell/permissions.h"
#include "store/main_database.h"
#include "ui_meter_list_page.h"

namespace households {

namespace {

using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

using platform::inform;

bool ask(const QString& text, const QString& caption) {
    return platform::message_box(text, caption, MsgIcon::Question, MsgButtons::YesNo) ==
           MsgResult::Yes;
}

}  // namespace

MeterListPage::MeterListPage(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::MeterListPage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->列表框_用户表管理);
    connect(ui->用户表管理_查询, &QPushButton::clicked, this,
            [this] { on_main_meter_page_query_click(); });
    connect(ui->用户表管理_添加, &QPushButton::clicked, this,
            [this] { on_main_meter_add_click(); });
    connect(ui->用户表管理_修改, &QPushButton::clicked, this,
            [this] { on_main_meter_modify_click(); });
    connect(ui->用户表管理_删除, &QPushButton::clicked, this,
            [this] { on_main_meter_delete_click(); });
    connect(ui->用户表管理_上移, &QPushButton::clicked, this,
            [this] { on_main_meter_move_up_click(); });
    connect(ui->用户表管理_下移, &QPushButton::clicked, this,
            [this] { on_main_meter_move_down_click(); });
    connect(ui->用户表管理_移动到, &QPushButton::clicked, this,
            [this] { on_main_meter_move_to_click(); });
    connect(ui->用户表管理_批量排序, &QPushButton::clicked, this,
            [this] { on_main_meter_batch_sort_import_click(); });
}

MeterListPage::~MeterListPage() = default;

QTableView* MeterListPage::meter_list() const { return ui->列表框_用户表管理; }

void MeterListPage::open_meter_page() {
    QTableView* list = ui->列表框_用户表管理;
    platform::listview_clear_rows(list);
    platform::listview_clear_columns(list);
    platform::RecordSet records;
    platform::recordset_bind_connection(records, store::main_connection());
    if (!platform::recordset_open(
            records, QStringLiteral("select 列名,列宽 from 查询列 where 显示='真' and 类名=") +
                         platform::sql_quote(kMeterColumnClass) +
                         QStringLiteral(" ORDER  BY 排序")))
        return;
    for (; !platform::recordset_eof(records); platform::recordset_move_next(records))
        platform::listview_insert_column(
            list, platform::recordset_field_text(records, 0),
            static_cast<int>(std::trunc(platform::recordset_field_number(records, 1))));
    platform::recordset_close(records);
}

void MeterListPage::fill_meter_list(const QString& query) {
    QTableView* list = ui->列表框_用户表管理;
    lists::ListBuilder build(list, kMeterColumnClass, window());
    platform::RecordSet records;
    platform::recordset_bind_connection(records, store::main_connection());
    if (platform::recordset_open(records, query)) {
        build.show_progress(platform::recordset_record_count(records));
        build.reserve_rows(platform::recordset_record_count(records));
        auto text = [&](const char16_t* name) {
            return platform::recordset_field_text(records, QString::fromUtf16(name));
        };
        auto whole = [&](const char16_t* name) {
            const double value =
                platform::recordset_field_number(records, QString::fromUtf16(name));
            return QString::number(static_cast<qint64>(std::trunc(value)));
        };
        for (; !platform::recordset_eof(records); platform::recordset_move_next(records)) {
            const QDateTime set_up =
                platform::recordset_field_date(records, QStringLiteral("建表时间"));
            build.append_row({whole(u"编号"), text(u"父号"), text(u"户号"), text(u"用户名"),
                              text(u"磁卡号码"), text(u"居住街道"), text(u"详细地址"),
                              set_up.isValid() ? platform::to_text(set_up.date()) : QString(),
                              text(u"收费项目"), text(u"价格类别"), text(u"计量编号"),
                              platform::to_text(platform::recordset_field_number(
                                  records, QStringLiteral("开始起数"))),
                              whole(u"倍率"), text(u"状态"), text(u"抄表人员"),
                              whole(u"抄表序号")});
        }
        platform::recordset_close(records);
    }
    build.finish();
    list->setFocus();
}

qint64 MeterListPage::selected_meter_id(const QString& no_row_message) {
    QTableView* list = ui->列表框_用户表管理;
    const int column = platform::listview_column_index(list, QStringLiteral("编号"));
    if (column < 0) {
        inform(QStringLiteral("请在查询列在设置显示编号列!"));
        return 0;
    }
    const int row = platform::listview_selected_row(list);
    const QString cell = row < 0 ? QString() : platform::listview_cell_text(list, row, column);
    if (platform::text_trim(cell).isEmpty()) {
        inform(no_row_message);
        return 0;
    }
    return static_cast<qint64>(std::trunc(platform::to_number(cell)));
}

void MeterListPage::on_main_meter_page_query_click() {
    HouseholdMeterQueryWindow query(this, window());
    platform::window_open_modal(&query);
}

void MeterListPage::on_main_meter_add_click() {
    if (!shell::require_permission(QStringLiteral("用户添加"))) return;
    meter_form_mode = QStringLiteral("添加");
    MeterInfoWindow form(this, window());
    platform::window_open_modal(&form);
}

void MeterListPage::on_main_meter_modify_click() {
    if (!shell::require_permission(QStringLiteral("用户修改"))) return;
    if (selected_meter_id(QStringLiteral("请选择待修改的记录！")) == 0) return;
    meter_form_mode = QStringLiteral("修改");
    MeterInfoWindow form(this, window());
    platform::window_open_modal(&form);
}

void MeterListPage::on_main_meter_delete_click() {
    if (!shell::require_permission(QStringLiteral("用户删除"))) return;
    const qint64 id = selected_meter_id(QStringLiteral("请选择待删除的记录！"));
    if (id == 0) return;
    if (!ask(QStringLiteral("确定要删除编号【") + QString::number(id) + QStringLiteral("】吗？"),
             QStringLiteral("提示删除")))
        return;
    // The list is refreshed by the next query.
    platform::show_messages(delete_meter_account(store::main_connection(), id));
}

void MeterListPage::show_move(const ReadingOrderOutcome& outcome) {
    platform::show_messages(outcome.messages);
    if (!outcome.moved) return;
    if (ask(outcome.refill_question, QStringLiteral("提示"))) refill_reader(outcome.reader);
    inform(outcome.done_message);
}

void MeterListPage::move_by_one(Move direction) {
    if (!shell::require_permission(QStringLiteral("用户排序"))) return;
    const qint64 id = selected_meter_id(QStringLiteral("请选择待移动的记录！"));
    if (id == 0) return;
    show_move(move_meter_one_place(store::main_connection(), id,
                                   direction == Move::Up ? OneStep::Up : OneStep::Down));
}

void MeterListPage::on_main_meter_move_up_click() { move_by_one(Move::Up); }

void MeterListPage::on_main_meter_move_down_click() { move_by_one(Move::Down); }

void MeterListPage::on_main_meter_move_to_click() {
    if (!shell::require_permission(QStringLiteral("用户排序"))) return;
    const qint64 id = selected_meter_id(QStringLiteral("请选择待移动的记录！"));
    if (id == 0) return;
    QString answer;
    if (!platform::input_box(QStringLiteral("请输入新序号："), QStringLiteral("排序设置"),
                             QString(), &answer, window()) ||
        answer.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ReadingOrderOutcome outcome = move_meter_to_place(store::main_connection(), id, answer);
    QApplication::restoreOverrideCursor();
    show_move(outcome);
}

void MeterListPage::refill_reader(const QString& reader) {
    fill_meter_list(meter_list_base_query() + QStringLiteral("and 用户表管理.抄表人员=") +
                    platform::sql_quote(reader) + QStringLiteral(" ORDER BY 用户表管理.抄表序号"));
}

void MeterListPage::on_main_meter_batch_sort_import_click() {
    households::on_main_meter_batch_sort_import_click(window());
}

void on_main_nav_household_meters_click(shell::MainWindow& window, MeterListPage& page) {
    if (!shell::require_permission(QStringLiteral("用户表管理"))) return;
    page.open_meter_page();
    window.select_content_page(shell::kPageMeters);
}

}  // namespace households
