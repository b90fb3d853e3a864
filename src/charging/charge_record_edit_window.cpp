#include "charging/charge_record_edit_window.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "charging/charge_queries.h"
#include "charging/payment_changes.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "store/main_database.h"
#include "tariffs/bills.h"
#include "ui_charge_record_edit_window.h"

namespace charging {

namespace {

QString money(double value) { return platform::format_number(value, 2); }

void remember(const ChargeRecordFields& bill) {
    edited_bill_number = bill.bill_number;
    edited_bill_original_received = bill.received;
    edited_bill_original_collector = bill.collector;
}

}  // namespace

ChargeRecordEditWindow::ChargeRecordEditWindow(qint64 serial, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ChargeRecordEditWindow>()) {
    ui->setupUi(this);
    QTableView* list = ui->表单;
    platform::setup_report_view(list);
    platform::listview_insert_column(list, QStringLiteral("收据编号"), 90);
    for (const char16_t* title :
         {u"实用金额", u"实收金额", u"应收金额", u"预存扣款", u"本期结余", u"收费人员"})
        platform::listview_insert_column(list, QString::fromUtf16(title), 70);
    // Wide enough for a whole date such as 2024年12月31日.
    platform::listview_insert_column(list, QStringLiteral("收费日期"), 120);
    connect(list, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { on_edit_list_double_click(index.row()); });
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_edit_save_click(); });
    connect(ui->按钮3, &QPushButton::clicked, this, [this] { on_edit_close_click(); });

    // Nothing of an earlier window may be saved from this one.
    remember({});
    bool ok = false;
    const QList<ChargeRecordFields> bills =
        serial_charge_records(store::main_connection(), serial, &ok);
    if (!ok) {
        platform::inform(kLookupFailed);
        return;
    }
    for (const ChargeRecordFields& bill : bills) {
        const int row = platform::listview_insert_row(list);
        const QStringList cells = {tariffs::serial_display_text(bill.bill_number),
                                   money(bill.cost),
                                   money(bill.received),
                                   money(bill.billed),
                                   money(bill.prepaid),
                                   money(bill.carry_over),
                                   bill.collector,
                                   platform::to_text(bill.date)};
        for (int c = 0; c < cells.size(); ++c)
            platform::listview_set_cell_text(list, row, c, cells[c]);
    }
    if (bills.isEmpty()) return;
    remember(bills.back());
    if (bills.size() > 1)
        platform::message_box(QStringLiteral("该流水号下有") + QString::number(bills.size()) +
                                  QStringLiteral("条收费记录,默认修改最后一条记录!"),
                              platform::kDefaultCaption, platform::MsgIcon::None);
    load_bill(bills.back());
}

ChargeRecordEditWindow::~ChargeRecordEditWindow() = default;

void ChargeRecordEditWindow::load_bill(const ChargeRecordFields& bill) {
    ui->编辑框_收据号->setText(tariffs::serial_display_text(bill.bill_number));
    QComboBox* collectors = ui->组合框_收费人员;
    collectors->clear();
    collectors->addItems(edit_collector_choices(store::main_connection(), bill.collector));
    const int match = collectors->findText(bill.collector, Qt::MatchExactly);
    collectors->setCurrentIndex(match >= 0 ? match : (collectors->count() > 0 ? 0 : -1));
    ui->收费日期框->setDate(bill.date.date());
    ui->成本金额->setText(money(bill.cost));
    ui->实收->setText(money(bill.received));
    ui->应收金额->setText(money(bill.billed));
    ui->编辑框_预存扣款->setText(money(bill.prepaid));
    ui->本期结余->setText(money(bill.carry_over));
    ui->实收->setFocus();
    ui->实收->selectAll();
}

void ChargeRecordEditWindow::on_edit_list_double_click(int row) {
    if (row < 0) return;
    const qint64 number =
        tariffs::serial_from_display_text(platform::listview_cell_text(ui->表单, row, 0));
    if (number == 0) return;
    bool ok = false;
    const std::optional<ChargeRecordFields> bill =
        paid_charge_record(store::main_connection(), number, &ok);
    if (!ok || !bill) {
        platform::inform(kLookupFailed);
        return;
    }
    remember(*bill);
    load_bill(*bill);
}

void ChargeRecordEditWindow::on_edit_save_click() {
    // The amount boxes read as numbers and show what is stored; 实收 stays as typed.
    for (QLineEdit* box : {ui->本期结余, ui->成本金额, ui->应收金额, ui->编辑框_预存扣款})
        box->setText(platform::to_text(platform::to_number(box->text())));
    ChargeEditRequest r;
    r.bill_number = edited_bill_number;
    r.received = ui->实收->text();
    r.carry_over = ui->本期结余->text();
    r.cost = ui->成本金额->text();
    r.billed = ui->应收金额->text();
    r.prepaid = ui->编辑框_预存扣款->text();
    r.collector = ui->组合框_收费人员->currentText();
    r.date = ui->收费日期框->date();
    r.original_received = edited_bill_original_received;
    r.original_collector = edited_bill_original_collector;
    const ChargeEditOutcome out =
        save_charge_record_edit(store::main_connection(), r, shell::program_context());
    if (!out.done) return;
    platform::show_messages(out.messages, this);
    accept();
}

void ChargeRecordEditWindow::on_edit_close_click() { reject(); }

}  // namespace charging
