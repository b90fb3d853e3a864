#include "lists/progress_window.h"

#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <algorithm>

#include "ui_progress_window.h"

namespace lists {

ProgressWindow::ProgressWindow(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint |
                         (owner ? Qt::WindowFlags(Qt::Tool) : Qt::WindowFlags())),
      ui(std::make_unique<Ui::ProgressWindow>()) {
    ui->setupUi(this);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

ProgressWindow::~ProgressWindow() = default;

QProgressBar* ProgressWindow::progress_bar() const { return ui->进度条; }

void ProgressWindow::open() { show_centred_over_owner(this); }

void ProgressWindow::set_maximum(int steps) {
    ui->进度条->setRange(0, steps > 0 ? steps : 0);
    ui->进度条->setValue(0);
    position_ = 0;
}

void ProgressWindow::set_position(int position) {
    position_ = position;
    set_progress_position(ui->进度条, position);
}

void ProgressWindow::step() { set_position(position_ + 1); }

void show_centred_over_owner(QWidget* window) {
    window->adjustSize();
    QRect area;
    if (QWidget* owner = window->parentWidget(); owner && owner->isVisible())
        area = owner->window()->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid()) window->move(area.center() - window->rect().center());
    window->show();
    window->raise();
}

void set_progress_position(QProgressBar* bar, int position) {
    if (!bar) return;
    const int low = bar->minimum();
    const int high = bar->maximum();
    position = std::clamp(position, low, std::max(low, high));
    const qint64 range = qint64(high) - low;
    if (range > 0 && position < high && bar->value() >= low) {
        const qint64 width = std::max(bar->width(), 1);
        if ((qint64(position) - low) * width / range ==
            (qint64(bar->value()) - low) * width / range)
            return;
    }
    // setValue repaints at once when the bar moves visibly, so it advances without an event
    // loop running.
    bar->setValue(position);
}

ProgressScope::ProgressScope(QWidget* owner, int steps)
    : window_(std::make_unique<ProgressWindow>(owner)) {
    window_->set_maximum(steps);
    window_->open();
}

ProgressScope::~ProgressScope() { window_->close(); }

}  // namespace lists
