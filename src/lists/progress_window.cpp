#include "lists/progress_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
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

ProgressWindow::~ProgressWindow() {
    // What the user clicked or typed while the work ran is not done after it.
    if (opened_) drop_pending_user_input();
}

QProgressBar* ProgressWindow::progress_bar() const { return ui->进度条; }

void ProgressWindow::open() {
    opened_ = true;
    show_centred_over_owner(this);
    keep_screen_painted(true);
    // Drawn now, whatever comes next.
    repaint();
}

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

namespace {

// A repaint a few times a second shows the work moving; each run of the loop costs a little.
constexpr qint64 kPaintIntervalMs = 150;
qint64 paint_interval_ms = kPaintIntervalMs;
// How often a bar moves forward at most (a test's interval of 0 moves it at every advance).
constexpr qint64 kBarMoveIntervalMs = 25;

bool is_user_input(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
    }
}

// Drops what the user asks of the windows while work runs on this thread: closing a window
// (the window system's request) always, clicks and keys when `input`.
class UserRequestDropper : public QObject {
public:
    explicit UserRequestDropper(bool input) : input_(input) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close && event->spontaneous()) return true;
        return input_ && is_user_input(event->type());
    }

private:
    bool input_;
};

}  // namespace

void keep_screen_painted(bool now) {
    if (!QCoreApplication::instance()) return;
    static QElapsedTimer since;
    if (!now && since.isValid() && since.elapsed() < paint_interval_ms) return;
    UserRequestDropper dropper(false);
    QCoreApplication::instance()->installEventFilter(&dropper);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QCoreApplication::instance()->removeEventFilter(&dropper);
    since.start();
}

void set_screen_paint_interval(int milliseconds) {
    paint_interval_ms = milliseconds < 0 ? kPaintIntervalMs : milliseconds;
}

void drop_pending_user_input() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    UserRequestDropper dropper(true);
    app->installEventFilter(&dropper);
    QCoreApplication::processEvents();
    app->removeEventFilter(&dropper);
}

void set_progress_position(QProgressBar* bar, int position) {
    if (!bar) return;
    keep_screen_painted();
    const int low = bar->minimum();
    const int high = bar->maximum();
    position = std::clamp(position, low, std::max(low, high));
    const qint64 range = qint64(high) - low;
    static QElapsedTimer since_moved;
    if (range > 0 && position < high && bar->value() >= low) {
        const qint64 width = std::max(bar->width(), 1);
        if ((qint64(position) - low) * width / range ==
            (qint64(bar->value()) - low) * width / range)
            return;
        // A job of a few hundred quick steps moves the bar a pixel at nearly every step, and
        // each repaint costs more than such a step: forward it moves a few dozen times a
        // second at most, which the eye does not tell from every pixel. Its end always shows.
        if (position > bar->value() && paint_interval_ms > 0 && since_moved.isValid() &&
            since_moved.elapsed() < kBarMoveIntervalMs)
            return;
    }
    // setValue repaints at once when the bar moves visibly, so it advances without an event
    // loop running.
    bar->setValue(position);
    since_moved.start();
}

ProgressScope::ProgressScope(QWidget* owner, int steps)
    : window_(std::make_unique<ProgressWindow>(owner)) {
    window_->set_maximum(steps);
    window_->open();
}

ProgressScope::~ProgressScope() { window_->close(); }

void ProgressScope::advance(int done, int total) {
    if (total != total_) {
        total_ = total;
        window_->set_maximum(total);
    }
    window_->set_position(done);
}

namespace {
// Bar positions per unit of share: fine enough that a stage of many steps moves the bar smoothly.
constexpr int kPositionsPerShare = 100;
}  // namespace

ProgressStages::ProgressStages(std::vector<int> shares) : start_{0} {
    for (const int share : shares)
        start_.push_back(start_.back() + std::max(share, 0) * kPositionsPerShare);
}

int ProgressStages::position(int stage, int done, int total) {
    const int last = static_cast<int>(start_.size()) - 2;
    if (stage < 0 || stage > last) return position_;
    const qint64 width = start_[stage + 1] - start_[stage];
    const qint64 within = total > 0 ? width * std::clamp<qint64>(done, 0, total) / total : width;
    position_ = std::max(position_, start_[stage] + static_cast<int>(within));
    return position_;
}

BusyGuard::BusyGuard(bool& running, QWidget* trigger) : running_(running), trigger_(trigger) {
    if (running_) return;
    running_ = owner_ = true;
    if (trigger_) {
        trigger_was_enabled_ = trigger_->isEnabled();
        trigger_->setEnabled(false);
    }
}

BusyGuard::~BusyGuard() {
    if (!owner_) return;
    // The button is still disabled and the flag still set while the waiting input goes.
    drop_pending_user_input();
    if (trigger_ && trigger_was_enabled_) trigger_->setEnabled(true);
    running_ = false;
}

}  // namespace lists
