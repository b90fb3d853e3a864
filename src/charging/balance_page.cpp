#include "charging/balance_page.h"

#include <QPushButton>
#include <QTableView>

#include "charging/list_page.h"
#include "charging/prepay_settlement.h"
#include "households/wait_window.h"
#include "lists/list_colours.h"
#include "lists/list_columns.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "platform/query.h"
#include "shell/main_window.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_balance_page.h"
#include "ui_household_balance_window.h"

namespace charging {

namespace {

// The list keeps what it shows (the households' insert and order, or the shortfall), so that
// a deduction run can show the same households again with the figures it changed.
const char kShownInsert[] = "shown_balance_insert";
const char kShownOrder[] = "shown_balance_order";
const char kShownShortfall[] = "shown_balance_shortfall";

void remember_shown(QTableView* list, const QString& insert, const QString& order, bool shortfall) {
    list->setProperty(kShownInsert, insert);
    list->setProperty(kShownOrder, order);
    list->setProperty(kShownShortfall, shortfall);
}

}  // namespace

void fill_prepay_balance_list(QTableView* list, const QString& statement, QWidget* window) {
    if (!list) return;
    lists::refresh_list_colours(window, list, true);
    ListFill fill(list, kBalanceColumnClass, window);
    const BalanceListSummary summary = read_balance_rows(
        store::main_connection(), statement, fill.start(), fill.row<kBalanceListCells>());
    fill.finish(balance_totals_row(summary.total));
}

void show_household_balances(QTableView* list, const QString& insert_statement,
                             const QString& order_clause, QWidget* window) {
    WaitCursor cursor;
    tariffs::Messages messages;
    {
        households::WaitScope wait(window);
        messages = rebuild_balances_with_amounts_due(store::main_connection(), insert_statement);
    }
    show_boxes(messages, window);
    fill_prepay_balance_list(list, balance_list_statement(order_clause), window);
    if (list) remember_shown(list, insert_statement, order_clause, false);
}

BalancePage::BalancePage(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::BalancePage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->预存扣款_列表框);
    on_click(ui->预存结余_查询, this, &BalancePage::on_main_balance_query_click);
    on_click(ui->预存结余_指定户号, this, &BalancePage::on_main_balance_by_household_click);
    on_click(ui->预存结余_磁卡号码, this, &BalancePage::on_main_balance_by_card_click);
    on_click(ui->预存结余_余额不足, this, &BalancePage::on_main_balance_shortfall_click);
    on_click(ui->预存结余_执行扣款, this, &BalancePage::on_main_balance_deduct_click);
}

BalancePage::~BalancePage() = default;

QTableView* BalancePage::balance_list() const { return ui->预存扣款_列表框; }

void BalancePage::on_main_balance_query_click() {
    HouseholdBalanceWindow query(ui->预存扣款_列表框, window());
    platform::window_open_modal(&query);
}

void BalancePage::quick_query(const QString& insert_statement) {
    show_household_balances(ui->预存扣款_列表框, insert_statement, kBalanceReceiptOrder, window());
}

void BalancePage::on_main_balance_by_household_click() {
    const QString answer = ask_entry(QStringLiteral("请输入待查询的户号："), QString(),
                                     shell::system_parameters.household_number_prefix, window());
    if (!answer.isEmpty()) quick_query(balance_household_insert(answer));
}

void BalancePage::on_main_balance_by_card_click() {
    const QString answer =
        ask_entry(QStringLiteral("请输入待查询的磁卡号码："), QString(), QString(), window());
    if (!answer.isEmpty()) quick_query(balance_card_insert(answer));
}

void BalancePage::on_main_balance_shortfall_click() {
    WaitCursor cursor;
    tariffs::Messages messages;
    {
        households::WaitScope wait(window());
        messages = mark_households_with_amounts_due(store::main_connection()).messages;
    }
    show_boxes(messages, window());
    fill_prepay_balance_list(ui->预存扣款_列表框, shortfall_list_statement(), window());
    remember_shown(ui->预存扣款_列表框, {}, {}, true);
}

