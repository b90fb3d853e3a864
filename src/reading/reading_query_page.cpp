#include "reading/reading_query_page.h"

#include <QPushButton>
#include <QTableView>

#include "lists/list_columns.h"
#include "lists/progress_window.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "platform/query.h"
#include "reading/reading_edit.h"
#include "reading/reading_edit_window.h"
#include "reading/reading_query.h"
#include "reading/reading_query_window.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "shell/session.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_reading_query_page.h"

namespace reading {

namespace {

using platform::inform;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

}  // namespace

void fill_reading_query_list(QTableView* list, const QString& statement, int kind,
                             QWidget* window) {
    shell::reading_query_kind = kind == 1 ? kReadQueryKind : kUnreadQueryKind;
    QList<QStringList> rows;
    {
        // The records are read before the list fills: the window shows from the start.
        lists::ProgressScope progress(window);
        rows = reading_query_rows(store::main_connection(), statement, kind, progress.callback());
    }
    lists::ListBuilder build(list, shell::reading_query_kind, window);
    build.show_progress(static_cast<int>(rows.size()) - 1);
    build.reserve_rows(static_cast<int>(rows.size()));
    for (qsizetype i = 0; i + 1 < rows.size(); ++i) build.append_row(rows[i]);
    build.colour_row(build.append_row(rows.back()));
    build.finish();
    list->setFocus();
}

ReadingQueryPage::ReadingQueryPage(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::ReadingQueryPage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->抄表查询列表框);
    connect(ui->抄表_查询, &QPushButton::clicked, this, [this] { on_main_reading_query_click(); });
    connect(ui->抄表_磁卡号码, &QPushButton::clicked, this,
            [this] { on_main_reading_query_by_card_click(); });
    connect(ui->抄表_按户号查询, &QPushButton::clicked, this,
            [this] { on_main_reading_query_by_household_click(); });
    connect(ui->抄表_修改, &QPushButton::clicked, this, [this] { on_main_reading_edit_click(); });
    connect(ui->抄表_删除, &QPushButton::clicked, this, [this] { on_main_reading_delete_click(); });
}

ReadingQueryPage::~ReadingQueryPage() = default;

QTableView* ReadingQueryPage::query_list() const { return ui->抄表查询列表框; }

void ReadingQueryPage::on_main_reading_query_click() {
    if (!shell::require_permission(QStringLiteral("抄表查询"))) return;
    ReadingQueryWindow query(ui->抄表查询列表框, window());
    platform::window_open_modal(&query);
}

void ReadingQueryPage::on_main_reading_query_by_card_click() {
    if (!shell::require_permission(QStringLiteral("抄表查询"))) return;
    QString entry;
    // Only an empty entry ends it; blanks are trimmed into the condition.
    if (!platform::input_box(QStringLiteral("请输入待查询的磁卡号码："), platform::kDefaultCaption,
                             QString(), &entry, window()) ||
        entry.isEmpty())
        return;
    fill_reading_query_list(ui->抄表查询列表框,
                            read_readings_statement(card_number_condition(entry)), 1, window());
}

void ReadingQueryPage::on_main_reading_query_by_household_click() {
    if (!shell::require_permission(QStringLiteral("抄表查询"))) return;
    QString entry;
    if (!platform::input_box(QStringLiteral("请输入待查询的户号："), platform::kDefaultCaption,
                             shell::system_parameters.household_number_prefix, &entry, window()) ||
        platform::text_trim(entry).isEmpty())
        return;
    fill_reading_query_list(ui->抄表查询列表框, read_readings_statement(household_condition(entry)),
                            1, window());
}

qint64 ReadingQueryPage::selected_reading_id() {
    QTableView* list = ui->抄表查询列表框;
    const int column = platform::listview_column_index(list, QStringLiteral("编号"));
    const int row = platform::listview_selected_row(list);
    const QString cell =
        column < 0 || row < 0 ? QString() : platform::listview_cell_text(list, row, column);
    if (cell.isEmpty() || cell == QStringLiteral("合计")) {
        inform(QStringLiteral("请选择待修改的记录！"));
        return -1;
    }
    return static_cast<qint64>(platform::to_number(cell));
}

void ReadingQueryPage::on_main_reading_edit_click() {
    if (!shell::require_permission(QStringLiteral("抄表修改"))) return;
    if (shell::reading_query_kind == kUnreadQueryKind) {
        inform(QStringLiteral("只能修改已抄表记录!"));
        return;
    }
    if (platform::listview_column_index(ui->抄表查询列表框, QStringLiteral("编号")) < 0) {
        inform(QStringLiteral("请在查询列在设置显示编号列!"));
        return;
    }
    const qint64 id = selected_reading_id();
    if (id < 0) return;
    const QString refusal = reading_edit_refusal(store::main_connection(), id);
    if (!refusal.isEmpty()) {
        inform(refusal);
        return;
    }
    ReadingEditWindow edit(id, window());
    platform::window_open_modal(&edit);
}

void ReadingQueryPage::on_main_reading_delete_click() {
    if (!shell::require_permission(QStringLiteral("抄表删除"))) return;
    if (shell::reading_query_kind == kUnreadQueryKind) {
        inform(QStringLiteral("只能删除已抄表记录!"));
        return;
    }
    const qint64 id = selected_reading_id();
    if (id < 0) return;
    platform::Connection& db = store::main_connection();
    const DeleteTarget target = reading_delete_target(db, id);
    if (reading_is_paid(db, id)) {
        inform(QStringLiteral("该条抄表记录已经收费不能删除！"));
        return;
    }
    platform::beep();
    if (platform::message_box(QStringLiteral("确定要删除抄表编号【") + QString::number(id) +
                                  QStringLiteral("】户号【") + target.meter +
                                  QStringLiteral("】用户姓名【") + target.name +
                                  QStringLiteral("】的抄表记录吗？"),
                              QStringLiteral("提示删除"), MsgIcon::Question, MsgButtons::YesNo,
                              window()) != MsgResult::Yes)
        return;
    const EditOutcome outcome =
        delete_reading(db, id, target.bill_number, shell::program_context());
    if (outcome.refused) {
        inform(outcome.message);
        return;
    }
    if (!outcome.ok) {
        inform(outcome.message, QStringLiteral("删除失败"));
        return;
    }
    if (outcome.log_failed) inform(QStringLiteral("添加日志失败！"));
    inform(outcome.message, QStringLiteral("删除成功"));
}

void on_main_nav_reading_query_click(shell::MainWindow& window, ReadingQueryPage& page) {
    if (!shell::require_permission(QStringLiteral("抄表查询"))) return;
    window.select_content_page(shell::kPageReadingQuery);
    page.form()->抄表_查询->setFocus();
    QTableView* list = page.query_list();
    platform::listview_clear_cell_colours(list);
    platform::listview_clear_rows(list);
    platform::listview_clear_columns(list);
    shell::reading_query_kind = kReadQueryKind;
    const QList<QStringList> columns = platform::query_rows(
        store::main_connection(),
        QStringLiteral("select 列名,列宽 from 查询列 where 显示='真' and 类名='已抄表查询' ORDER  BY 排序"));
    for (const QStringList& c : columns)
        platform::listview_insert_column(list, c.value(0), static_cast<int>(platform::to_number(c.value(1))));
}

}  // namespace reading
