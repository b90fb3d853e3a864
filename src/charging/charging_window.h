#pragma once
// The counter charging window (窗口收费) and its twin keyed by card number (磁卡收费): find a
// household, show its unpaid bills and figures, let the cashier change the amount received and
// work out the change, and pay every shown bill under one serial through take_payment. The
// sound, the log row and the receipts follow only a committed payment.
#include <QDialog>
#include <QString>
#include <memory>
#include <vector>

#include "charging/charging_bill.h"

namespace Ui {
class ChargingWindowForm;
}
namespace shell {
class MainWindow;
}

namespace charging {

class ChargingWindow : public QDialog {
    Q_OBJECT

public:
    enum class Kind { Counter, Card };
    ~ChargingWindow() override;

    Ui::ChargingWindowForm* form() const { return ui.get(); }
    // False when opening refused the operator or found no invoice: the window is not shown.
    bool opened() const { return opened_; }
    double carry_over() const { return carry_over_; }
    const std::vector<qint64>& bill_numbers() const;

    void on_query_click();
    void on_received_changed();
    void on_change_calc_click();
    void on_charge_click();
    void on_close_click();

protected:
    ChargingWindow(Kind kind, QWidget* parent);
    // The caption's first words: "窗口收费" or "磁卡收费".
    QString base_caption() const;
    void fill_charging_bill(const QString& household);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void on_window_create();
    void set_up_keyboard();
    // Enter in 本次收款: the change, then the focus on 收费 so that the next Enter charges.
    void on_amount_entered();
    void show_bill(const ChargingBill& bill);
    // After a failed look-up: no bill, figure or household of before stays on screen.
    void clear_bill(bool clear_household);
    std::vector<qint64>& bill_numbers_slot();
    // Refreshes the invoice number when invoices are managed; false when none is left.
    bool refresh_invoice(bool on_opening);
    // 本次收款 takes the focus with its text selected, for the cashier to type it again.
    void focus_cash();
    // 本次找零 worked out from 本次收款 and shown; false, with the refusal shown and 本次收款 to
    // type again, when 本次收款 holds no amount.
    bool work_out_change();

    Kind kind_;
    std::unique_ptr<Ui::ChargingWindowForm> ui;
    bool opened_ = true;
    double carry_over_ = 0;
    QString charged_entry_;  // the household number (card number) of the bills shown
    QString shown_household_;  // the household whose bills are shown: the only one paid
};

class CounterChargingWindow : public ChargingWindow {
    Q_OBJECT

public:
    explicit CounterChargingWindow(QWidget* parent = nullptr);
    const std::vector<qint64>& counter_bill_numbers() const { return bill_numbers(); }
    void on_counter_query_click() { on_query_click(); }
    void on_counter_charge_click() { on_charge_click(); }
    void on_counter_household_search_click();
    void on_counter_household_list_double_click();
    void on_counter_received_got_focus() {}
    void on_counter_received_changed() { on_received_changed(); }
    void on_counter_change_calc_click() { on_change_calc_click(); }
    void on_counter_close_click() { on_close_click(); }
    void fill_counter_charging_bill(const QString& household) { fill_charging_bill(household); }
    double counter_carry_over() const { return carry_over(); }
};

class CardChargingWindow : public ChargingWindow {
    Q_OBJECT

public:
    explicit CardChargingWindow(QWidget* parent = nullptr);
    void on_card_query_click() { on_query_click(); }
    void on_card_charge_click() { on_charge_click(); }
    void on_card_received_changed() { on_received_changed(); }
    void on_card_change_calc_click() { on_change_calc_click(); }
    void on_card_close_click() { on_close_click(); }
    void fill_card_charging_bill(const QString& household) { fill_charging_bill(household); }
    const std::vector<qint64>& card_bill_numbers() const { return bill_numbers(); }
    double card_carry_over() const { return carry_over(); }
};

// The navigation entries (F8, F9): permission, the welcome page, then the window, modally.
void on_main_nav_counter_charging_click(shell::MainWindow* main_window);
void on_main_nav_card_charging_click(shell::MainWindow* main_window);

}  // namespace charging
