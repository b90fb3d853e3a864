#pragma once
// The help window: the help pages of the program folder (help/*.html) in a browser of the
// program's own, so help works on every machine, with or without a desktop browser. The pages
// link to each other; 后退, 前进 and 首页 move through them. It is an ordinary window beside the
// main window, not a modal one, so the operator can read while working.
#include <QDialog>
#include <QString>
#include <QUrl>
#include <memory>

class QTextBrowser;

namespace Ui {
class HelpWindow;
}

namespace shell {

class HelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Shows a page file; it becomes the page 首页 returns to. A missing file shows a line saying
    // so in the window.
    void show_page(const QString& path);
    QTextBrowser* browser() const;

private:
    void place_on_screen();
    void on_source_changed(const QUrl& source);

    std::unique_ptr<Ui::HelpWindow> ui;
};

}  // namespace shell
