#include "charging/charging_window.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>

#include "charging/charging_hooks.h"
#include "charging/list_page.h"
#include "charging/payments.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "platform/query.h"
#include "reading/confirmation_sound.h"
#include "shell/admin.h"
#include "shell/main_window.h"
#include "shell/operation_log.h"
#include "shell/permission_prompts.h"
#include "shell/permissions.h"
#include "shell/run_context.h"
#include "shell/session.h"
#include "shell/settings_keys.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "tariffs/invoices.h"
#include "tariffs/late_fees.h"
#include "ui_charging_window.h"

namespace charging {

namespace {

const QString kInvoiceOn = QStringLiteral("开启");

void set_columns(QTableView* view, const std::vector<std::pair<QString, int>>& columns) {
    platform::listview_clear_rows(view);
    platform::listview_clear_columns(view);
    for (const auto& [title, width] : columns) platform::listview_insert_column(view, title, width);
}

// A list never narrower than its columns, so the layout cannot cut the last ones off.
void keep_columns_visible(QTableView* view) {
    view->setMinimumWidth(view->horizontalHeader()->length() + 2 * view->frameWidth() +
                          view->verticalScrollBar()->sizeHint().width());
}

void fill_rows(QTableView* view, const QList<QStringList>& rows) {
    platform::listview_begin_fill(view);
    for (const QStringList& cells : rows) {
        const int row = platform::listview_insert_row(view);
        for (int c = 0; c < cells.size(); ++c)
            platform::listview_set_cell_text(view, row, c, cells[c]);
    }
    platform::listview_end_fill(view);
    // The set widths are the least a column gets: a price or amount wider than that widens it.
    platform::listview_widen_columns_to_text(view);
}

}  // namespace

ChargingWindow::ChargingWindow(Kind kind, QWidget* parent)
    : QDialog(parent), kind_(kind), ui(std::make_unique<Ui::ChargingWindowForm>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->表单);
    platform::setup_report_view(ui->表单1);
    if (kind_ == Kind::Card) {
        // The card window has no household search.
        delete ui->分组框_户号查询;
        ui->分组框_户号查询 = nullptr;
        ui->标签_编辑框_户号->setText(QStringLiteral("卡号："));
    }
    ui->日期框_收费日期->setDate(platform::today());
    set_up_keyboard();
    connect(ui->查询按钮, &QPushButton::clicked, this, [this] { on_query_click(); });
    connect(ui->实收, &QLineEdit::textChanged, this, [this] { on_received_changed(); });
    connect(ui->找零计算, &QPushButton::clicked, this, [this] { on_change_calc_click(); });
    connect(ui->收费按钮, &QPushButton::clicked, this, [this] { on_charge_click(); });
    connect(ui->按钮3, &QPushButton::clicked, this, [this] { on_close_click(); });
    on_window_create();
}

ChargingWindow::~ChargingWindow() = default;

// A cashier works the counter from the keyboard: 户号, Enter, amount, Enter (change), Enter
// (charge). Every button has an Alt key, Tab goes 户号 → 本次收款 → 收费 without walking
// through the date's fields, and the collector combo is wide enough for a name.
void ChargingWindow::set_up_keyboard() {
    ui->查询按钮->setText(QStringLiteral("查  询&Q"));
    ui->收费按钮->setText(QStringLiteral("收  费&S"));
    ui->找零计算->setText(QStringLiteral("找零计算&Z"));
    ui->按钮3->setText(QStringLiteral("返  回&F"));
    ui->收费人员选择框->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ui->收费人员选择框->setMinimumContentsLength(8);
    // No button is ever a default one, so an Enter elsewhere never charges by surprise; Enter
    // on the focused 收费 button charges.
    for (QWidget* unit : std::initializer_list<QWidget*>{ui->编辑框_户号, ui->编辑框_用户名,
                                                         ui->实收, ui->收款金额, ui->收费按钮})
        unit->installEventFilter(this);
    QWidget* chain[] = {ui->编辑框_户号,    ui->收款金额,       ui->收费按钮,   ui->实收,
                        ui->找零计算,       ui->收费人员选择框, ui->打印选择框, ui->打印张数,
                        ui->按钮3,          ui->编辑框_用户名,  ui->查询按钮,   ui->找零,
                        ui->日期框_收费日期};
    for (std::size_t i = 1; i < std::size(chain); ++i) setTabOrder(chain[i - 1], chain[i]);
}

bool ChargingWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return QDialog::eventFilter(watched, event);
    // The Enter is used up here, so it never reaches a button that has just got the focus.
    if (watched == ui->编辑框_户号 || watched == ui->编辑框_用户名)
        on_query_click();
    else if (watched == ui->实收)
        ui->收款金额->setFocus();
    else if (watched == ui->收款金额)
        on_amount_entered();
    else if (watched == ui->收费按钮 && ui->收费按钮->isEnabled())
        ui->收费按钮->click();
    else
        return QDialog::eventFilter(watched, event);
    return true;
}

