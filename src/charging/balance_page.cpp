#include "charging/balance_page.h"

#include <QApplication>
#include <QPushButton>
#include <QTableView>

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

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

void show_boxes(const tariffs::Messages& messages, QWidget* parent) {
    for (const tariffs::Message& m : messages)
        platform::message_box(m.text, m.plain ? QString() : m.caption,
                              m.plain ? platform::MsgIcon::None : platform::MsgIcon::Information,
                              platform::MsgButtons::Ok, parent);
}

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
    lists::ListBuilder build(list, kBalanceColumnClass, window);
    const BalanceListSummary summary = read_balance_rows(
        store::main_connection(), statement,
        [&build](int count) {
            build.show_progress(count);
            build.reserve_rows(count + 1);
        },
        [&build](const BalanceCells& cells) {
            const int row = build.append_empty_row();
            for (int k = 0; k < kBalanceListCells; ++k)
                build.put_utf8(row, k, cells[static_cast<size_t>(k)]);
        });
    build.colour_row(build.append_row(balance_totals_row(summary.total)),
                     lists::colour_from_bgr(255));
    build.finish();
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
    connect(ui->预存结余_查询, &QPushButton::clicked, this,
            [this] { on_main_balance_query_click(); });
    connect(ui->预存结余_指定户号, &QPushButton::clicked, this,
            [this] { on_main_balance_by_household_click(); });
    connect(ui->预存结余_磁卡号码, &QPushButton::clicked, this,
            [this] { on_main_balance_by_card_click(); });
    connect(ui->预存结余_余额不足, &QPushButton::clicked, this,
            [this] { on_main_balance_shortfall_click(); });
    connect(ui->预存结余_执行扣款, &QPushButton::clicked, this,
            [this] { on_main_balance_deduct_click(); });
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
    QString answer;
    if (!platform::input_box(QStringLiteral("请输入待查询的户号："), QString(),
                             shell::system_parameters.household_number_prefix, &answer, window()) ||
        answer.isEmpty())
        return;
    quick_query(balance_household_insert(answer));
}

void BalancePage::on_main_balance_by_card_click() {
    QString answer;
    if (!platform::input_box(QStringLiteral("请输入待查询的磁卡号码："), QString(), QString(),
                             &answer, window()) ||
        answer.isEmpty())
        return;
    quick_query(balance_card_insert(answer));
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
    ui->组合框_街道->addItems(platform::query_column(db, QStringLiteral("select 街道 from 街道"),
                                                     platform::OnFailure::Quiet));
    ui->组合框_街道->setCurrentIndex(-1);
    ui->组合框_收费人员->addItems(balance_query_collectors(db));
    ui->组合框_收费人员->setCurrentIndex(-1);
    ui->日期框_起->setDate(platform::today());
    ui->日期框_止->setDate(platform::today());
    ui->组合框_排序->setCurrentIndex(0);
    ui->单选框_按户号->setChecked(true);
    ui->编辑框_户号->setText(shell::system_parameters.household_number_prefix);
    ui->编辑框_户号->selectAll();
    ui->编辑框_户号->setFocus();
    connect(ui->按钮_确定, &QPushButton::clicked, this, [this] { on_balance_query_ok_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this,
            [this] { on_balance_query_cancel_click(); });
}

HouseholdBalanceWindow::~HouseholdBalanceWindow() = default;

HouseholdBalanceQuery HouseholdBalanceWindow::query() const {
    HouseholdBalanceQuery q;
    if (ui->单选框_按户号->isChecked())
        q.by = BalanceQueryBy::Household;
    else if (ui->单选框_户名->isChecked())
        q.by = BalanceQueryBy::Name;
    else if (ui->单选框_收费人员->isChecked())
        q.by = BalanceQueryBy::Collector;
    else if (ui->单选框_街道->isChecked())
        q.by = BalanceQueryBy::Street;
    else if (ui->单选框_预存日期->isChecked())
        q.by = BalanceQueryBy::Date;
    else
        q.by = BalanceQueryBy::All;
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
    const HouseholdBalanceQuery q = query();
    const HouseholdBalanceQueryOutcome out = build_household_balance_query(q);
    if (!out.ok) {
        platform::inform(out.refusal);
        switch (q.by) {
            case BalanceQueryBy::Household:
                ui->编辑框_户号->setFocus();
                break;
            case BalanceQueryBy::Name:
                ui->编辑框_户名->setFocus();
                break;
            case BalanceQueryBy::Collector:
                ui->组合框_收费人员->setFocus();
                break;
            case BalanceQueryBy::Street:
                ui->组合框_街道->setFocus();
                break;
            default:
                break;
        }
        return;
    }
    accept();
    show_household_balances(list_, out.insert_statement, out.order_clause, parentWidget());
}

void HouseholdBalanceWindow::on_balance_query_cancel_click() { reject(); }

void on_main_nav_prepay_deduction_click(shell::MainWindow* window, BalancePage& page) {
    if (window) window->select_content_page(shell::kPageBalances);
    QTableView* list = page.balance_list();
    lists::refresh_list_colours(window, list, true);
    platform::listview_clear_rows(list);
    platform::listview_clear_columns(list);
    const QList<QStringList> columns = platform::query_rows(
        store::main_connection(),
        QStringLiteral("select 列名,列宽 from 查询列 where 显示='真' and 类名='预存扣款'"));
    for (const QStringList& c : columns)
        platform::listview_insert_column(list, c.value(0),
                                         static_cast<int>(platform::to_number(c.value(1))));
    page.form()->预存结余_查询->setFocus();
}

}  // namespace charging
