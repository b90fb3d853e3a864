#pragma once
// A small window without caption holding one progress bar. List fillers and long jobs open it
// over the main window without a modal loop, set the bar's maximum to their number of steps,
// advance it per step and close it at the end.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

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
    bool opened_ = false;
};

// Shows a window the way the busy windows stand: its size fitted, centred over its owner's
// window (over the primary screen when there is no owner or it is hidden), raised; returns at
// once.
void show_centred_over_owner(QWidget* window);

// Moves a bar to this position. The bar is only told when the change shows (or at its end), and
// forward at most a few dozen times a second: a list of 100,000 rows steps it 100,000 times, and
// each repaint costs far more than a row.
void set_progress_position(QProgressBar* bar, int position);

// Long work runs on the user-interface thread, so nothing is drawn unless it lets the event
// loop in now and then. This does, at most a few times a second (at once with `now`), and
// without the user's input: clicks and keys wait until the work is over, where the closing
// progress or wait window (or a BusyGuard) drops them; a request to close a window is dropped.
void keep_screen_painted(bool now = false);

// Test-only: repaint at every advance (0), or a few times a second again (-1).
void set_screen_paint_interval(int milliseconds);

// The work in hand of a long action: `done` of `total` units (rows, households, pages, groups).
using ProgressCallback = std::function<void(int done, int total)>;

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
    // A new total starts the bar again; then the bar stands at `done`.
    void advance(int done, int total);
    // What a core routine calls back with as it works.
    ProgressCallback callback() {
        return [this](int done, int total) { advance(done, total); };
    }
    // Takes the window away before the scope ends (a preview that has painted its pages).
    void close() { window_->close(); }

private:
    std::unique_ptr<ProgressWindow> window_;
    int total_ = -1;
};

// One bar over work done in stages one after the other (tables built, rows read, pages laid out
// and painted): each stage owns a share of the bar and moves it inside that share as it tells its
// own (done, total), so the bar fills once from empty to full and never goes back, whatever each
// stage counts in.
class ProgressStages {
public:
    // The relative share of each stage, in order.
    explicit ProgressStages(std::vector<int> shares);
    // The bar's maximum.
    int maximum() const { return start_.back(); }
    // Where the bar stands when `stage` has done `done` of `total`: never behind what it answered
    // before.
    int position(int stage, int done, int total);

private:
    std::vector<int> start_;  // the first position of each stage, then the maximum
    int position_ = 0;
};

// One run at a time of the action a button starts: the button is disabled while it runs, and
// the clicks and keys the user made meanwhile are dropped when it ends, so none of them starts
// it again. A second guard on the same flag while the first lives is not `running()`: the
// caller returns at once.
class BusyGuard {
public:
    BusyGuard(bool& running, QWidget* trigger = nullptr);
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

    // False when the action was already running.
    bool running() const { return owner_; }

private:
    bool& running_;
    bool owner_ = false;
    QPointer<QWidget> trigger_;
    bool trigger_was_enabled_ = false;
};

// Lets the event loop handle what is waiting, dropping the user's clicks, keys and requests to
// close a window.
void drop_pending_user_input();

}  // namespace lists
