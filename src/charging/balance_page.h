#pragma once
// Content page 8 of the main window (预存扣款): the prepaid balances in 预存扣款_列表框, asked
// for through the query window 用户结余, by household number, by card number or as the
// households with an amount due (余额不足), and 执行扣款, which settles unpaid bills from the
// balances. Export, print, column settings and save widths are the list pages' shared buttons.
#include <QDate>
#include <QDialog>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>

#include "charging/prepay_balance_list.h"

class QTableView;

namespace Ui {
class BalancePage;
class HouseholdBalanceWindow;
}  // namespace Ui

namespace shell {
class MainWindow;
}

namespace charging {

struct RadioCondition;

// Fills the list from a statement of prepay_balance_list.h: the twelve cells per household
// under the columns of class 预存扣款, then the red totals row.
void fill_prepay_balance_list(QTableView* list, const QString& statement, QWidget* window = nullptr);

// Rebuilds the balances with the insert statement (with the wait window), fills in the amounts
// due and lists the households in the standard select followed by the order clause.
void show_household_balances(QTableView* list, const QString& insert_statement,
                             const QString& order_clause, QWidget* window = nullptr);

class BalancePage : public QWidget {
    Q_OBJECT

public:
    explicit BalancePage(QWidget* parent = nullptr);
    ~BalancePage() override;

    QTableView* balance_list() const;
    Ui::BalancePage* form() const { return ui.get(); }

    void on_main_balance_query_click();         // 预存结余_查询 (用户结余)
    void on_main_balance_by_household_click();  // 预存结余_指定户号
    void on_main_balance_by_card_click();       // 预存结余_磁卡号码
    void on_main_balance_shortfall_click();     // 预存结余_余额不足
    void on_main_balance_deduct_click();        // 预存结余_执行扣款

private:
    void quick_query(const QString& insert_statement);

    std::unique_ptr<Ui::BalancePage> ui;
};

// The query window 用户结余: one condition by the first ticked radio button and an order;
// 确定 closes it and shows the balances on the page's list.
class HouseholdBalanceWindow : public QDialog {
    Q_OBJECT

public:
    explicit HouseholdBalanceWindow(QTableView* balance_list, QWidget* parent = nullptr);
    ~HouseholdBalanceWindow() override;

    Ui::HouseholdBalanceWindow* form() const { return ui.get(); }
    HouseholdBalanceQuery query() const;

    void on_balance_query_ok_click();
    void on_balance_query_cancel_click();

private:
    // The radio buttons in the order they are read, each with its condition's field.
    std::array<RadioCondition, 5> conditions() const;

    std::unique_ptr<Ui::HouseholdBalanceWindow> ui;
    QTableView* list_;
};

// The navigation entry 预存管理_预存扣款: shows the page with the empty list laid out.
void on_main_nav_prepay_deduction_click(shell::MainWindow* window, BalancePage& page);

}  // namespace charging