void BalancePage::on_main_balance_deduct_click() {
    DeductionRunOutcome out;
    {
        WaitCursor cursor;
        out = execute_prepay_deductions(store::main_connection(), shell::program_context());
    }
    show_boxes(out.messages, window());
    QTableView* list = ui->预存扣款_列表框;
    if (out.show_shortfall_list || (!out.run.refused && list->property(kShownShortfall).toBool()))
        on_main_balance_shortfall_click();
    else if (!out.run.refused && !list->property(kShownInsert).toString().isEmpty())
        // The households listed before, with their new 当前应扣 and 预计结余.
        show_household_balances(list, list->property(kShownInsert).toString(),
                                list->property(kShownOrder).toString(), window());
}

HouseholdBalanceWindow::HouseholdBalanceWindow(QTableView* balance_list, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::HouseholdBalanceWindow>()), list_(balance_list) {
    ui->setupUi(this);
    platform::Connection& db = store::main_connection();
    offer_choices(ui->组合框_街道,
                  platform::query_column(db, QStringLiteral("select 街道 from 街道"),
                                         platform::OnFailure::Quiet));
    offer_choices(ui->组合框_收费人员, balance_query_collectors(db));
    ui->日期框_起->setDate(platform::today());
    ui->日期框_止->setDate(platform::today());
    ui->组合框_排序->setCurrentIndex(0);
    ui->单选框_按户号->setChecked(true);
    ui->编辑框_户号->setText(shell::system_parameters.household_number_prefix);
    ui->编辑框_户号->selectAll();
    ui->编辑框_户号->setFocus();
    on_click(ui->按钮_确定, this, &HouseholdBalanceWindow::on_balance_query_ok_click);
    on_click(ui->按钮_取消, this, &HouseholdBalanceWindow::on_balance_query_cancel_click);
}

HouseholdBalanceWindow::~HouseholdBalanceWindow() = default;

// The radio buttons in the order they are read, each with the field its condition needs; the
// first ticked one chooses the condition.
std::array<RadioCondition, 5> HouseholdBalanceWindow::conditions() const {
    return {{{ui->单选框_按户号, ui->编辑框_户号},
             {ui->单选框_户名, ui->编辑框_户名},
             {ui->单选框_收费人员, ui->组合框_收费人员},
             {ui->单选框_街道, ui->组合框_街道},
             {ui->单选框_预存日期, nullptr}}};
}

HouseholdBalanceQuery HouseholdBalanceWindow::query() const {
    constexpr BalanceQueryBy kBy[] = {BalanceQueryBy::Household, BalanceQueryBy::Name,
                                      BalanceQueryBy::Collector, BalanceQueryBy::Street,
                                      BalanceQueryBy::Date};
    const int chosen = first_checked(conditions());
    HouseholdBalanceQuery q;
    q.by = chosen < 0 ? BalanceQueryBy::All : kBy[chosen];
    q.household = ui->编辑框_户号->text();
    q.name = ui->编辑框_户名->text();
    q.collector = ui->组合框_收费人员->currentText();
    q.street = ui->组合框_街道->currentText();
    q.from = ui->日期框_起->date();
    q.to = ui->日期框_止->date();
    q.order = ui->组合框_排序->currentIndex();
    return q;
}

void HouseholdBalanceWindow::on_balance_query_ok_click() {
    const HouseholdBalanceQueryOutcome out = build_household_balance_query(query());
    if (!out.ok) {
        refuse(out.refusal, conditions());
        return;
    }
    accept();
    show_household_balances(list_, out.insert_statement, out.order_clause, parentWidget());
}

void HouseholdBalanceWindow::on_balance_query_cancel_click() { reject(); }

void on_main_nav_prepay_deduction_click(shell::MainWindow* window, BalancePage& page) {
    open_list_page(
        window, shell::kPageBalances, page.balance_list(),
        QStringLiteral("select 列名,列宽 from 查询列 where 显示='真' and 类名='预存扣款'"),
        page.form()->预存结余_查询);
}

}  // namespace charging
