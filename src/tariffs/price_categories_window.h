#pragma once
// Price categories (水价类别): the list window "价格类别设置" and its edit dialog
// "价格类别信息". A category belongs to one fee item for good; its name may change, but never
// onto a name the fee item already has.
#include <memory>

#include "tariffs/maintenance_window.h"

namespace Ui {
class PriceCategoriesWindow;
class PriceCategoryInfoWindow;
}  // namespace Ui

namespace tariffs {

class PriceCategoriesWindow : public MaintenanceListWindow {
    Q_OBJECT

public:
    explicit PriceCategoriesWindow(QWidget* parent = nullptr);
    ~PriceCategoriesWindow() override;

    void fill_price_categories_list() { fill_list(); }
    Ui::PriceCategoriesWindow* form() const { return ui.get(); }

protected:
    void open_info(const QString& mode) override;
    QString delete_refusal(const QStringList& row) override;
    Question delete_question(const QStringList& row) override;
    Outcome remove(const QStringList& row) override;

private:
    std::unique_ptr<Ui::PriceCategoriesWindow> ui;
};

class PriceCategoryInfoWindow : public MaintenanceInfoDialog {
    Q_OBJECT

public:
    // `row`: the list row being modified (收费项目, 类别名称, 类别价格, 基本度数, 损耗比例, 编号).
    explicit PriceCategoryInfoWindow(QWidget* parent = nullptr, const QString& mode = kModeAdd,
                                     const QStringList& row = {});
    ~PriceCategoryInfoWindow() override;

    Ui::PriceCategoryInfoWindow* form() const { return ui.get(); }

protected:
    Outcome save() override;
    QWidget* field_box(Field field) override;

private:
    std::unique_ptr<Ui::PriceCategoryInfoWindow> ui;
    QString previous_name_;
};

// Menu 基本设置 > 价格类别设置: the permission "价格类别设置", the welcome page, then
// PriceCategoriesWindow modally.
void on_menu_price_categories(QWidget* owner = nullptr);

}  // namespace tariffs
