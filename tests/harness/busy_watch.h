#pragma once
// Watches the busy windows (the progress window and the wait window) while an action runs:
// how many were opened, whether they were painted while the work went on, and which positions
// the bar showed when it was painted. While it lives the screen is repainted at every advance,
// so what a test sees does not hang on the clock.
#include <QObject>
#include <functional>
#include <vector>

namespace harness {

class BusyWatch : public QObject {
public:
    BusyWatch();
    ~BusyWatch() override;

    int windows_opened() const { return opened_; }
    int paints() const { return paints_; }
    // The bar's value at each painting of a progress bar, in order.
    const std::vector<int>& painted_positions() const { return positions_; }
    // The largest bar maximum painted.
    int painted_maximum() const { return maximum_; }

    // Runs once, at the first painting of a busy window (the work is under way).
    void on_first_paint(std::function<void()> action) { first_paint_ = std::move(action); }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int opened_ = 0;
    int paints_ = 0;
    int maximum_ = 0;
    std::vector<int> positions_;
    std::function<void()> first_paint_;
};

// Queues a left click on the widget's centre, as the window system delivers one.
void post_click(QWidget* widget);

}  // namespace harness
