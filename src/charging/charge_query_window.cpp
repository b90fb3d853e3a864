#include "charging/charge_query_window.h"

#include <QPushButton>

#include "charging/charge_queries.h"
#include "charging/charge_query_page.h"
#include "charging/list_page.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/query.h"
#include "store/main_database.h"
#include "ui_charge_query_window.h"

namespace charging {

ChargeQueryWindow::ChargeQueryWindow(QTableView* list, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ChargeQueryWindow>()), list_(list) {
    ui->setupUi(this);
    platform::Connection& db = store::main_connection();
    const QDate today = platform::today();
    ui->年选择框->setValue(today.year());
    ui->月选择框->setValue(today.month());
    ui->已收费日期_起->setDate(today);
    ui->已收费日期_止->setDate(today);
    ui->未收费日期_起->setDate(QDate(today.year(), today.month(), 1));
    ui->未收费日期_止->setDate(today);

    const auto quiet = platform::OnFailure::Quiet;
    QStringList collectors = platform::query_column(
        db, QStringLiteral("select 收费人员 from 收费员 where 收费人员<>'管理员'"), quiet);
    // Bills paid from a prepaid balance carry this collector name.
    collectors << QStringLiteral("预存扣款");
    ui->已收费组合框_收费人员->addItems(collectors);
    const QStringList readers =
        platform::query_column(db, QStringLiteral("select 抄表员 from 抄表员"), quiet);
    const QStringList streets =
        platform::query_column(db, QStringLiteral("select 街道 from 街道"), quiet);
    const QStringList items =
        platform::query_column(db, QStringLiteral("select 项目名称 from 收费项目"), quiet);
    for (QComboBox* c : {ui->已收费组合框_抄表人员, ui->未收费组合框_抄表人员})
        c->addItems(readers);
    for (QComboBox* c : {ui->已收费组合框_居住街道, ui->未收费组合框_居住街道})
        c->addItems(streets);
    for (QComboBox* c : {ui->已收费组合框_收费项目, ui->未收费组合框_收费项目}) c->addItems(items);
    for (QComboBox* c :
         {ui->已收费组合框_收费人员, ui->已收费组合框_抄表人员, ui->未收费组合框_抄表人员,
          ui->已收费组合框_居住街道, ui->未收费组合框_居住街道, ui->已收费组合框_收费项目,
          ui->未收费组合框_收费项目})
        c->setCurrentIndex(-1);

    ui->选择夹_窗口->setCurrentIndex(0);
    on_charge_query_tab_changed(0);
    connect(ui->选择夹_窗口, &QTabWidget::currentChanged, this,
            [this](int page) { on_charge_query_tab_changed(page); });
    on_click(ui->已收费按钮_确定, this, &ChargeQueryWindow::on_charge_query_paid_ok_click);
    on_click(ui->未收费按钮_确定, this, &ChargeQueryWindow::on_charge_query_unpaid_ok_click);
    on_click(ui->作废按钮_确定, this, &ChargeQueryWindow::on_charge_query_void_ok_click);
    for (QPushButton* cancel : {ui->已收费按钮_取消, ui->未收费按钮_取消, ui->作废按钮_取消})
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

ChargeQueryWindow::~ChargeQueryWindow() = default;

void ChargeQueryWindow::on_charge_query_tab_changed(int page) {
    QPushButton* const ok[] = {ui->已收费按钮_确定, ui->未收费按钮_确定, ui->作废按钮_确定};
    for (int i = 0; i < 3; ++i) ok[i]->setDefault(i == page);
    if (page >= 0 && page < 3) ok[page]->setFocus();
}

void ChargeQueryWindow::on_charge_query_paid_ok_click() {
    PaidQueryForm f;
    f.by_collector = ui->已收费选择框_收费人员->isChecked();
    f.collector = ui->已收费组合框_收费人员->currentText();
    f.by_street = ui->已收费选择框_居住街道->isChecked();
    f.street = ui->已收费组合框_居住街道->currentText();
    f.by_reader = ui->已收费选择框_抄表人员->isChecked();
    f.reader = ui->已收费组合框_抄表人员->currentText();
    f.by_fee_item = ui->已收费选择框_收费项目->isChecked();
    f.fee_item = ui->已收费组合框_收费项目->currentText();
    f.from = ui->已收费日期_起->date();
    f.to = ui->已收费日期_止->date();
    const PaidQueryOutcome out = paid_query_statement(f);
    if (out.statement.isEmpty()) {
        using Focus = PaidQueryOutcome::Focus;
        refuse(out.message, out.focus == Focus::Collector ? ui->已收费组合框_收费人员
                            : out.focus == Focus::Street  ? ui->已收费组合框_居住街道
                            : out.focus == Focus::Reader  ? ui->已收费组合框_抄表人员
                                                          : ui->已收费组合框_收费项目);
        return;
    }
    accept();
    fill_paid_charge_list(list_, out.statement, parentWidget());
}

void ChargeQueryWindow::on_charge_query_unpaid_ok_click() {
    UnpaidQueryForm f;
    f.by_reading_date = ui->未收费选择框_抄表日期->isChecked();
    f.from = ui->未收费日期_起->date();
    f.to = ui->未收费日期_止->date();
    f.by_reader = ui->未收费选择框_抄表人员->isChecked();
    f.reader = ui->未收费组合框_抄表人员->currentText();
    f.by_street = ui->未收费选择框_居住街道->isChecked();
    f.street = ui->未收费组合框_居住街道->currentText();
    f.by_fee_item = ui->未收费选择框_收费项目->isChecked();
    f.fee_item = ui->未收费组合框_收费项目->currentText();
    accept();
    build_unpaid_charge_table(list_, unpaid_query_statement(f), parentWidget());
}

void ChargeQueryWindow::on_charge_query_void_ok_click() {
    const QString statement = void_rows_statement(ui->作废单选框_所有日期->isChecked(),
                                                  ui->年选择框->value(), ui->月选择框->value());
    accept();
    fill_paid_charge_list(list_, statement, parentWidget());
}

}  // namespace charging
