#pragma once
// The agreement window "许可协议": the end-user agreement, an accept button that becomes usable
// after thirty seconds, and a decline button that ends the program. The title bar's close box
// (and Esc) cannot close it. Opened modally from the menu entry 技术支持 > 许可协议.
#include <QDialog>
#include <QString>
#include <memory>

class QTimer;

namespace Ui {
class AgreementWindow;
}

namespace shell {

inline constexpr int kAgreementCountdownStart = 30;
inline const QString kAgreementAcceptCaption = QStringLiteral("我接受&O");

class AgreementWindow : public QDialog {
    Q_OBJECT

public:
    explicit AgreementWindow(QWidget* parent = nullptr);
    ~AgreementWindow() override;

    // Creation: the focus on 按钮2 (decline), the countdown at 30.
    void on_agreement_text_window_create();
    // One tick of 时钟1: the countdown drops by one and 按钮1 reads "我接受(n)"; at 0 it reads
    // "我接受&O", the timer stops and 按钮1 is enabled.
    void on_agreement_text_timer();
    // 按钮1: accept, the window closes.
    void on_agreement_text_close_click();
    // 按钮2: closes 记录集1, 记录集2 and the main connection and ends the program (code 0).
    [[noreturn]] void on_agreement_text_decline_click();
    // The can-close event of the title bar: always no.
    bool on_agreement_text_query_close();

    int agreement_countdown() const { return agreement_countdown_; }
    QTimer* timer() const { return timer_; }  // 时钟1

    // Esc would close a dialog behind the buttons' back; only they may close this one.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::AgreementWindow> ui;
    QTimer* timer_;
    int agreement_countdown_ = 0;
    bool closing_by_button_ = false;
};

}  // namespace shell
