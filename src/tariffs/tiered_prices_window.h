#pragma once
// Tiers (阶梯信息): the list window "阶梯价格设置" and its edit dialog "阶梯信息". A tier's
// start is the previous tier's upper bound plus 1 and can't be typed; a new tier is numbered
// one past the category's highest number. Edits and deletes touch the chosen fee item's tier
// only, even when another fee item has a category of the same name.
#include <memory>

#include "tariffs/maintenance_window.h"

namespace Ui {
class TieredPricesWindow;
class TierInfoWindow;
}  // namespace Ui

namespace tariffs {

class TieredPricesWindow : public MaintenanceListWindow {
    Q_OBJECT

public:
    explicit TieredPricesWindow(QWidget* parent = nullptr);
    ~TieredPricesWindow() override;

    void fill_tier_prices_list() { fill_list(); }
    Ui::TieredPricesWindow* form() const { return ui.get(); }

protected:
    void open_info(const QString& mode) override;
    QString delete_refusal(const QStringList& row) override;
    Question delete_question(const QStringList& row) override;
    Outcome remove(const QStringList& row) override;

private:
    std::unique_ptr<Ui::TieredPricesWindow> ui;
};

class TierInfoWindow : public MaintenanceInfoDialog {
    Q_OBJECT

public:
    // `row`: the list row being modified (收费项目, 类别名称, 类别价格, 阶梯区间, 阶梯序号).
    explicit TierInfoWindow(QWidget* parent = nullptr, const QString& mode = kModeAdd,
                            const QStringList& row = {});
    ~TierInfoWindow() override;

    // A fee item picked: its categories, none picked.
    void on_fee_item_picked();
    // A category picked: the start box shows the next start.
    void on_category_picked();
    // The start box took the focus: it can't be changed, the focus goes on to the stop box.
    void on_start_box_focused();
    Ui::TierInfoWindow* form() const { return ui.get(); }

protected:
    Outcome save() override;
    QWidget* field_box(Field field) override;
    void focus_refusal(const Outcome& outcome) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TierInfoWindow> ui;
    QString number_;
};

// Menu 基本设置 > 阶梯价格设置: the permission "阶梯价格设置", then TieredPricesWindow modally.
void on_menu_tiered_prices(QWidget* owner = nullptr);

}  // namespace tariffs
