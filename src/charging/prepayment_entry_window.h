#pragma once
// The prepayment entry window (预存添加): looks a household up by number or card, takes the
// amount, collector and day, and stores a new prepayment (which settles the household's unpaid
// bills from its balance) or, opened in modify mode, changes the one selected in the 预存明细
// list. The receipts print only after the row is committed.
#include <QDialog>
#include <memory>

class QTableView;

namespace Ui {
class PrepaymentEntryWindow;
}

namespace charging {

class PrepaymentEntryWindow : public QDialog {
    Q_OBJECT

public:
    // `prepay_list`: the 预存明细 list whose selected row modify mode loads (and refills).
    explicit PrepaymentEntryWindow(QTableView* prepay_list, QWidget* parent = nullptr);
    ~PrepaymentEntryWindow() override;

    Ui::PrepaymentEntryWindow* form() const { return ui.get(); }
    // False when the window closed itself while opening (no invoice left, a void or missing
    // row): it is not to be shown.
    bool opened() const { return opened_; }
    qint64 loaded_receipt() const { return receipt_; }

    void on_prepay_household_enter();  // Enter in 编辑框_户号 or 编辑框_磁卡号码
    void on_prepay_charge_click();     // 按钮_收费
    void on_prepay_cancel_click();     // 按钮_取消

private:
    void on_window_create();
    bool load_selected_row();
    // Every operator but the administrator; `selected` chosen (the first when missing), or none.
    void fill_collectors(const QString* selected);

    std::unique_ptr<Ui::PrepaymentEntryWindow> ui;
    QTableView* list_;
    bool opened_ = true;
    qint64 receipt_ = 0;        // modify mode: the loaded row's receipt number
    double former_amount_ = 0;  // modify mode: its amount when loaded
};

}  // namespace charging
