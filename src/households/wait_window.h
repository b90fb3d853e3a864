#pragma once
// A small window without caption holding one picture box (图片框1): it stands over the main
// window, without a modal loop, while an import applies its rows, so the user sees that work
// is in progress. WaitScope also shows the wait cursor, and takes both away on every way out.
#include <QWidget>
#include <memory>

class QLabel;

namespace Ui {
class WaitWindow;
}

namespace households {

class WaitWindow : public QWidget {
    Q_OBJECT
public:
    // owner: the window it stays above (the main window); may be null.
    explicit WaitWindow(QWidget* owner = nullptr);
    ~WaitWindow() override;

    // Shows the window centred over its owner, painted at once, and returns (no modal loop).
    void open();
    QLabel* picture_box() const;

    // The picture it shows: an hourglass and a short line, drawn for the box.
    static QPixmap wait_picture();

private:
    std::unique_ptr<Ui::WaitWindow> ui;
};

// The wait cursor and an open WaitWindow for the life of the scope.
class WaitScope {
public:
    explicit WaitScope(QWidget* owner = nullptr);
    ~WaitScope();
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

    WaitWindow& window() { return *window_; }
    // Called per row of the work: lets the window repaint a few times a second.
    void keep_painted();

private:
    std::unique_ptr<WaitWindow> window_;
};

}  // namespace households