void ChargingWindow::on_amount_entered() {
    // An empty amount means the cashier was handed the exact sum: no change to work out.
    if (!platform::text_trim(ui->收款金额->text()).isEmpty() && !work_out_change()) return;
    if (ui->收费按钮->isEnabled()) ui->收费按钮->setFocus();
}

bool ChargingWindow::work_out_change() {
    const CashEntry cash = cash_handed(ui->收款金额->text(), ui->实收->text());
    ui->找零->setText(change_text(cash));
    if (cash.is_amount) return true;
    platform::inform(cash_short_text(cash));
    focus_cash();
    return false;
}

void ChargingWindow::clear_bill(bool clear_household) {
    if (clear_household) {
        ui->编辑框_用户名->clear();
        ui->标签_详细地址->clear();
        ui->标签_居住街道->clear();
        ui->标签_用户性质->clear();
    }
    show_bill(ChargingBill{});
    ui->实收->clear();
    ui->收款金额->clear();
    ui->找零->clear();
    ui->收费按钮->setEnabled(false);
    ui->编辑框_户号->selectAll();
    ui->编辑框_户号->setFocus();
}

QString ChargingWindow::base_caption() const {
    return kind_ == Kind::Counter ? QStringLiteral("窗口收费") : QStringLiteral("磁卡收费");
}

std::vector<qint64>& ChargingWindow::bill_numbers_slot() {
    return kind_ == Kind::Counter ? shell::counter_bill_numbers : shell::card_bill_numbers;
}
const std::vector<qint64>& ChargingWindow::bill_numbers() const {
    return kind_ == Kind::Counter ? shell::counter_bill_numbers : shell::card_bill_numbers;
}

bool ChargingWindow::refresh_invoice(bool on_opening) {
    if (shell::system_parameters.invoice_management != kInvoiceOn) return true;
    if (on_opening && shell::current_operator == shell::kAdministrator) {
        platform::inform(QStringLiteral("管理员不能收费!"));
        return false;
    }
    const tariffs::InvoiceRecount recount = tariffs::refresh_current_invoice_number();
    for (const QString& failure : recount.failures)
        platform::message_box(failure, QString(), platform::MsgIcon::None, platform::MsgButtons::Ok,
                              this);
    if (tariffs::current_invoice_number().isEmpty()) {
        platform::inform(QStringLiteral("发票已经用完，请设置发票！"));
        return false;
    }
    setWindowTitle(base_caption() + QStringLiteral("  当前发票号：") +
                   tariffs::current_invoice_number());
    return true;
}

void ChargingWindow::on_window_create() {
    setWindowTitle(base_caption());
    if (!refresh_invoice(true)) {
        opened_ = false;
        return;
    }
    if (shell::system_parameters.invoice_management != kInvoiceOn)
        shell::current_invoice_number.clear();

    ui->收费人员选择框->clear();
    if (shell::current_operator == shell::kAdministrator) {
        ui->收费人员选择框->addItems(shell::offer_collector_setup(this));
        ui->收费人员选择框->setCurrentIndex(-1);
    } else {
        ui->收费人员选择框->addItem(shell::current_operator);
        ui->收费人员选择框->setCurrentIndex(0);
    }
    ui->打印张数->setText(shell::settings::receipt_copies_text());

    set_columns(ui->表单, {{QStringLiteral("项目"), 60},
                           {QStringLiteral("起数"), 60},
                           {QStringLiteral("止数"), 60},
                           {QStringLiteral("用量"), 50},
                           {QStringLiteral("价格"), 60},
                           {QStringLiteral("金额"), 70},
                           {QStringLiteral("抄表日期"), 100}});
    set_columns(ui->表单1, {{QStringLiteral("项目"), 90},
                            {QStringLiteral("名称"), 90},
                            {QStringLiteral("用量"), 90},
                            {QStringLiteral("价格"), 90},
                            {QStringLiteral("金额"), 90}});
    keep_columns_visible(ui->表单);
    keep_columns_visible(ui->表单1);
    bill_numbers_slot().clear();
    ui->编辑框_户号->setText(
        kind_ == Kind::Counter ? shell::system_parameters.household_number_prefix : QString());
    ui->编辑框_户号->end(false);
    ui->编辑框_户号->setFocus();
}

