#pragma once
// LateFeeWindow ("滞纳金设置"): the late-fee rule's four system parameters, saved together.
#include <QDialog>
#include <memory>

namespace Ui {
class LateFeeWindow;
}

namespace charging {

class LateFeeWindow : public QDialog {
    Q_OBJECT

public:
    explicit LateFeeWindow(QWidget* parent = nullptr);
    ~LateFeeWindow() override;

    // 组合框_计算方式 changed: the value's caption and unit follow the method.
    void on_late_fee_method_changed();
    // 按钮_保存
    void on_late_fee_save_click();
    // 按钮_返回
    void on_late_fee_back_click();

    Ui::LateFeeWindow* form() const { return ui.get(); }

private:
    void on_late_fee_window_create();

    std::unique_ptr<Ui::LateFeeWindow> ui;
};

// Menu 基本设置 > 滞纳金设置: needs "滞纳金设置"; opens the window modally.
void on_main_menu_late_fee_click(QWidget* owner = nullptr);

}  // namespace charging
