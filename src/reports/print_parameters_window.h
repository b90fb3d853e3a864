#pragma once
// PrintParametersWindow "打印参数设置": whether receipts open the preview, how many copies the
// charging windows print, and, for one of the two receipt templates, the designer and the
// restore of the shipped template.
#include <QDialog>
#include <memory>

namespace Ui {
class PrintParametersWindow;
}

namespace reports {

class PrintParametersWindow : public QDialog {
    Q_OBJECT

public:
    explicit PrintParametersWindow(QWidget* parent = nullptr);
    ~PrintParametersWindow() override;

    // Loads the two settings into the boxes.
    void on_print_parameters_created();
    // 按钮1
    void on_print_parameters_save_click();
    // 按钮_发票设计
    void on_print_parameters_design_click();
    // 按钮4
    void on_print_parameters_restore_click();
    // 按钮2
    void on_print_parameters_return_click();

    Ui::PrintParametersWindow* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::PrintParametersWindow> ui;
};

// Menu 基本设置 > 打印参数设置: the permission "打印参数设置", then the window modally.
void on_main_menu_print_parameters_click(QWidget* owner = nullptr);

}  // namespace reports