void ChargingWindow::on_query_click() {
    if (!refresh_invoice(false)) return;
    const QString prefix = shell::system_parameters.household_number_prefix;
    const QString entry = ui->编辑框_户号->text();
    LookupBy by;
    QString key;
    if (!entry.isEmpty() && platform::text_trim(entry) != prefix) {
        by = kind_ == Kind::Counter ? LookupBy::Number : LookupBy::Card;
        key = entry;
    } else if (!ui->编辑框_用户名->text().isEmpty()) {
        by = LookupBy::Name;
        key = ui->编辑框_用户名->text();
    } else {
        platform::inform(kind_ == Kind::Counter ? QStringLiteral("用户姓名或户号不能为空！")
                                                : QStringLiteral("用户姓名或卡号不能为空！"));
        ui->编辑框_户号->setFocus();
        ui->收费按钮->setEnabled(false);
        return;
    }
    platform::Connection& db = store::main_connection();
    const HouseholdFound found = find_household(db, by, key);
    if (!found.found) {
        platform::inform(kNoSuchHousehold);
        // Nothing of the household shown before may stay payable under a number just refused.
        clear_bill(by != LookupBy::Name);
        return;
    }
    ui->编辑框_用户名->setText(found.name);
    ui->标签_详细地址->setText(found.address);
    ui->标签_居住街道->setText(found.street);
    if (kind_ == Kind::Counter) ui->编辑框_户号->setText(found.number);
    ui->标签_用户性质->setText(found.meter_label());
    if (count_unpaid_bills(db, found.number) == 0) {
        platform::inform(kNothingToPay, kNothingToPayCaption);
        clear_bill(false);
        return;
    }
    const shell::RunContext context = shell::program_context();
    tariffs::apply_late_fees_to_unpaid_charges(db, found.number, context.parameters,
                                               context.today());
    fill_charging_bill(found.number);
    // What the log row names: the household shown (the card for the card window), whatever
    // the entry box holds by the time 收费 is pressed.
    charged_entry_ = kind_ == Kind::Counter ? found.number : entry;
    shown_household_ = found.number;
    ui->收款金额->clear();
    ui->找零->clear();
    // The next thing the cashier types is the sum handed over.
    ui->收款金额->setFocus();
}

void ChargingWindow::fill_charging_bill(const QString& household) {
    show_bill(load_charging_bill(store::main_connection(), household));
}

void ChargingWindow::show_bill(const ChargingBill& bill) {
    platform::listview_clear_rows(ui->表单);
    platform::listview_clear_rows(ui->表单1);
    bill_numbers_slot() = bill.bill_numbers;
    fill_rows(ui->表单, bill.readings);
    fill_rows(ui->表单1, bill.surcharges);
    // The bill's columns all stay in sight; the household search list scrolls sideways instead,
    // so that long addresses do not widen the window past the screen.
    keep_columns_visible(ui->表单);
    keep_columns_visible(ui->表单1);
    ui->本月金额->setText(bill.amount_billed_text());
    ui->实收->setText(bill.to_collect_text());
    ui->滞纳金->setText(bill.late_fee_text());
    ui->上月结存->setText(bill.carry_in_text());
    ui->本月结余->setText(bill.carry_out_text());
    carry_over_ = platform::to_number(ui->本月结余->text());
    ui->应收->setText(bill.due_text());
    ui->减免金额->setText(bill.reduction_text());
    ui->预存扣款->setText(bill.prepaid_text());
    // Nothing listed, nothing to charge: the bills may have been paid since the unpaid test.
    ui->收费按钮->setEnabled(!bill.bill_numbers.empty());
}

void ChargingWindow::on_received_changed() {
    ui->本月结余->setText(carry_over_after_received(ui->实收->text(), ui->应收->text(),
                                                    ui->减免金额->text(), ui->预存扣款->text()));
}

void ChargingWindow::on_change_calc_click() { work_out_change(); }

