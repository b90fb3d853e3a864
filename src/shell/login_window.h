#pragma once
// The login window: the operator picks a name, types the password, and the MD5 digest of the
// typed text is compared with the stored one. Success sets current_operator and writes a log
// row; cancelling, closing the window or a fourth try after three wrong passwords ends the
// program. There is no way past it otherwise.
#include <QDialog>
#include <QPixmap>
#include <functional>
#include <memory>

#include "platform/db.h"

class QCloseEvent;

namespace Ui {
class LoginWindow;
}

namespace shell {

class LoginWindow : public QDialog {
    Q_OBJECT

public:
    // show_welcome_page, when given, turns the main window's content area to its welcome page
    // as the window is created; without it the running main window's is turned.
    explicit LoginWindow(QWidget* parent = nullptr, std::function<void()> show_welcome_page = {});
    ~LoginWindow() override;

    // Handlers, public so that tests drive them as the user would.
    void on_login_window_create();
    void on_login_ok_click();
    void on_login_cancel_click();
    void on_login_window_close();
    void on_login_combo_changed();

    // Wrong passwords typed in this window so far.
    int login_failure_count() const { return login_failure_count_; }

    // Escape must not slip past the login: it ends the program like the cancel button.
    void reject() override;

protected:
    // The title-bar close ends the program (on_login_window_close).
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::LoginWindow> ui;
    std::function<void()> show_welcome_page_;
    platform::RecordSet 记录集1;
    int login_failure_count_ = 0;
    bool logged_in_ = false;
};

// The decoration at the top of the login window, painted rather than stored.
QPixmap draw_login_picture(const QSize& size);

}  // namespace shell
