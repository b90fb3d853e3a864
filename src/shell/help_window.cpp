#include "shell/help_window.h"

#include <QFileInfo>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QTextDocument>

#include "ui_help_window.h"

namespace shell {

namespace {
const QString kCaption = QStringLiteral("帮助");

// The pages' own style sheet is written for browsers; this is the part of it a text browser
// draws (cell borders, headings, notes).
const char kPageStyle[] = R"(
body { color: #1d3557; }
h1 { color: #1f4f8c; }
h2 { color: #1f4f8c; }
table { border-collapse: collapse; margin-top: 6px; margin-bottom: 12px; }
th { background-color: #e8f0fa; border: 1px solid #b9cbe3; padding: 4px 10px; }
td { border: 1px solid #b9cbe3; padding: 4px 10px; }
a { color: #1f4f8c; }
kbd { font-family: monospace; font-weight: bold; }
.note { background-color: #fff8e1; }
)";
}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::HelpWindow>()) {
    ui->setupUi(this);
    // A window of its own beside the main window, with the frame's usual buttons.
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setWindowModality(Qt::NonModal);
    QTextBrowser* browser = ui->浏览框_帮助;
    browser->document()->setDefaultStyleSheet(QString::fromUtf8(kPageStyle));
    // Links between the pages stay inside; a web address goes to the desktop, where it has one.
    browser->setOpenLinks(true);
    browser->setOpenExternalLinks(true);
    ui->按钮_后退->setEnabled(false);
    ui->按钮_前进->setEnabled(false);
    connect(ui->按钮_后退, &QPushButton::clicked, browser, &QTextBrowser::backward);
    connect(ui->按钮_前进, &QPushButton::clicked, browser, &QTextBrowser::forward);
    connect(ui->按钮_首页, &QPushButton::clicked, browser, &QTextBrowser::home);
    connect(ui->按钮_关闭, &QPushButton::clicked, this, &QDialog::close);
    connect(browser, &QTextBrowser::backwardAvailable, ui->按钮_后退, &QPushButton::setEnabled);
    connect(browser, &QTextBrowser::forwardAvailable, ui->按钮_前进, &QPushButton::setEnabled);
    connect(browser, &QTextBrowser::sourceChanged, this, &HelpWindow::on_source_changed);
    place_on_screen();
}

void HelpWindow::place_on_screen() {
    // Wholly on the working area of the screen it opens on, frame included, and centred there,
    // whatever the size the form asks for.
    const QScreen* on = parentWidget() ? parentWidget()->screen() : screen();
    if (!on) return;
    const QRect area = on->availableGeometry();
    const QSize frame(16, 48);  // the window manager's border and title bar, about
    resize(size().boundedTo(area.size() - frame));
    const QSize outer = size() + frame;
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

HelpWindow::~HelpWindow() = default;

QTextBrowser* HelpWindow::browser() const { return ui->浏览框_帮助; }

void HelpWindow::show_page(const QString& path) {
    QTextBrowser* browser = ui->浏览框_帮助;
    if (!QFileInfo(path).isFile()) {
        browser->clear();
        browser->clearHistory();
        browser->setPlainText(QStringLiteral("找不到帮助文件：") + path);
        setWindowTitle(kCaption);
        return;
    }
    const QUrl page = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    browser->setSearchPaths({QFileInfo(path).absolutePath()});
    browser->setSource(page);
    // A fresh history that starts at the page asked for.
    browser->clearHistory();
}

void HelpWindow::on_source_changed(const QUrl&) {
    const QString title = ui->浏览框_帮助->documentTitle();
    setWindowTitle(title.isEmpty() ? kCaption : title);
}

}  // namespace shell
