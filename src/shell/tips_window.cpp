#include "shell/tips_window.h"

#include <QTimer>

#include "shell/settings_keys.h"
#include "ui_tips_window.h"

namespace shell {

bool tips_shown_at_startup() {
    return settings::kShowTips.read(settings::kTrue) == settings::kTrue;
}

NavigationTipsWindow::NavigationTipsWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui::NavigationTipsWindow>()),
      timer_(new QTimer(this)) {
    ui->setupUi(this);
    timer_->setObjectName(QStringLiteral("时钟1"));
    connect(timer_, &QTimer::timeout, this, [this] { on_tips_timer(); });
    // clicked, not toggled: setting the box from the file at creation is no choice of the user.
    connect(ui->选择框_不再显示, &QCheckBox::clicked, this,
            [this](bool checked) { on_tips_dont_show_again_toggled(checked); });
    on_navigation_hint_created();
}

NavigationTipsWindow::~NavigationTipsWindow() = default;

void NavigationTipsWindow::on_navigation_hint_created() {
    ui->选择框_不再显示->setChecked(settings::kShowTips.read(settings::kTrue) != settings::kTrue);
    timer_->start(1000);
    tips_countdown_ = kTipsCountdownStart;
}

void NavigationTipsWindow::on_tips_timer() {
    if (tips_countdown_ == 0) {
        timer_->stop();
        close();
        return;
    }
    --tips_countdown_;
    ui->提示->setText(QString::number(tips_countdown_) + kTipsCountdownSuffix);
}

void NavigationTipsWindow::on_tips_dont_show_again_toggled(bool checked) {
    if (checked) {
        settings::kShowTips.write(settings::kFalse);
        timer_->stop();
        close();
    } else {
        settings::kShowTips.write(settings::kTrue);
    }
}

}  // namespace shell
