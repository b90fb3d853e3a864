#pragma once
// MeterInfoWindow (计量信息): the form that adds a meter account to a household or modifies one.
// It opens in the mode meter_form_mode holds ("添加" or "修改"); in mode 修改 it loads the
// account selected in the meter page's list. After a successful save the form closes and the
// meter page shows every account set up on the form's date, newest first.
#include <QDialog>
#include <memory>

#include "platform/db.h"

namespace Ui {
class MeterInfoWindow;
}

namespace households {

class MeterListPage;

class MeterInfoWindow : public QDialog {
    Q_OBJECT

public:
    // page: the meter page whose selection mode 修改 loads and whose list a save refills; may be
    // null (nothing loaded, nothing refilled).
    explicit MeterInfoWindow(MeterListPage* page, QWidget* parent = nullptr);
    ~MeterInfoWindow() override;

    Ui::MeterInfoWindow* form() const { return ui.get(); }

    // Loads the selected meter account (mode 修改).
    void load_meter_into_form();
    // 按钮_收费: validates, then adds or updates the account.
    void on_meter_form_save_click();
    // Focus leaving 编辑框_户号 / 编辑框_磁卡号码: shows the household of the number typed.
    void on_meter_household_number_lost_focus();
    void on_meter_card_number_lost_focus();
    // 组合框_收费项目 chosen: its price categories, nothing selected.
    void on_meter_fee_item_changed();
    // 组合框_抄表人员 chosen: property-fee accounts are read by 系统.
    void on_meter_reader_changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Household look-up by a column of 用户信息表; true when a household was shown.
    bool show_household(const QString& column, const QString& value);

    std::unique_ptr<Ui::MeterInfoWindow> ui;
    MeterListPage* page_;
    bool loading_ = false;         // combo boxes being filled: no selection handlers
};

}  // namespace households