void ChargingWindow::on_charge_click() {
    PaymentRequest request;
    request.household = shown_household_;
    request.bills = bill_numbers();
    request.collector = ui->收费人员选择框->currentText();
    request.date = ui->日期框_收费日期->date();
    request.invoice_number = shell::current_invoice_number;
    request.rule = kind_ == Kind::Counter ? SerialRule::Counter : SerialRule::Coded;
    request.carry_over = CarryOverChange{platform::to_number(ui->本月结余->text()), carry_over_};
    request.cash = cash_handed(ui->收款金额->text(), ui->实收->text());
    // The change is on screen before anything is charged or printed, whichever key charged.
    ui->找零->setText(change_text(request.cash));
    if (const QString short_text = cash_short_text(request.cash); !short_text.isEmpty()) {
        platform::inform(short_text);
        focus_cash();
        return;
    }
    const UnderpaymentCheck shortfall = check_underpayment(
        request, shell::system_parameters.personal_account == QStringLiteral("开启"));
    if (shortfall.step == UnderpaymentStep::Refuse) {
        platform::inform(shortfall.text);
        ui->实收->setFocus();
        return;
    }
    if (shortfall.step == UnderpaymentStep::Ask) {
        if (platform::message_box(shortfall.text, platform::kDefaultCaption,
                                  platform::MsgIcon::Question, platform::MsgButtons::OkCancel,
                                  this) != platform::MsgResult::Ok)
            return;
        request.arrears_confirmed = true;
    }
    request.log =
        PaymentLog{shell::program_context(), QStringLiteral("收费管理"), QStringLiteral("窗口收费"),
                   QStringLiteral("添加收费记录") + charged_entry_};
    const PaymentOutcome outcome = take_payment(store::main_connection(), request,
                                                shell::system_parameters.payment_serial_digits);
    show_boxes(outcome.messages, this);
    if (!outcome.done) {
        if (outcome.focus_collector) ui->收费人员选择框->setFocus();
        if (outcome.focus_cash) focus_cash();
        if (outcome.bills_changed) ui->收费按钮->setEnabled(false);
        return;
    }
    platform::play_sound(reading::confirmation_sound_path());
    ui->收费按钮->setEnabled(false);
    if (outcome.log_failed) platform::inform(QStringLiteral("添加日志失败！"));
    if (ui->打印选择框->isChecked())
        print_charge_receipts(outcome.serial, receipt_copies(ui->打印张数->text()));
    ui->编辑框_户号->setText(
        kind_ == Kind::Counter ? shell::system_parameters.household_number_prefix : QString());
    ui->编辑框_户号->end(false);
    ui->编辑框_户号->setFocus();
}

void ChargingWindow::focus_cash() {
    ui->收款金额->setFocus();
    ui->收款金额->selectAll();
}

void ChargingWindow::on_close_click() { close(); }

CounterChargingWindow::CounterChargingWindow(QWidget* parent)
    : ChargingWindow(Kind::Counter, parent) {
    setObjectName(QStringLiteral("CounterChargingWindow"));
    form()->组合框_查询方式->addItems({kSearchByName, kSearchByMeter, kSearchByStreet});
    form()->组合框_查询方式->setCurrentIndex(-1);
    platform::setup_report_view(form()->抄表机_列表框);
    set_columns(form()->抄表机_列表框, {{QStringLiteral("户号"), 70},
                                        {QStringLiteral("用户名"), 70},
                                        {QStringLiteral("电表编号"), 80},
                                        {QStringLiteral("居住街道"), 70},
                                        {QStringLiteral("详细地址"), 100}});
    keep_columns_visible(form()->抄表机_列表框);
    connect(form()->编辑框_查询内容, &QLineEdit::returnPressed, this,
            [this] { on_counter_household_search_click(); });
    connect(form()->按钮_户号查询, &QPushButton::clicked, this,
            [this] { on_counter_household_search_click(); });
    connect(form()->抄表机_列表框, &QTableView::doubleClicked, this,
            [this] { on_counter_household_list_double_click(); });
}

void CounterChargingWindow::on_counter_household_search_click() {
    const QString content = platform::text_trim(form()->编辑框_查询内容->text());
    if (content.isEmpty()) {
        platform::inform(QStringLiteral("请输入查询内容！"));
        form()->编辑框_查询内容->setFocus();
        return;
    }
    platform::listview_clear_rows(form()->抄表机_列表框);
    const QList<QStringList> rows = search_households(
        store::main_connection(), form()->组合框_查询方式->currentText(), content);
    QList<QStringList> shown;
    for (const QStringList& r : rows)
        shown.append({r.value(0), r.value(1), r.value(2), r.value(3), r.value(4)});
    fill_rows(form()->抄表机_列表框, shown);
}

void CounterChargingWindow::on_counter_household_list_double_click() {
    const int row = platform::listview_selected_row(form()->抄表机_列表框);
    if (row < 0) return;
    const QString number = platform::listview_cell_text(form()->抄表机_列表框, row, 0);
    if (number.isEmpty()) return;
    form()->编辑框_户号->setText(number);
    on_query_click();
}

CardChargingWindow::CardChargingWindow(QWidget* parent) : ChargingWindow(Kind::Card, parent) {
    setObjectName(QStringLiteral("CardChargingWindow"));
}

namespace {

template <typename Window>
void open_charging_window(shell::MainWindow* main_window, const QString& item) {
    if (!shell::require_permission(item)) return;
    if (main_window) main_window->select_content_page(shell::kPageWelcome);
    Window window(main_window);
    if (!window.opened()) return;
    platform::window_open_modal(&window);
}

}  // namespace

void on_main_nav_counter_charging_click(shell::MainWindow* main_window) {
    open_charging_window<CounterChargingWindow>(main_window, QStringLiteral("窗口收费"));
}

void on_main_nav_card_charging_click(shell::MainWindow* main_window) {
    open_charging_window<CardChargingWindow>(main_window, QStringLiteral("磁卡收费"));
}

}  // namespace charging
