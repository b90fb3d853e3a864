#include "charging/prepayment_page.h"

#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTableView>

#include "charging/charging_hooks.h"
#include "charging/list_page.h"
#include "charging/prepayment_entry_window.h"
#include "charging/prepayment_queries.h"
#include "charging/prepayment_query_window.h"
#include "charging/prepayments.h"
#include "lists/list_colours.h"
#include "lists/list_columns.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "platform/query.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "shell/permissions.h"
#include "shell/session.h"
#include "store/main_database.h"
#include "tariffs/bills.h"
#include "ui_prepayment_page.h"

namespace charging {

namespace {

QPointer<PrepaymentPage> g_page;

using platform::inform;

}  // namespace

PrepaymentPage* prepayment_page() { return g_page.data(); }
void set_prepayment_page(PrepaymentPage* page) { g_page = page; }

void fill_prepayment_list(QTableView* list, const QString& statement, QWidget* window) {
    if (!list) return;
    lists::refresh_list_colours(window, list, true);
    ListFill fill(list, kPrepayColumnClass, window);
    const PrepaymentListSummary summary = read_prepayment_rows(
        store::main_connection(), statement, fill.start(), fill.row<kPrepayListCells>());
    fill.finish(prepayment_totals_row(summary.total));
}

PrepaymentPage::PrepaymentPage(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::PrepaymentPage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->预存明细_列表框);
    ui->预存明细_列表框->setContextMenuPolicy(Qt::CustomContextMenu);
    on_click(ui->预存明细_查询, this, &PrepaymentPage::on_main_prepay_query_click);
    on_click(ui->预存明细_按磁卡号, this, &PrepaymentPage::on_main_prepay_by_card_click);
    on_click(ui->预存明细_按发票号, this, &PrepaymentPage::on_main_prepay_by_invoice_click);
    on_click(ui->预存明细_修改, this, &PrepaymentPage::on_main_prepay_edit_click);
    on_click(ui->预存明细_删除, this, &PrepaymentPage::on_main_prepay_void_click);
    connect(ui->预存明细_列表框, &QTableView::doubleClicked, this,
            [this] { on_main_prepay_list_double_click(); });
    connect(ui->预存明细_列表框, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) {
                on_main_prepay_list_right_click(ui->预存明细_列表框->viewport()->mapToGlobal(at));
            });
}

PrepaymentPage::~PrepaymentPage() = default;

QTableView* PrepaymentPage::prepay_list() const { return ui->预存明细_列表框; }

QString PrepaymentPage::selected_cell(int column) const {
    const int row = platform::listview_selected_row(ui->预存明细_列表框);
    if (row < 0 || column < 0) return {};
    return platform::listview_cell_text(ui->预存明细_列表框, row, column);
}

QString PrepaymentPage::receipt_cell() const {
    return selected_cell(platform::listview_column_index(ui->预存明细_列表框, kReceiptColumnTitle));
}

QString PrepaymentPage::chosen_receipt_cell(const QString& nothing_selected) const {
    const QString cell = receipt_cell();
    if (!row_chosen(!cell.isEmpty(), is_receipt_cell(cell), nothing_selected,
                    QStringLiteral("请在列设置中选择显示收据号列！")))
        return {};
    return cell;
}

void PrepaymentPage::on_main_prepay_query_click() {
    PrepaymentQueryWindow query(ui->预存明细_列表框, window());
    platform::window_open_modal(&query);
}

void PrepaymentPage::quick_query(const QString& prompt, const QString& caption, bool by_card) {
    const QString answer = ask_entry(prompt, caption, QString(), window());
    if (answer.isEmpty()) return;
    WaitCursor wait;
    fill_prepayment_list(
        ui->预存明细_列表框,
        by_card ? prepayments_by_card_statement(answer) : prepayments_by_invoice_statement(answer),
        window());
}

void PrepaymentPage::on_main_prepay_by_card_click() {
    quick_query(QStringLiteral("请输入待查询的磁卡号码："),
                QStringLiteral("扣款明细查询--按磁卡号码"), true);
}

