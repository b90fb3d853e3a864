#include "charging/prepayment_query_window.h"

#include <QTableView>

#include "charging/list_page.h"
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
    offer_choices(ui->组合框_居住街道,
                  platform::query_column(db, QStringLiteral("select 街道 from 街道"),
                                         platform::OnFailure::Quiet));
    offer_choices(ui->组合框_收费人员, prepayment_collectors(db));
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
    on_click(ui->按钮_确定, this, &PrepaymentQueryWindow::on_prepay_query_ok_click);
    on_click(ui->按钮_取消, this, &PrepaymentQueryWindow::on_prepay_query_cancel_click);
}

PrepaymentQueryWindow::~PrepaymentQueryWindow() = default;

// The radio buttons in the order they are read, each with the field its condition needs; the
// first ticked one chooses the condition.
std::array<RadioCondition, 5> PrepaymentQueryWindow::conditions() const {
    return {{{ui->单选框_按户号, ui->编辑框_户号},
             {ui->单选框_户名, ui->编辑框_户名},
             {ui->单选框_居住街道, ui->组合框_居住街道},
             {ui->单选框_收费人员, ui->组合框_收费人员},
             {ui->单选框_预存日期, nullptr}}};
}

PrepaymentQuery PrepaymentQueryWindow::query() const {
    constexpr PrepayQueryBy kBy[] = {PrepayQueryBy::Household, PrepayQueryBy::Name,
                                     PrepayQueryBy::Street, PrepayQueryBy::Collector,
                                     PrepayQueryBy::Date};
    const int chosen = first_checked(conditions());
    PrepaymentQuery q;
    q.by = chosen < 0 ? PrepayQueryBy::None : kBy[chosen];
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
    const PrepaymentQueryOutcome out = build_prepayment_query(query());
    if (!out.ok) {
        refuse(out.refusal, conditions());
        return;
    }
    accept();
    fill_prepayment_list(list_, out.statement, parentWidget());
}

void PrepaymentQueryWindow::on_prepay_query_cancel_click() { reject(); }

}  // namespace charging
