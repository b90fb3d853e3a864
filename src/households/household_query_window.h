#pragma once
// The household query window (caption "用户查询"): one condition out of six (number range,
// registration dates, name or mnemonic, street, kind, card number). 确定 builds the statement,
// closes the window and fills the query list of page 1 (fill_household_query_list).
#include <QDialog>
#include <QString>
#include <memory>

#include "platform/db.h"

namespace Ui {
class HouseholdQueryWindow;
}

namespace households {

class HouseholdQueryWindow : public QDialog {
    Q_OBJECT

public:
    explicit HouseholdQueryWindow(QWidget* parent = nullptr);
    ~HouseholdQueryWindow() override;

    // Creation: streets into 组合框_街道 (first selected), the number option ticked with the
    // number prefix in 编辑框_户号起, which gets the focus.
    void on_household_query_created();
    // 按钮_确定: the statement of the ticked option; on a refusal the window stays open.
    void on_household_query_ok_click();
    // 按钮_取消
    void on_household_query_cancel_click();
    void on_household_query_number_option_click();
    void on_household_query_name_option_click();
    void on_household_query_card_option_click();
    // Each change of 编辑框_户号起 is copied into 编辑框_户号止.
    void on_household_query_number_from_changed();

    // The statement the ticked option makes, or "" after a refusal (message shown).
    QString build_query_statement();

    Ui::HouseholdQueryWindow* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::HouseholdQueryWindow> ui;
    platform::RecordSet records_;  // 记录集1
};

}  // namespace households
