#pragma once
// HouseholdMeterQueryWindow (用户计量查询): picks meter accounts for the meter page by one
// condition (household range, name or mnemonic, street, meter number, reader, fee item with or
// without price category, set-up dates, card number), optionally narrowed to one state. The
// confirm button closes the window and fills the page's list.
#include <QDialog>
#include <memory>

#include "platform/db.h"

namespace Ui {
class HouseholdMeterQueryWindow;
}

namespace households {

class MeterListPage;

class HouseholdMeterQueryWindow : public QDialog {
    Q_OBJECT

public:
    // page: the meter page the query fills; may be null (the statement is only built).
    explicit HouseholdMeterQueryWindow(MeterListPage* page, QWidget* parent = nullptr);
    ~HouseholdMeterQueryWindow() override;

    Ui::HouseholdMeterQueryWindow* form() const { return ui.get(); }

    // The whole statement for the ticked condition; empty after a refusal (its message shown,
    // the focus on the missing input).
    QString build_meter_query();
    // 按钮_确定: the statement, then the window closes and the page's list is filled.
    void on_meter_query_ok_click();
    // Choosing a fee item: its price categories.
    void on_meter_query_fee_item_changed();

private:
    std::unique_ptr<Ui::HouseholdMeterQueryWindow> ui;
    MeterListPage* page_;
    platform::RecordSet records_;  // 记录集1
};

}  // namespace households
