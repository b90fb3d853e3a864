#include "charging/charge_query_page.h"

#include <QMenu>
#include <QPushButton>
#include <QTableView>

#include "charging/charge_queries.h"
#include "charging/charge_query_window.h"
#include "charging/charge_record_edit_window.h"
#include "charging/list_page.h"
#include "charging/payment_changes.h"
#include "charging/receipt_reprint.h"
#include "lists/list_columns.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "platform/query.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "shell/session.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "tariffs/bills.h"
#include "ui_charge_query_page.h"

namespace charging {

namespace {

using platform::inform;

// Writes a list's rows straight into the page's list as the core hands them over.
class BuilderSink : public ListRowSink {
public:
    explicit BuilderSink(lists::ListBuilder& build) : build_(build) {}
    void begin(int rows) override {
        build_.show_progress(rows - 1);
        build_.reserve_rows(rows);
    }
    int add_row() override { return build_.append_empty_row(); }
    void put(int row, int column, std::string_view utf8) override {
        build_.put_utf8(row, column, utf8);
    }

private:
    lists::ListBuilder& build_;
};

// The statement the list was last filled by, so that a void can show it again.
const char kShownStatement[] = "shown_charge_statement";

void fill_rows(QTableView* list, const QString& column_class,
               int (*write)(platform::Connection&, const QString&, ListRowSink&),
               const QString& statement, QWidget* window) {
    list->setProperty(kShownStatement, statement);
    lists::ListBuilder build(list, column_class, window);
    BuilderSink sink(build);
    build.colour_row(write(store::main_connection(), statement, sink));
    build.finish();
    list->setFocus();
}

// A quick look-up: the right to query, then its entry, trimmed; empty when refused, cancelled
// or left blank.
QString look_up(const QString& prompt, const QString& caption, const QString& initial,
                QWidget* parent) {
    if (!shell::require_permission(QStringLiteral("收费查询"))) return {};
    return platform::text_trim(ask_entry(prompt, caption, initial, parent));
}

void show_paid(QTableView* list, const QString& statement, QWidget* window) {
    WaitCursor wait;
    fill_paid_charge_list(list, statement, window);
}

}  // namespace

void fill_paid_charge_list(QTableView* list, const QString& statement, QWidget* window) {
    shell::charge_query_kind = kPaidChargeKind;
    fill_rows(list, kPaidChargeClass, write_paid_charge_rows, statement, window);
}

void fill_unpaid_charge_list(QTableView* list, const QString& statement, QWidget* window) {
    shell::charge_query_kind = kUnpaidChargeKind;
    fill_rows(list, kUnpaidChargeClass, write_unpaid_charge_rows, statement, window);
}

void build_unpaid_charge_table(QTableView* list, const QString& arrears_statement,
                               QWidget* window) {
    const platform::Messages failures = charging::build_unpaid_charge_table(
        store::main_connection(), shell::current_operator, arrears_statement);
    platform::show_messages(failures, window);
    fill_unpaid_charge_list(list, unpaid_list_statement(shell::current_operator), window);
}

QString selected_serial_cell(QTableView* list) {
    int column = platform::listview_column_index(list, kSerialColumnTitle);
    if (column < 0) column = 0;
    const int row = platform::listview_selected_row(list);
    if (row < 0 || column >= platform::listview_column_count(list)) return {};
    return platform::listview_cell_text(list, row, column);
}

ChargeQueryPage::ChargeQueryPage(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::ChargeQueryPage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->收费查询列表框);
    on_click(ui->收费_查询, this, &ChargeQueryPage::on_main_charge_query_click);
    on_click(ui->收费_按户号, this, &ChargeQueryPage::on_main_charge_by_household_click);
    on_click(ui->收费_按磁卡号, this, &ChargeQueryPage::on_main_charge_by_card_click);
    on_click(ui->收费_按发票号, this, &ChargeQueryPage::on_main_charge_by_invoice_click);
    on_click(ui->收费_按收据号, this, &ChargeQueryPage::on_main_charge_by_serial_click);
    on_click(ui->收费_修改, this, &ChargeQueryPage::on_main_charge_edit_click);
    on_click(ui->收费_作废, this, &ChargeQueryPage::on_main_charge_void_click);
    connect(ui->收费查询列表框, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { on_main_charge_list_right_click(position); });
}

ChargeQueryPage::~ChargeQueryPage() = default;

QTableView* ChargeQueryPage::query_list() const { return ui->收费查询列表框; }

bool ChargeQueryPage::popup_allowed() const {
    QTableView* list = ui->收费查询列表框;
    const int row = platform::listview_selected_row(list);
    if (row < 0 || platform::listview_column_count(list) == 0) return false;
    const QString first = platform::listview_cell_text(list, row, 0);
    return !first.isEmpty() && first != QStringLiteral("合计");
}

void ChargeQueryPage::on_main_charge_list_right_click(const QPoint& position) {
    QTableView* list = ui->收费查询列表框;
    const QModelIndex item = list->indexAt(position);
    if (!item.isValid()) return;
    platform::listview_select_row(list, item.row());
    if (!popup_ || !popup_allowed()) return;
    popup_->popup(list->viewport()->mapToGlobal(position));
}

void ChargeQueryPage::on_main_charge_query_click() {
    if (!shell::require_permission(QStringLiteral("收费查询"))) return;
    ChargeQueryWindow query(ui->收费查询列表框, window());
    platform::window_open_modal(&query);
}

