#pragma once
// The tips window: greets the operator after start-up with a few hints, counts down and closes
// itself, and lets the operator switch its start-up appearance off. It has no caption. Opened
// modally, owned by the main window, at start-up (while 导航命令/提示 is "真" or missing) and
// from the menu entry 技术支持 > 导航提示.
#include <QDialog>
#include <QString>
#include <memory>

class QTimer;

namespace Ui {
class NavigationTipsWindow;
}

namespace shell {

inline constexpr int kTipsCountdownStart = 15;
inline const QString kTipsCountdownSuffix = QStringLiteral("秒后自动关闭。");

// True when the tips window is to be shown at start-up: 导航命令/提示 is "真" or missing.
bool tips_shown_at_startup();

class NavigationTipsWindow : public QDialog {
    Q_OBJECT

public:
    explicit NavigationTipsWindow(QWidget* parent = nullptr);
    ~NavigationTipsWindow() override;

    // Creation: the check box from the setting, the timer at one second, the countdown at 15.
    void on_navigation_hint_created();
    // One tick of 时钟1: at 0 the window closes, otherwise the countdown drops by one and the
    // label 提示 shows it (14 on the first tick, 0 on the fifteenth; the sixteenth closes).
    void on_tips_timer();
    // The operator ticked (true) or unticked (false) "本窗口不再显示".
    void on_tips_dont_show_again_toggled(bool checked);

    int tips_countdown() const { return tips_countdown_; }
    QTimer* timer() const { return timer_; }  // 时钟1

private:
    std::unique_ptr<Ui::NavigationTipsWindow> ui;
    QTimer* timer_;
    int tips_countdown_ = 0;
};

}  // namespace shell
