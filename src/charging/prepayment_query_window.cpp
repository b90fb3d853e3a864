#include "charging/prepayment_query_window.h"

#include <QTableView>

#include "charging/prepayment_page.h"
#include "charging/prepayments.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/query.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_prepayment_query_window.h"

namespace charging {

PrepaymentQueryWindow::PrepaymentQueryWindow(QTableView* prepay_list, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::PrepaymentQueryWindow>()), list_(prepay_list) {
    ui->setupUi(this);
    platform::Connection& db = store::main_connection();
    ui->组合框_居住街道->addItems(platform::query_column(
        db, QStringLiteral("select 街道 from 街道"), platform::OnFailure::Quiet));
    ui->组合框_居住街道->setCurrentIndex(-1);
    ui->组合框_收费人员->addItems(prepayment_collectors(db));
    ui->组合框_收费人员->setCurrentIndex(-1);
    ui->日期框_起->setDate(platform::today());
    ui->日期框_止->setDate(platform::today());
    ui->组合框_状态->setCurrentIndex(0);
    ui->组合框_排序->setCurrentIndex(3);
    ui->单选框_预存日期->setChecked(true);
    ui->编辑框_户号->setText(shell::system_parameters.household_number_prefix);
    ui->编辑框_户号->selectAll();
    ui->编辑框_户号->setFocus();
    connect(ui->单选框_户名, &QRadioButton::clicked, this, [this] { ui->编辑框_户名->setFocus(); });
    connect(ui->单选框_按户号, &QRadioButton::clicked, this,
            [this] { ui->编辑框_户号->setFocus(); });
    connect(ui->单选框_居住街道, &QRadioButton::clicked, this,
            [this] { ui->组合框_居住街道->setFocus(); });
    connect(ui->按钮_确定, &QPushButton::clicked, this, [this] { on_prepay_query_ok_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this, [this] { on_prepay_query_cancel_click(); });
}

PrepaymentQueryWindow::~PrepaymentQueryWindow() = default;

PrepaymentQuery PrepaymentQueryWindow::query() const {
    PrepaymentQuery q;
    if (ui->单选框_按户号->isChecked())
        q.by = PrepayQueryBy::Household;
    else if (ui->单选框_户名->isChecked())
        q.by = PrepayQueryBy::Name;
    else if (ui->单选框_居住街道->isChecked())
        q.by = PrepayQueryBy::Street;
    else if (ui->单选框_收费人员->isChecked())
        q.by = PrepayQueryBy::Collector;
    else if (ui->单选框_预存日期->isChecked())
        q.by = PrepayQueryBy::Date;
    else
        q.by = PrepayQueryBy::None;
    q.household = ui->编辑框_户号->text();
    q.name = ui->编辑框_户名->text();
    q.street = ui->组合框_居住街道->currentText();
    q.collector = ui->组合框_收费人员->currentText();
    q.from = ui->日期框_起->date();
    q.to = ui->日期框_止->date();
    q.status = ui->组合框_状态->currentIndex();
    q.order = ui->组合框_排序->currentIndex();
    return q;
}

void PrepaymentQueryWindow::on_prepay_query_ok_click() {
    const PrepaymentQuery q = query();
    const PrepaymentQueryOutcome out = build_prepayment_query(q);
    if (!out.ok) {
        platform::inform(out.refusal);
        switch (q.by) {
            case PrepayQueryBy::Household:
                ui->编辑框_户号->setFocus();
                break;
            case PrepayQueryBy::Name:
                ui->编辑框_户名->setFocus();
                break;
            case PrepayQueryBy::Street:
                ui->组合框_居住街道->setFocus();
                break;
            case PrepayQueryBy::Collector:
                ui->组合框_收费人员->setFocus();
                break;
            default:
                break;
        }
        return;
    }
    accept();
    fill_prepayment_list(list_, out.statement, parentWidget());
}

void PrepaymentQueryWindow::on_prepay_query_cancel_click() { reject(); }

}  // namespace charging
