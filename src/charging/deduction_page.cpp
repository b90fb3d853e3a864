#include "charging/deduction_page.h"

#include <QPushButton>
#include <QTableView>

#include "charging/deduction_query.h"
#include "charging/deduction_query_window.h"
#include "charging/list_page.h"
#include "lists/list_colours.h"
#include "lists/list_columns.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "platform/query.h"
#include "shell/main_window.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_deduction_page.h"

namespace charging {

void fill_deduction_list(QTableView* list, const QString& statement, QWidget* window) {
    ListFill fill(list, kDeductionColumnClass, window);
    const DeductionListSummary summary = read_deduction_rows(
        store::main_connection(), statement, fill.start(), fill.row<kDeductionCellCount>());
    fill.finish(deduction_totals_row(summary.total));
}

DeductionPage::DeductionPage(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::DeductionPage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->扣款明细_列表框);
    on_click(ui->扣款明细_查询, this, &DeductionPage::on_main_deduction_query_click);
    on_click(ui->扣款明细_指定户号, this, &DeductionPage::on_main_deduction_by_household_click);
    on_click(ui->扣款明细_按磁卡号, this, &DeductionPage::on_main_deduction_by_card_click);
}

DeductionPage::~DeductionPage() = default;

QTableView* DeductionPage::deduction_list() const { return ui->扣款明细_列表框; }

void DeductionPage::on_main_deduction_query_click() {
    DeductionQueryWindow query(ui->扣款明细_列表框, window());
    platform::window_open_modal(&query);
}

void DeductionPage::on_main_deduction_by_household_click() {
    const QString answer =
        ask_entry(QStringLiteral("请输入待查询的户号："), QStringLiteral("扣款明细查询--按户号"),
                  shell::system_parameters.household_number_prefix, window());
    if (answer.isEmpty()) return;
    WaitCursor wait;
    fill_deduction_list(ui->扣款明细_列表框, deduction_household_statement(answer), window());
}

void DeductionPage::on_main_deduction_by_card_click() {
    const QString answer =
        ask_entry(QStringLiteral("请输入待查询的磁卡号码："),
                  QStringLiteral("扣款明细查询--按磁卡号码"), QString(), window());
    if (answer.isEmpty()) return;
    WaitCursor wait;
    fill_deduction_list(ui->扣款明细_列表框, deduction_card_statement(answer), window());
}

void on_main_nav_deduction_query_click(shell::MainWindow& window, DeductionPage& page) {
    open_list_page(&window, shell::kPageDeductions, page.deduction_list(),
                   QStringLiteral("select 列名,列宽 from 查询列 where 显示='真' and 类名=") +
                       platform::sql_quote(kDeductionColumnClass) +
                       QStringLiteral(" order by 排序"),
                   page.form()->扣款明细_查询);
}

}  // namespace charging
