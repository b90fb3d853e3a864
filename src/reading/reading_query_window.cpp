#include "reading/reading_query_window.h"

#include <QPushButton>

#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/query.h"
#include "reading/reading_query.h"
#include "reading/reading_query_page.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_reading_query_window.h"

namespace reading {

ReadingQueryWindow::ReadingQueryWindow(QTableView* list, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ReadingQueryWindow>()), list_(list) {
    ui->setupUi(this);
    platform::Connection& db = store::main_connection();
    const QDate today = platform::today();
    ui->收费日期_起->setDate(today);
    ui->收费日期_止->setDate(today);
    ui->年选择框->setText(QString::number(today.year()));
    ui->月选择框->setText(QString::number(today.month()));
    const QStringList readers = platform::query_column(db, QStringLiteral("select * from 抄表员"));
    const QStringList streets = platform::query_column(db, QStringLiteral("select * from 街道"));
    const QStringList items =
        platform::query_column(db, QStringLiteral("select 项目名称 from 收费项目"));
    for (QComboBox* c : {ui->已抄表组合框_抄表人员, ui->未收费组合框_抄表人员}) c->addItems(readers);
    for (QComboBox* c : {ui->已抄表组合框_居住街道, ui->未收费组合框_居住街道}) c->addItems(streets);
    for (QComboBox* c : {ui->已抄表组合框_收费项目, ui->未收费组合框_收费项目}) c->addItems(items);
    for (QComboBox* c : {ui->已抄表组合框_抄表人员, ui->未收费组合框_抄表人员, ui->已抄表组合框_居住街道,
                         ui->未收费组合框_居住街道, ui->已抄表组合框_收费项目, ui->未收费组合框_收费项目})
        c->setCurrentIndex(-1);
    ui->收费排序分类->addItems({QStringLiteral("抄表人员"), QStringLiteral("居住街道"),
                                QStringLiteral("抄表日期"), QStringLiteral("用户户号")});
    ui->收费排序分类1->addItems(
        {QStringLiteral("抄表人员"), QStringLiteral("居住街道"), QStringLiteral("用户户号")});
    for (QComboBox* c : {ui->收费排序方式, ui->收费排序方式1})
        c->addItems({QStringLiteral("升序"), QStringLiteral("降序")});
    ui->选择夹_窗口->setCurrentIndex(0);
    on_reading_query_tab_changed(0);
    connect(ui->选择夹_窗口, &QTabWidget::currentChanged, this,
            [this](int page) { on_reading_query_tab_changed(page); });
    connect(ui->收费按钮_确定, &QPushButton::clicked, this, [this] { on_reading_query_read_ok_click(); });
    connect(ui->未收费按钮_确定, &QPushButton::clicked, this,
            [this] { on_reading_query_unread_ok_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->按钮_取消1, &QPushButton::clicked, this, &QDialog::reject);
}

ReadingQueryWindow::~ReadingQueryWindow() = default;

void ReadingQueryWindow::on_reading_query_tab_changed(int page) {
    ui->收费按钮_确定->setDefault(page == 0);
    ui->未收费按钮_确定->setDefault(page != 0);
    (page == 0 ? ui->收费按钮_确定 : ui->未收费按钮_确定)->setFocus();
}

void ReadingQueryWindow::on_reading_query_read_ok_click() {
    ReadQueryForm f;
    f.from = ui->收费日期_起->date();
    f.to = ui->收费日期_止->date();
    f.by_fee_item = ui->收费选择框_收费项目->isChecked();
    f.fee_item = ui->已抄表组合框_收费项目->currentText();
    f.by_reader = ui->收费选择框_抄表人员->isChecked();
    f.reader = ui->已抄表组合框_抄表人员->currentText();
    f.by_street = ui->收费选择框_居住街道->isChecked();
    f.street = ui->已抄表组合框_居住街道->currentText();
    f.order = ui->收费排序分类->currentText();
    f.direction = ui->收费排序方式->currentText();
    accept();
    fill_reading_query_list(list_, read_readings_statement(read_readings_condition(f)), 1,
                            parentWidget());
}

void ReadingQueryWindow::on_reading_query_unread_ok_click() {
    UnreadQueryForm f;
    f.year = ui->年选择框->text();
    f.month = ui->月选择框->text();
    f.by_fee_item = ui->未收费选择框_收费项目->isChecked();
    f.fee_item = ui->未收费组合框_收费项目->currentText();
    f.by_reader = ui->未收费选择框_抄表人员->isChecked();
    f.reader = ui->未收费组合框_抄表人员->currentText();
    f.by_street = ui->未收费选择框_居住街道->isChecked();
    f.street = ui->未收费组合框_居住街道->currentText();
    f.order = ui->收费排序分类1->currentText();
    f.direction = ui->收费排序方式1->currentText();
    const UnreadQueryOutcome outcome =
        run_unread_query(store::main_connection(), f, shell::system_parameters.reading_day);
    for (const QString& failure : outcome.failures)
        platform::message_box(failure, platform::kDefaultCaption, platform::MsgIcon::None);
    if (!outcome.run) {
        platform::inform(outcome.message);
        using Focus = UnreadQueryOutcome::Focus;
        if (outcome.focus == Focus::Year) ui->年选择框->setFocus();
        if (outcome.focus == Focus::Month) ui->月选择框->setFocus();
        if (outcome.focus == Focus::FeeItem) ui->未收费组合框_收费项目->setFocus();
        return;
    }
    accept();
    fill_reading_query_list(list_, kUnreadListStatement, 2, parentWidget());
}

}  // namespace reading
