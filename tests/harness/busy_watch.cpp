#include "harness/busy_watch.h"

#include <QApplication>
#include <QMouseEvent>
#include <QProgressBar>
#include <QWidget>

#include "lists/progress_window.h"

namespace harness {

namespace {

bool is_busy_window(const QWidget* w) {
    return w && (w->inherits("lists::ProgressWindow") || w->inherits("households::WaitWindow"));
}

}  // namespace

BusyWatch::BusyWatch() {
    lists::set_screen_paint_interval(0);
    qApp->installEventFilter(this);
}

BusyWatch::~BusyWatch() {
    qApp->removeEventFilter(this);
    lists::set_screen_paint_interval(-1);
}

bool BusyWatch::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    if (event->type() == QEvent::Show && is_busy_window(widget)) ++opened_;
    if (event->type() == QEvent::Paint && is_busy_window(widget->window())) {
        ++paints_;
        if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
            positions_.push_back(bar->value());
            maximum_ = std::max(maximum_, bar->maximum());
        }
        if (first_paint_) {
            const std::function<void()> action = std::move(first_paint_);
            first_paint_ = nullptr;
            action();
        }
    }
    return false;
}

void post_click(QWidget* widget) {
    const QPointF local = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(local);
    QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonPress, local, global,
                                                        Qt::LeftButton, Qt::LeftButton,
                                                        Qt::NoModifier));
    QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonRelease, local, global,
                                                        Qt::LeftButton, Qt::NoButton,
                                                        Qt::NoModifier));
}

}  // namespace harness
