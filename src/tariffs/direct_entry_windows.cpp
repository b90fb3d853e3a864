#include "tariffs/direct_entry_windows.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>

#include "platform/convert.h"
#include "platform/dialogs.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "store/main_database.h"
#include "ui_banks_window.h"
#include "ui_monthly_base_adjust_window.h"

namespace tariffs {

// ---- monthly base-quantity windows ----

MonthlyBaseAdjustWindow::MonthlyBaseAdjustWindow(QWidget* parent)
    : MaintenanceListWindow(TariffTable::BaseAdjustments, parent), ui(std::make_unique<Ui::MonthlyBaseAdjustWindow>()) {
    ui->setupUi(this);
    ui->日期框_起->setDate(platform::today());
    ui->日期框_止->setDate(platform::today());
    set_up({ui->调整列表框, ui->按钮_添加, nullptr, ui->按钮_删除, ui->按钮_返回});
    set_combo_items(ui->组合框_收费项目, fee_item_names(store::main_connection()));
    connect(ui->组合框_收费项目, &QComboBox::currentIndexChanged, this, [this] { on_fee_item_picked(); });
    focus_box(ui->编辑框_方数, true);
}

MonthlyBaseAdjustWindow::~MonthlyBaseAdjustWindow() = default;

void MonthlyBaseAdjustWindow::on_fee_item_picked() {
    const QString fee_item = ui->组合框_收费项目->currentText();
    if (fee_item.isEmpty()) return;
    set_combo_items(ui->组合框_价格类别, price_category_names(store::main_connection(), fee_item, true));
}

void MonthlyBaseAdjustWindow::add() {
    BaseAdjustment window;
    window.start = ui->日期框_起->date();
    window.end = ui->日期框_止->date();
    window.fee_item = ui->组合框_收费项目->currentText();
    window.category = ui->组合框_价格类别->currentText();
    window.quantity = ui->编辑框_方数->text();
    const Outcome outcome =
        add_base_adjustment(store::main_connection(), window, shell::program_context());
    show_outcome(outcome, this);
    if (outcome.done) {
        fill_list();
        return;
    }
    switch (outcome.focus) {
        case Field::Category: ui->组合框_价格类别->setFocus(); break;
        case Field::FeeItem: ui->组合框_收费项目->setFocus(); break;
        case Field::Quantity: ui->编辑框_方数->setFocus(); break;
        default: break;
    }
}

Question MonthlyBaseAdjustWindow::delete_question(const QStringList& row) {
    return base_adjustment_delete_question(row.value(0));
}

Outcome MonthlyBaseAdjustWindow::remove(const QStringList& row) {
    return delete_base_adjustment(store::main_connection(), row.value(0), shell::program_context());
}

void on_menu_monthly_base_adjust(QWidget* owner) {
    if (!shell::require_permission(QStringLiteral("单月收费设置"))) return;
    MonthlyBaseAdjustWindow window(owner);
    platform::window_open_modal(&window);
}

// ---- banks ----

BanksWindow::BanksWindow(QWidget* parent)
    : MaintenanceListWindow(TariffTable::Banks, parent), ui(std::make_unique<Ui::BanksWindow>()) {
    ui->setupUi(this);
    set_up({ui->超级列表框1, ui->按钮1, nullptr, ui->删除, ui->按钮3});
    // Enter in the name box adds the bank.
    connect(ui->编辑框1, &QLineEdit::returnPressed, ui->按钮1, &QPushButton::click);
    ui->编辑框1->setFocus();
}

BanksWindow::~BanksWindow() = default;

void BanksWindow::add() {
    const Outcome outcome =
        add_bank(store::main_connection(), ui->编辑框1->text(), shell::program_context());
    show_outcome(outcome, this);
    if (outcome.done) {
        fill_list();
        ui->编辑框1->clear();
        ui->编辑框1->setFocus();
    } else if (outcome.focus == Field::Name) {
        ui->编辑框1->setFocus();
    }
}

QString BanksWindow::delete_refusal(const QStringList& row) { return bank_delete_refusal(row.value(0)); }

Question BanksWindow::delete_question(const QStringList& row) { return bank_delete_question(row.value(0)); }

Outcome BanksWindow::remove(const QStringList& row) {
    return delete_bank(store::main_connection(), row.value(0), shell::program_context());
}

void on_menu_banks(QWidget* owner) {
    if (!shell::require_permission(QStringLiteral("开户银行设置"))) return;
    if (shell::MainWindow* main = shell::main_window()) main->select_content_page(shell::kPageWelcome);
    BanksWindow window(owner);
    platform::window_open_modal(&window);
}

}  // namespace tariffs
