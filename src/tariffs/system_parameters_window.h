#pragma once
// The system parameters window ("系统参数设置"): most keys of table pz in one form, saved
// together (all or nothing) and reloaded into the program's parameters.
#include <QDialog>
#include <memory>

#include "tariffs/parameter_save.h"

namespace Ui {
class SystemParametersWindow;
}

namespace tariffs {

class SystemParametersWindow : public QDialog {
    Q_OBJECT

public:
    explicit SystemParametersWindow(QWidget* parent = nullptr);
    ~SystemParametersWindow() override;

    // Creation: the welcome page, the day and month lists, the controls from pz.
    void on_parameters_created();
    // 按钮1: checks, saves every key, reloads, logs, "修改成功！" and closes.
    void on_parameters_save_click();
    // 按钮2
    void on_parameters_close_click();

    // The controls as plain values.
    ParameterForm read_form() const;
    Ui::SystemParametersWindow* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::SystemParametersWindow> ui;
};

// Menu 基本设置 > 系统参数设置: the permission "系统参数设置", then the window modally.
void on_menu_system_parameters(QWidget* owner = nullptr);

}  // namespace tariffs
