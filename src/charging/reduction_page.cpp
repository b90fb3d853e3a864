#include "charging/reduction_page.h"

#include <QPushButton>
#include <QTableView>

#include "charging/reduction_details.h"
#include "charging/reduction_settings.h"
#include "charging/reduction_windows.h"
#include "lists/list_columns.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "shell/session.h"
#include "store/main_database.h"
#include "tariffs/reductions.h"
#include "ui_reduction_page.h"

namespace charging {

namespace {

using platform::inform;

void fill(QTableView* list, const QString& kind, const ReductionList& rows) {
    lists::ListBuilder build(list, kind, list->window());
    build.reserve_rows(static_cast<int>(rows.rows.size()) + 1);
    for (const QStringList& row : rows.rows) build.append_row(row);
    build.colour_row(build.append_row(rows.totals));
    build.finish();
    shell::reduction_list_kind = kind;
    list->setFocus();
}

bool ask_delete(const QString& question, QWidget* parent) {
    return platform::message_box(question, QStringLiteral("提示删除"), platform::MsgIcon::Question,
                                 platform::MsgButtons::YesNo, parent) == platform::MsgResult::Yes;
}

}  // namespace

ReductionPage::ReductionPage(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::ReductionPage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->减免管理__列表框);
    connect(ui->减免管理__减免查询, &QPushButton::clicked, this,
            [this] { on_reduction_query_click(); });
    connect(ui->减免管理_添加, &QPushButton::clicked, this, [this] { on_reduction_add_click(); });
    connect(ui->减免管理__减免修改, &QPushButton::clicked, this,
            [this] { on_reduction_edit_click(); });
    connect(ui->减免管理__列表框, &QTableView::doubleClicked, this,
            [this] { on_reduction_edit_click(); });
    connect(ui->减免管理__执行减免, &QPushButton::clicked, this,
            [this] { on_reduction_apply_click(); });
    connect(ui->减免管理_减免明细, &QPushButton::clicked, this,
            [this] { on_reduction_details_click(); });
    connect(ui->减免管理_删除, &QPushButton::clicked, this,
            [this] { on_reduction_delete_click(); });
}

ReductionPage::~ReductionPage() = default;

QTableView* ReductionPage::reduction_list() const { return ui->减免管理__列表框; }

void ReductionPage::fill_reduction_settings_list() {
    fill(ui->减免管理__列表框, kReductionSettingsKind,
         read_reduction_settings_list(store::main_connection()));
}

void ReductionPage::fill_reduction_details_list(const QString& sql) {
    fill(ui->减免管理__列表框, kReductionDetailsKind,
         read_reduction_details_list(store::main_connection(), sql));
}

void ReductionPage::on_reduction_query_click() {
    if (!shell::require_permission(QStringLiteral("减免查询"))) return;
    fill_reduction_settings_list();
}

void ReductionPage::on_reduction_add_click() {
    if (!shell::require_permission(QStringLiteral("减免添加"))) return;
    edited_reduction_household.clear();
    ReductionSettingsWindow window(this, this->window());
    platform::window_open_modal(&window);
}

QString ReductionPage::selected_key(const QString& key, const QString& nothing_selected) {
    QTableView* list = ui->减免管理__列表框;
    int column = platform::listview_column_index(list, key);
    if (column < 0) column = 0;
    if (platform::listview_column_title(list, column) != key) {
        inform(QStringLiteral("请在查询列在设置显示户号列!"));
        return {};
    }
    const int row = platform::listview_selected_row(list);
    const QString cell = row < 0 ? QString() : platform::listview_cell_text(list, row, column);
    // Neither totals row names a record.
    if (cell.isEmpty() || cell == kSettingsTotalsCell || cell == kDetailsTotalsCell) {
        inform(nothing_selected);
        return {};
    }
    return cell;
}

void ReductionPage::on_reduction_edit_click() {
    if (!shell::require_permission(QStringLiteral("减免修改"))) return;
    if (shell::reduction_list_kind != kReductionSettingsKind) {
        inform(QStringLiteral("只能修改减免设置!"));
        return;
    }
    const QString household =
        selected_key(QStringLiteral("户号"), QStringLiteral("请选择待修改的记录！"));
    if (household.isEmpty()) return;
    edited_reduction_household = household;
    ReductionSettingsWindow window(this, this->window());
    platform::window_open_modal(&window);
}

void ReductionPage::on_reduction_apply_click() {
    if (!shell::require_permission(QStringLiteral("执行减免"))) return;
    const tariffs::ReductionRunOutcome run =
        tariffs::apply_all_reductions(store::main_connection(), platform::today());
    // A run with failures is not reported as a success.
    for (const tariffs::Message& message : run.messages)
        platform::message_box(
            message.text, message.caption,
            message.plain ? platform::MsgIcon::None : platform::MsgIcon::Information,
            platform::MsgButtons::Ok, this);
    if (run.messages.empty()) inform(QStringLiteral("执行成功！"));
}

void ReductionPage::on_reduction_details_click() {
    if (!shell::require_permission(QStringLiteral("减免明细"))) return;
    ReductionQueryWindow window(this, this->window());
    platform::window_open_modal(&window);
}

void ReductionPage::on_reduction_delete_click() {
    if (!shell::require_permission(QStringLiteral("减免删除"))) return;
    const bool settings = shell::reduction_list_kind == kReductionSettingsKind;
    const QString key = selected_key(settings ? QStringLiteral("户号") : QStringLiteral("编号"),
                                     QStringLiteral("请选择待删除的记录！"));
    if (key.isEmpty()) return;
    if (settings)
        delete_setting(key);
    else
        delete_record(key);
}

void ReductionPage::delete_setting(const QString& household) {
    if (!ask_delete(reduction_setting_delete_question(household), this)) return;
    const ReductionOutcome outcome =
        delete_reduction_setting(store::main_connection(), household, shell::program_context());
    platform::show_messages(outcome.messages, this);
    if (outcome.done) fill_reduction_settings_list();
}

void ReductionPage::delete_record(const QString& number_text) {
    bool whole = false;
    const qint64 number = number_text.trimmed().toLongLong(&whole);
    if (!whole) {
        inform(QStringLiteral("请选择待删除的记录！"));
        return;
    }
    const ReductionOutcome check = check_reduction_record_delete(store::main_connection(), number);
    if (!check.done) {
        platform::show_messages(check.messages, this);
        return;
    }
    if (!ask_delete(reduction_record_delete_question(number), this)) return;
    // The list stays as it is; the deleted record's row goes at the next query.
    platform::show_messages(
        delete_reduction_record(store::main_connection(), number, shell::program_context())
            .messages,
        this);
}

void on_main_menu_reductions_click(shell::MainWindow& window, ReductionPage& page) {
    window.select_content_page(shell::kPageReductions);
    page.fill_reduction_settings_list();
}

}  // namespace charging
