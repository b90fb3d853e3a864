#pragma once
// Surcharges (附加费): the list window "附加费设置" and its edit dialog "附加费信息". A
// surcharge is keyed by its name, category and fee item; edits and deletes touch that one row.
#include <memory>

#include "tariffs/maintenance_window.h"

namespace Ui {
class SurchargesWindow;
class SurchargeInfoWindow;
}  // namespace Ui

namespace tariffs {

class SurchargesWindow : public MaintenanceListWindow {
    Q_OBJECT

public:
    explicit SurchargesWindow(QWidget* parent = nullptr);
    ~SurchargesWindow() override;

    void fill_surcharges_list() { fill_list(); }
    Ui::SurchargesWindow* form() const { return ui.get(); }

protected:
    void open_info(const QString& mode) override;
    QString delete_refusal(const QStringList& row) override;
    Question delete_question(const QStringList& row) override;
    Outcome remove(const QStringList& row) override;

private:
    std::unique_ptr<Ui::SurchargesWindow> ui;
};

class SurchargeInfoWindow : public MaintenanceInfoDialog {
    Q_OBJECT

public:
    // `row`: the list row being modified (收费项目, 价格类别, 计费方式, 附加费名称, 价格).
    explicit SurchargeInfoWindow(QWidget* parent = nullptr, const QString& mode = kModeAdd,
                                 const QStringList& row = {});
    ~SurchargeInfoWindow() override;

    // A fee item picked: its categories, none picked.
    void on_fee_item_picked();
    Ui::SurchargeInfoWindow* form() const { return ui.get(); }

protected:
    Outcome save() override;
    QWidget* field_box(Field field) override;

private:
    std::unique_ptr<Ui::SurchargeInfoWindow> ui;
    QString previous_name_;
};

// Menu 基本设置 > 附加费设置: the permission "附加费设置", then SurchargesWindow modally.
void on_menu_surcharges(QWidget* owner = nullptr);

}  // namespace tariffs
