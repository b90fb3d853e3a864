#pragma once
// Every operator, the administrator included, changes its own password here: the old password
// must match the stored digest and the new one must be typed twice alike. No log row.
#include <QDialog>
#include <functional>
#include <memory>

#include "platform/db.h"

namespace Ui {
class ChangePasswordWindow;
}

namespace shell {

class ChangePasswordWindow : public QDialog {
    Q_OBJECT

public:
    // show_welcome_page, when given, turns the main window's content area to its welcome page
    // as the window is created.
    explicit ChangePasswordWindow(QWidget* parent = nullptr,
                                  std::function<void()> show_welcome_page = {});
    ~ChangePasswordWindow() override;

    void on_change_password_window_create();
    void on_change_password_ok_click();
    void on_change_password_cancel_click();

    Ui::ChangePasswordWindow* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::ChangePasswordWindow> ui;
    std::function<void()> show_welcome_page_;
    platform::RecordSet 记录集1;
};

}  // namespace shell
