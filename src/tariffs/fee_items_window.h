#pragma once
// Fee items (收费项目): the list window "收费项目" and its edit dialog "收费项目信息". The
// three system items 物业, 电费 and 水费 are never deleted; a name never changes once added.
#include <memory>

#include "tariffs/maintenance_window.h"

namespace Ui {
class FeeItemsWindow;
class FeeItemInfoWindow;
}  // namespace Ui

namespace tariffs {

class FeeItemsWindow : public MaintenanceListWindow {
    Q_OBJECT

public:
    explicit FeeItemsWindow(QWidget* parent = nullptr);
    ~FeeItemsWindow() override;

    void fill_fee_items_list() { fill_list(); }
    Ui::FeeItemsWindow* form() const { return ui.get(); }

protected:
    void open_info(const QString& mode) override;
    QString delete_refusal(const QStringList& row) override;
    Question delete_question(const QStringList& row) override;
    Outcome remove(const QStringList& row) override;

private:
    std::unique_ptr<Ui::FeeItemsWindow> ui;
};

class FeeItemInfoWindow : public MaintenanceInfoDialog {
    Q_OBJECT

public:
    // In "修改" mode the fee item named `name` is loaded and its name box disabled.
    explicit FeeItemInfoWindow(QWidget* parent = nullptr, const QString& mode = kModeAdd,
                               const QString& name = QString());
    ~FeeItemInfoWindow() override;

    // Picking "实际用量模式" switches 收零用量 to "关闭".
    void on_billing_mode_picked();
    Ui::FeeItemInfoWindow* form() const { return ui.get(); }

protected:
    Outcome save() override;
    QWidget* field_box(Field field) override;

private:
    std::unique_ptr<Ui::FeeItemInfoWindow> ui;
    bool loading_ = false;
};

// Menu 基本设置 > 收费项目设置: the permission "收费项目设置", then FeeItemsWindow modally.
void on_menu_fee_items(QWidget* owner = nullptr);

}  // namespace tariffs