void ChargeQueryPage::on_main_charge_by_household_click() {
    const QString household =
        look_up(QStringLiteral("请输入待查询的户号："), QStringLiteral("已收费查询--按户号"),
                shell::system_parameters.household_number_prefix, window());
    if (!household.isEmpty())
        show_paid(ui->收费查询列表框, household_paid_statement(household), window());
}

void ChargeQueryPage::on_main_charge_by_card_click() {
    const QString card = look_up(QStringLiteral("请输入待查询的磁卡号码："),
                                 QStringLiteral("已收费查询--按磁卡号码"), QString(), window());
    if (!card.isEmpty()) show_paid(ui->收费查询列表框, card_paid_statement(card), window());
}

void ChargeQueryPage::on_main_charge_by_invoice_click() {
    const QString invoice = look_up(QStringLiteral("请输入待查询的发票号："),
                                    QStringLiteral("已收费查询--按发票号"), QString(), window());
    if (invoice.isEmpty()) return;
    if (!platform::query_exists(store::main_connection(), invoice_lookup_statement(invoice),
                                platform::OnFailure::Quiet)) {
        inform(QStringLiteral("无效发票号!"));
        return;
    }
    show_paid(ui->收费查询列表框, invoice_paid_statement(invoice), window());
}

void ChargeQueryPage::on_main_charge_by_serial_click() {
    const QString entry =
        look_up(QStringLiteral("请输入待查询的流水号："), QStringLiteral("已收费查询--按流水号"),
                QStringLiteral("№"), window());
    if (entry.isEmpty()) return;
    const qint64 serial = paid_serial_from_text(store::main_connection(), entry);
    if (serial == 0) {
        inform(QStringLiteral("无效收据号!"));
        return;
    }
    show_paid(ui->收费查询列表框, serial_paid_statement(serial), window());
}

void ChargeQueryPage::on_main_charge_void_click() {
    if (!shell::require_permission(QStringLiteral("收费作废"))) return;
    const QString cell = selected_serial_cell(ui->收费查询列表框);
    const SelectedSerial selected = selected_serial(cell);
    if (!row_chosen(selected.state != SelectedSerial::State::Empty,
                    selected.state != SelectedSerial::State::NotSerial,
                    QStringLiteral("请选择待作废的记录！"),
                    QStringLiteral("请在列设置中选择显示系统流水列！")))
        return;
    platform::Connection& db = store::main_connection();
    const QString refusal = void_refusal(db, selected.serial, shell::current_operator);
    if (!refusal.isEmpty()) {
        inform(refusal);
        return;
    }
    platform::beep();
    if (platform::message_box(void_question(cell), QStringLiteral("警告"),
                              platform::MsgIcon::Question, platform::MsgButtons::OkCancel,
                              window()) != platform::MsgResult::Ok)
        return;
    const VoidOutcome out = void_payment(db, selected.serial, shell::program_context());
    platform::show_messages(out.messages, window());
    if (!out.done) return;
    // The list shows the bills as they are now, not as paid.
    QTableView* list = ui->收费查询列表框;
    const QString statement = list->property(kShownStatement).toString();
    if (statement.isEmpty()) return;
    if (shell::charge_query_kind == kUnpaidChargeKind)
        fill_unpaid_charge_list(list, statement, window());
    else
        fill_paid_charge_list(list, statement, window());
}

void ChargeQueryPage::on_main_charge_edit_click() {
    if (!shell::require_permission(QStringLiteral("收费修改"))) return;
    if (shell::charge_query_kind == kUnpaidChargeKind) {
        inform(QStringLiteral("只能修改已收费的记录!"));
        return;
    }
    const SelectedSerial selected = selected_serial(selected_serial_cell(ui->收费查询列表框));
    if (!row_chosen(selected.state != SelectedSerial::State::Empty,
                    selected.state != SelectedSerial::State::NotSerial,
                    QStringLiteral("请选择待修改的记录！"),
                    QStringLiteral("请在列设置中选择显示收据号列！")))
        return;
    const QString refusal =
        edit_refusal(store::main_connection(), selected.serial, shell::current_operator);
    if (!refusal.isEmpty()) {
        inform(refusal);
        return;
    }
    ChargeRecordEditWindow edit(selected.serial, window());
    platform::window_open_modal(&edit);
}

void ChargeQueryPage::on_main_charge_reprint_click() {
    if (!shell::require_permission(QStringLiteral("流水号重打"))) return;
    const QString cell = selected_serial_cell(ui->收费查询列表框);
    const SelectedSerial selected = selected_serial(cell);
    if (!row_chosen(selected.state != SelectedSerial::State::Empty,
                    selected.state != SelectedSerial::State::NotSerial,
                    QStringLiteral("请选择待修改的记录！"),
                    QStringLiteral("请在列设置中选择显示系统流水列！")))
        return;
    platform::show_messages(reprint_payment_receipt(store::main_connection(), selected.serial, cell,
                                                    shell::program_context()),
                            window());
}

void on_main_nav_charge_query_click(shell::MainWindow& window, ChargeQueryPage& page) {
    shell::charge_query_kind = kPaidChargeKind;
    open_list_page(
        &window, shell::kPageChargeQuery, page.query_list(),
        QStringLiteral(
            "select 列名,列宽 from 查询列 where 显示='真' and 类名='收费查询' order by 排序"),
        page.form()->收费_查询, platform::OnFailure::Quiet);
}

}  // namespace charging