void PrepaymentPage::on_main_prepay_by_invoice_click() {
    quick_query(QStringLiteral("请输入待查询的发票号："), QStringLiteral("扣款明细查询--按发票号"),
                false);
}

void PrepaymentPage::open_entry_window() {
    prepayment_entry_mode = kPrepaymentModify;
    PrepaymentEntryWindow entry(ui->预存明细_列表框, window());
    if (entry.opened()) platform::window_open_modal(&entry);
}

void PrepaymentPage::on_main_prepay_edit_click() {
    if (!shell::require_permission(QStringLiteral("预存修改"))) return;
    const QString cell = chosen_receipt_cell(QStringLiteral("请选择待修改的记录！"));
    if (cell.isEmpty()) return;
    const QString refusal =
        prepayment_owner_refusal(store::main_connection(), tariffs::serial_from_display_text(cell),
                                 shell::current_operator, RowAction::Modify);
    if (!refusal.isEmpty()) {
        inform(refusal);
        return;
    }
    open_entry_window();
}

void PrepaymentPage::on_main_prepay_list_double_click() {
    if (selected_cell(0).isEmpty()) return;
    if (shell::current_operator != shell::kAdministrator) {
        inform(QStringLiteral("您不是管理员不能操作!"));
        return;
    }
    open_entry_window();
}

void PrepaymentPage::on_main_prepay_void_click() {
    if (selected_cell(1).isEmpty()) {
        inform(QStringLiteral("请选择待作废的预存记录！"));
        return;
    }
    if (!shell::require_permission(QStringLiteral("预存作废"))) return;
    const QString cell = chosen_receipt_cell(QStringLiteral("请选择待作废的记录！"));
    if (cell.isEmpty()) return;
    const qint64 receipt = tariffs::serial_from_display_text(cell);
    const QString refusal = prepayment_owner_refusal(store::main_connection(), receipt,
                                                     shell::current_operator, RowAction::Void);
    if (!refusal.isEmpty()) {
        inform(refusal);
        return;
    }
    platform::beep();
    if (platform::message_box(prepayment_void_question(cell), kPrepaymentVoidCaption,
                              platform::MsgIcon::Question, platform::MsgButtons::YesNo,
                              window()) != platform::MsgResult::Yes)
        return;
    const PrepaymentVoidOutcome outcome =
        void_prepayment(store::main_connection(), receipt, cell, shell::program_context());
    platform::beep();
    show_boxes(outcome.messages, window());
}

void PrepaymentPage::on_main_prepay_reprint_click() {
    if (!shell::require_permission(QStringLiteral("流水号重打"))) return;
    const QString cell = chosen_receipt_cell(QStringLiteral("请选择待修改的记录！"));
    if (cell.isEmpty()) return;
    print_prepay_receipts(tariffs::serial_from_display_text(cell), 1);
}

bool PrepaymentPage::on_main_prepay_list_right_click(const QPoint& global_position) {
    const QString first = selected_cell(0);
    if (first.isEmpty() || first == kTotalsCell) return false;
    shell::MainWindow* main = shell::main_window();
    if (!main || !main->prepay_query_menu()) return false;
    main->prepay_query_menu()->popup(global_position);
    return true;
}

void on_main_nav_add_prepayment_click(shell::MainWindow* window) {
    if (!shell::require_permission(QStringLiteral("预存添加"))) return;
    if (window) window->select_content_page(shell::kPageWelcome);
    prepayment_entry_mode = 0;
    PrepaymentPage* page = prepayment_page();
    PrepaymentEntryWindow entry(page ? page->prepay_list() : nullptr, window);
    if (entry.opened()) platform::window_open_modal(&entry);
}

void on_main_nav_prepay_query_click(shell::MainWindow* window, PrepaymentPage& page) {
    open_list_page(
        window, shell::kPagePrepayments, page.prepay_list(),
        QStringLiteral("select 列名,列宽 from 查询列 where 显示='真' and 类名='预存明细'"),
        page.form()->预存明细_查询);
}

}  // namespace charging
