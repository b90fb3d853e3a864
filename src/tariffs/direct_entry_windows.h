#pragma once
// The two price-book windows that add rows straight from their own boxes, without an edit
// dialog: the monthly base-quantity windows (基本方调整, "单月收费基本方调整") and the banks
// (开户银行, "开户银行设置"). Neither has a modify: a row is deleted and added again.
#include <memory>

#include "tariffs/maintenance_window.h"

namespace Ui {
class MonthlyBaseAdjustWindow;
class BanksWindow;
}  // namespace Ui

namespace tariffs {

class MonthlyBaseAdjustWindow : public MaintenanceListWindow {
    Q_OBJECT

public:
    explicit MonthlyBaseAdjustWindow(QWidget* parent = nullptr);
    ~MonthlyBaseAdjustWindow() override;

    void fill_base_adjust_list() { fill_list(); }
    // A fee item picked: its categories in 编号 order.
    void on_fee_item_picked();
    Ui::MonthlyBaseAdjustWindow* form() const { return ui.get(); }

protected:
    void add() override;
    QString delete_refusal(const QStringList& row) override { return {}; }
    Question delete_question(const QStringList& row) override;
    Outcome remove(const QStringList& row) override;
    bool silent_without_selection() const override { return true; }

private:
    std::unique_ptr<Ui::MonthlyBaseAdjustWindow> ui;
};

class BanksWindow : public MaintenanceListWindow {
    Q_OBJECT

public:
    explicit BanksWindow(QWidget* parent = nullptr);
    ~BanksWindow() override;

    void fill_banks_list() { fill_list(); }
    Ui::BanksWindow* form() const { return ui.get(); }

protected:
    void add() override;
    QString delete_refusal(const QStringList& row) override;
    Question delete_question(const QStringList& row) override;
    Outcome remove(const QStringList& row) override;

private:
    std::unique_ptr<Ui::BanksWindow> ui;
};

// Menu 基本设置 > 单月收费基本度数调整: the permission "单月收费设置", then the window modally.
void on_menu_monthly_base_adjust(QWidget* owner = nullptr);
// Menu 基本设置 > 开户银行设置: the permission "开户银行设置", the welcome page, then BanksWindow.
void on_menu_banks(QWidget* owner = nullptr);

}  // namespace tariffs
