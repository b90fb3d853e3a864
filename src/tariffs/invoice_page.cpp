#include "tariffs/invoice_page.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "lists/list_columns.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "platform/query.h"
#include "shell/permission_prompts.h"
#include "shell/session.h"
#include "store/main_database.h"
#include "tariffs/invoices.h"
#include "tariffs/maintenance_window.h"
#include "ui_invoice_info_window.h"
#include "ui_invoice_page.h"

namespace tariffs {

InvoicePage::InvoicePage(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::InvoicePage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->列表框_发票设置);
    connect(ui->发票管理_添加, &QPushButton::clicked, this, [this] { on_invoice_add_click(); });
    connect(ui->发票管理_删除, &QPushButton::clicked, this, [this] { on_invoice_delete_click(); });
}

InvoicePage::~InvoicePage() = default;

QTableView* InvoicePage::invoice_list() const { return ui->列表框_发票设置; }

void InvoicePage::fill_invoice_list() {
    lists::ListBuilder build(ui->列表框_发票设置, kInvoiceColumnClass);
    refresh_current_invoice_number_showing_failures(this);
    platform::RecordSet r;
    if (platform::query_open(r, store::main_connection(), QStringLiteral("select * from 发票设置 ORDER  BY 编号"))) {
        using platform::recordset_field_text;
        for (; !platform::recordset_eof(r); platform::recordset_move_next(r)) {
            build.append_row({recordset_field_text(r, QStringLiteral("编号")),
                              platform::to_text(platform::recordset_field_date(r, QStringLiteral("领取时间"))),
                              recordset_field_text(r, QStringLiteral("发票代码")),
                              recordset_field_text(r, QStringLiteral("发票起号")),
                              recordset_field_text(r, QStringLiteral("发票止号")),
                              recordset_field_text(r, QStringLiteral("发票类型")),
                              platform::format_number(platform::recordset_field_number(r, QStringLiteral("总开票金额")), 2),
                              recordset_field_text(r, QStringLiteral("总张数")),
                              recordset_field_text(r, QStringLiteral("已使用")),
                              recordset_field_text(r, QStringLiteral("作废")),
                              recordset_field_text(r, QStringLiteral("当前发票号")),
                              recordset_field_text(r, QStringLiteral("收费人员"))});
        }
    }
    build.finish();
    ui->列表框_发票设置->setFocus();
}

void InvoicePage::on_invoice_add_click() {
    InvoiceInfoWindow window(this, this);
    platform::window_open_modal(&window);
}

void InvoicePage::on_invoice_delete_click() {
    QTableView* list = ui->列表框_发票设置;
    const int row = platform::listview_selected_row(list);
    const int column = platform::listview_column_index(list, QStringLiteral("编号"));
    const QString number = row >= 0 ? platform::listview_cell_text(list, row, column < 0 ? 0 : column) : QString();
    const QString refusal = invoice_delete_refusal(store::main_connection(), number, shell::current_operator);
    if (!refusal.isEmpty()) {
        platform::inform(refusal);
        return;
    }
    if (!ask(invoice_delete_question(number), this)) return;
    const Outcome outcome =
        delete_invoice_book(store::main_connection(), number, shell::program_context());
    show_outcome(outcome, this);
    if (outcome.done) fill_invoice_list();
}

InvoiceInfoWindow::InvoiceInfoWindow(QWidget* parent, InvoicePage* page)
    : QDialog(parent), ui(std::make_unique<Ui::InvoiceInfoWindow>()), page_(page) {
    ui->setupUi(this);
    ui->日期框_收费日期->setDate(platform::today());
    connect(ui->添加, &QPushButton::clicked, this, [this] { on_invoice_save_click(); });
    connect(ui->按钮2, &QPushButton::clicked, this, [this] { on_invoice_close_click(); });
    const QStringList collectors = invoice_collectors(store::main_connection(), shell::current_operator);
    set_combo_items(ui->选择框_收费人员, collectors);
    if (shell::current_operator != shell::kAdministrator) ui->选择框_收费人员->setCurrentIndex(0);
    ui->编辑框_发票起号->setFocus();
}

InvoiceInfoWindow::~InvoiceInfoWindow() = default;

void InvoiceInfoWindow::on_invoice_save_click() {
    InvoiceBook book;
    book.received = ui->日期框_收费日期->date();
    book.code = ui->编辑框_发票代码->text();
    book.first = ui->编辑框_发票起号->text();
    book.last = ui->编辑框_发票止号->text();
    book.type = ui->编辑框_发票类型->text();
    book.collector = ui->选择框_收费人员->currentText();
    const Outcome outcome =
        add_invoice_book(store::main_connection(), book, shell::program_context());
    show_outcome(outcome, this);
    if (!outcome.done) {
        QWidget* box = nullptr;
        switch (outcome.focus) {
            case Field::Code: box = ui->编辑框_发票代码; break;
            case Field::First: box = ui->编辑框_发票起号; break;
            case Field::Last: box = ui->编辑框_发票止号; break;
            case Field::Type: box = ui->编辑框_发票类型; break;
            case Field::Collector: box = ui->选择框_收费人员; break;
            default: break;
        }
        focus_box(box, outcome.select_text);
        return;
    }
    if (page_) page_->fill_invoice_list();
    accept();
}

void InvoiceInfoWindow::on_invoice_close_click() { reject(); }

QString refresh_current_invoice_number_showing_failures(QWidget* parent) {
    const InvoiceRecount recount = refresh_current_invoice_number();
    for (const QString& failure : recount.failures)
        platform::message_box(failure, platform::kDefaultCaption, platform::MsgIcon::None, platform::MsgButtons::Ok,
                              parent);
    return recount.current;
}

void on_menu_invoice_management(InvoicePage* page, const std::function<void()>& show_page) {
    if (!shell::require_permission(QStringLiteral("发票设置"))) return;
    if (show_page) show_page();
    if (page) page->fill_invoice_list();
}

}  // namespace tariffs
