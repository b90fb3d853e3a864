#include "charging/prepayment_entry_window.h"

#include <QApplication>
#include <QTableView>
#include <cmath>

#include "charging/charging_bill.h"
#include "charging/charging_hooks.h"
#include "charging/list_page.h"
#include "charging/prepayment_page.h"
#include "charging/prepayment_queries.h"
#include "charging/prepayments.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "platform/money.h"
#include "shell/admin.h"
#include "shell/permissions.h"
#include "shell/session.h"
#include "shell/settings_keys.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "tariffs/bills.h"
#include "tariffs/invoices.h"
#include "ui_prepayment_entry_window.h"

namespace charging {

namespace {

const QString kInvoiceOn = QStringLiteral("开启");

}  // namespace

PrepaymentEntryWindow::PrepaymentEntryWindow(QTableView* prepay_list, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::PrepaymentEntryWindow>()), list_(prepay_list) {
    ui->setupUi(this);
    connect(ui->编辑框_户号, &QLineEdit::returnPressed, this,
            [this] { on_prepay_household_enter(); });
    connect(ui->编辑框_磁卡号码, &QLineEdit::returnPressed, this,
            [this] { on_prepay_household_enter(); });
    connect(ui->按钮_收费, &QPushButton::clicked, this, [this] { on_prepay_charge_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this, [this] { on_prepay_cancel_click(); });
    on_window_create();
}

PrepaymentEntryWindow::~PrepaymentEntryWindow() = default;

void PrepaymentEntryWindow::fill_collectors(const QString* selected) {
    ui->收费人员选择框->clear();
    ui->收费人员选择框->addItems(prepayment_collectors(store::main_connection()));
    if (!selected) {
        ui->收费人员选择框->setCurrentIndex(-1);  // the administrator must choose
        return;
    }
    const int at = ui->收费人员选择框->findText(*selected);
    ui->收费人员选择框->setCurrentIndex(at >= 0 ? at : 0);
}

void PrepaymentEntryWindow::on_window_create() {
    const bool modify = prepayment_entry_mode == kPrepaymentModify;
    if (!modify && shell::system_parameters.invoice_management == kInvoiceOn) {
        const tariffs::InvoiceRecount recount = tariffs::refresh_current_invoice_number();
        for (const QString& failure : recount.failures)
            platform::message_box(failure, QString(), platform::MsgIcon::None,
                                  platform::MsgButtons::Ok, this);
        if (tariffs::current_invoice_number().isEmpty()) {
            platform::inform(QStringLiteral("发票已经用完，请设置发票！"));
            opened_ = false;
            return;
        }
        setWindowTitle(QStringLiteral("预存添加  当前发票号：") +
                       tariffs::current_invoice_number());
    }
    bool default_copies = false;
    ui->编辑框_打印发票张数->setText(shell::settings::receipt_copies_text(&default_copies));
    if (!default_copies) {
        ui->编辑框_户号->setText(shell::system_parameters.household_number_prefix);
        ui->编辑框_户号->selectAll();
        ui->编辑框_户号->setFocus();
    }
    if (modify) {
        if (!load_selected_row()) opened_ = false;
        return;
    }
    if (shell::current_operator == shell::kAdministrator) {
        shell::offer_collector_setup(this);
        fill_collectors(nullptr);
    } else {
        ui->收费人员选择框->clear();
        ui->收费人员选择框->addItem(shell::current_operator);
        ui->收费人员选择框->setCurrentIndex(0);
    }
    ui->日期框_预存收费->setDate(platform::today());
}

bool PrepaymentEntryWindow::load_selected_row() {
    const int column = platform::listview_column_index(list_, kReceiptColumnTitle);
    const int row = list_ ? platform::listview_selected_row(list_) : -1;
    const QString cell =
        column < 0 || row < 0 ? QString() : platform::listview_cell_text(list_, row, column);
    receipt_ = tariffs::serial_from_display_text(cell);
    const StoredPrepayment stored = load_prepayment(store::main_connection(), receipt_);
    if (!stored.found || !is_receipt_cell(cell)) {
        // Nothing to load (the totals row, or the receipt column hidden): an empty form would
        // save into no row.
        platform::inform(QStringLiteral("请在列设置中选择显示收据号列！"));
        return false;
    }
    if (stored.flag == 2) {
        platform::inform(QStringLiteral("此收据已经作废不能修改！"));
        return false;
    }
    former_amount_ = stored.amount;
    ui->编辑框_户号->setText(tariffs::half_width(stored.household));
    ui->编辑框_户号->selectAll();
    ui->编辑框_预存金额->setText(platform::format_number(stored.amount, 2));
    ui->日期框_预存收费->setDate(stored.date.isValid() ? stored.date : platform::today());
    fill_collectors(&stored.collector);
    setWindowTitle(QStringLiteral("预存修改－收据号(") + tariffs::serial_display_text(receipt_) +
                   QStringLiteral(")"));
    return true;
}

void PrepaymentEntryWindow::on_prepay_household_enter() {
    ui->编辑框_户号->setText(platform::text_trim(ui->编辑框_户号->text()));
    ui->编辑框_磁卡号码->setText(platform::text_trim(ui->编辑框_磁卡号码->text()));
    if (ui->编辑框_户号->text().isEmpty() && ui->编辑框_磁卡号码->text().isEmpty()) return;
    const PrepayHousehold found = find_prepaying_household(
        store::main_connection(), ui->编辑框_户号->text(), ui->编辑框_磁卡号码->text());
    if (!found.found) {
        platform::inform(QStringLiteral("无此用户,请重新输入用户信息！"));
        ui->编辑框_户号->setText(shell::system_parameters.household_number_prefix);
    } else {
        ui->编辑框_街道->setText(found.street);
        ui->编辑框_户名->setText(found.name);
        ui->编辑框_地址->setText(found.address);
        ui->编辑框_磁卡号码->setText(found.card);
        ui->编辑框_户号->setText(found.number);
    }
    ui->编辑框_预存金额->setFocus();
}

void PrepaymentEntryWindow::on_prepay_charge_click() {
    PrepaymentForm entry;
    entry.household = ui->编辑框_户号->text();
    entry.collector = ui->收费人员选择框->currentText();
    entry.amount = ui->编辑框_预存金额->text();
    entry.date = ui->日期框_预存收费->date();
    entry.name = ui->编辑框_户名->text();
    const bool modify = prepayment_entry_mode == kPrepaymentModify;
    PrepaymentOutcome outcome;
    {
        WaitCursor wait;
        const shell::RunContext context = shell::program_context();
        outcome = modify ? modify_prepayment(store::main_connection(), receipt_, former_amount_,
                                             entry, context)
                         : take_prepayment(store::main_connection(), entry,
                                           shell::current_invoice_number, context);
    }
    show_boxes(outcome.messages, this);
    if (!outcome.done) {
        switch (outcome.focus) {
            case PrepayField::Household:
                ui->编辑框_户号->setFocus();
                if (outcome.select_text) ui->编辑框_户号->selectAll();
                break;
            case PrepayField::Collector:
                ui->收费人员选择框->setFocus();
                break;
            case PrepayField::Amount:
                ui->编辑框_预存金额->setFocus();
                break;
            case PrepayField::None:
                break;
        }
        return;
    }
    if (ui->选择框_打印->isChecked()) {
        double settled = 0;
        for (const SettledBill& bill : outcome.settlement.settled) settled += bill.amount;
        print_prepay_receipts(outcome.receipt, receipt_copies(ui->编辑框_打印发票张数->text()),
                              settled);
    }
    if (modify && list_)
        fill_prepayment_list(list_, prepayments_of_day_statement(entry.date), window());
    accept();
}

void PrepaymentEntryWindow::on_prepay_cancel_click() { reject(); }

}  // namespace charging
