#include "charging/deduction_query_window.h"

#include <QDateEdit>
#include <QPushButton>

#include "charging/deduction_page.h"
#include "charging/deduction_query.h"
#include "charging/list_page.h"
#include "platform/convert.h"
#include "ui_deduction_query_window.h"

namespace charging {

DeductionQueryWindow::DeductionQueryWindow(QTableView* list, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::DeductionQueryWindow>()), list_(list) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    on_click(ui->按钮_查询, this, &DeductionQueryWindow::on_deduction_query_click);
    on_click(ui->按钮_退出, this, &DeductionQueryWindow::on_deduction_exit_click);
    on_deduction_query_window_create();
}

DeductionQueryWindow::~DeductionQueryWindow() = default;

void DeductionQueryWindow::on_deduction_query_window_create() {
    const QDate today = platform::today();
    ui->日期框_起->setDate(QDate(today.year(), today.month(), 1));
    ui->日期框_止->setDate(today);
    ui->按钮_查询->setFocus();
}

void DeductionQueryWindow::on_deduction_query_click() {
    const QString statement =
        deduction_period_statement(ui->日期框_起->date(), ui->日期框_止->date());
    // The window goes first, so the list fills in front of the user.
    QWidget* owner = parentWidget();
    accept();
    if (list_) fill_deduction_list(list_, statement, owner);
}

void DeductionQueryWindow::on_deduction_exit_click() { reject(); }

}  // namespace charging
