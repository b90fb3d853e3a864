#pragma once
// A small window without caption holding one progress bar. List fillers and long jobs open it
// over the main window without a modal loop, set the bar's maximum to their number of steps,
// advance it per step and close it at the end.
#include <QWidget>
#include <memory>

class QProgressBar;

namespace Ui {
class ProgressWindow;
}

namespace lists {

class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    // owner: the window it stays above (the main window); may be null.
    explicit ProgressWindow(QWidget* owner = nullptr);
    ~ProgressWindow() override;

    // 进度条
    QProgressBar* progress_bar() const;

    // Shows the window centred over its owner and returns at once (no modal loop).
    void open();
    // Sets the number of steps and puts the bar back to 0.
    void set_maximum(int steps);
    void set_position(int position);
    // One step further.
    void step();

    int position() const { return position_; }

private:
    std::unique_ptr<Ui::ProgressWindow> ui;
    int position_ = 0;
};

// Shows a window the way the busy windows stand: its size fitted, centred over its owner's
// window (over the primary screen when there is no owner or it is hidden), raised; returns at
// once.
void show_centred_over_owner(QWidget* window);

// Moves a bar to this position. The bar is only told when the change shows (or at its end):
// a list of 100,000 rows steps it 100,000 times, and each repaint costs far more than a row.
void set_progress_position(QProgressBar* bar, int position);

// Opens a ProgressWindow on construction and closes it on destruction, so every way out of a
// long job closes it.
class ProgressScope {
public:
    explicit ProgressScope(QWidget* owner = nullptr, int steps = 0);
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    ProgressWindow& window() { return *window_; }
    QProgressBar* progress_bar() const { return window_->progress_bar(); }
    void set_maximum(int steps) { window_->set_maximum(steps); }
    void set_position(int position) { window_->set_position(position); }
    void step() { window_->step(); }

private:
    std::unique_ptr<ProgressWindow> window_;
};

}  // namespace lists
