#include "platform/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QInputDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSoundEffect>
#include <QSpacerItem>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTreeView>
#include <QUrl>
#include <QWindow>
#include <cstdlib>
#include <vector>

#include "platform/db.h"

namespace platform {

namespace {

void (*g_exit_cleanup)() = nullptr;
UiBackend* g_installed_backend = nullptr;

QWidget* owner_or_active(QWidget* parent) { return parent ? parent : QApplication::activeWindow(); }

// The file dialog's list as the operator reads it: Qt's file model formats dates and sizes with
// the machine's locale, which need not be Chinese; here they follow the program's.
class ChineseFileList final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (role == Qt::DisplayRole && files && index.isValid()) {
            const QModelIndex source = mapToSource(index);
            switch (index.column()) {
                case kSizeColumn:
                    if (files->isDir(source)) return QString();
                    return QLocale().formattedDataSize(files->size(source), 2,
                                                       QLocale::DataSizeTraditionalFormat);
                case kDateColumn:
                    return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
                default:
                    break;
            }
        }
        return QIdentityProxyModel::data(index, role);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
            switch (section) {
                case 0:
                    return QStringLiteral("名称");
                case kSizeColumn:
                    return QStringLiteral("大小");
                case 2:
                    return QStringLiteral("类型");
                case kDateColumn:
                    return QStringLiteral("修改日期");
                default:
                    break;
            }
        }
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

private:
    static constexpr int kSizeColumn = 1;
    static constexpr int kDateColumn = 3;
};

// The width a window needs for the window manager to draw its whole caption: the text in a bold
// face of the window's font, as title bars draw it, beside the window icon and the title bar's
// three buttons. Qt sizes a message box for its text and buttons only, so a short message under
// "信息：" showed "信…".
int caption_width(const QString& caption, const QFont& font) {
    constexpr int kTitleBarChrome = 160;  // icon, three buttons, margins
    QFont title_font = font;
    title_font.setBold(true);
    return QFontMetrics(title_font).horizontalAdvance(caption) + kTitleBarChrome;
}

// A message box or input box takes the width its layout asks for, whatever minimum is set on it:
// a row as wide as the caption needs, under everything else, holds it open.
void keep_caption_room(QWidget& box, const QString& caption) {
    QLayout* layout = box.layout();
    if (!layout || caption.isEmpty()) return;
    auto* room = new QSpacerItem(caption_width(caption, box.font()), 0, QSizePolicy::Minimum,
                                 QSizePolicy::Minimum);
    if (auto* grid = qobject_cast<QGridLayout*>(layout))
        grid->addItem(room, grid->rowCount(), 0, 1, grid->columnCount());
    else
        layout->addItem(room);
}

QMessageBox::Icon qt_icon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Critical:
            return QMessageBox::Critical;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

class QtUiBackend final : public UiBackend {
public:
    MsgResult message_box(const QString& text, const QString& caption, MsgIcon icon,
                          MsgButtons buttons, QWidget* parent) override {
        return message_box_defaulting(text, caption, icon, buttons, parent, MsgDefault::First);
    }

    MsgResult message_box_defaulting(const QString& text, const QString& caption, MsgIcon icon,
                                     MsgButtons buttons, QWidget* parent,
                                     MsgDefault default_button) override {
        QMessageBox box(owner_or_active(parent));
        box.setWindowTitle(caption);
        // Statement texts in failure boxes may hold '<' and must not be read as markup.
        box.setTextFormat(Qt::PlainText);
        box.setText(text);
        box.setIcon(qt_icon(icon));
        struct Choice {
            QMessageBox::StandardButton button;
            MsgResult result;
            const char16_t* caption;
        };
        static constexpr Choice kOk{QMessageBox::Ok, MsgResult::Ok, u"确定"};
        static constexpr Choice kCancel{QMessageBox::Cancel, MsgResult::Cancel, u"取消"};
        static constexpr Choice kYes{QMessageBox::Yes, MsgResult::Yes, u"是"};
        static constexpr Choice kNo{QMessageBox::No, MsgResult::No, u"否"};
        static constexpr Choice kTryAgain{QMessageBox::Retry, MsgResult::TryAgain, u"重试(&T)"};
        static constexpr Choice kContinue{QMessageBox::Ignore, MsgResult::Continue, u"继续(&C)"};
        std::vector<Choice> choices;
        switch (buttons) {
            case MsgButtons::Ok:
                choices = {kOk};
                break;
            case MsgButtons::OkCancel:
                choices = {kOk, kCancel};
                break;
            case MsgButtons::YesNo:
                choices = {kYes, kNo};
                break;
            case MsgButtons::YesNoCancel:
                choices = {kYes, kNo, kCancel};
                break;
            case MsgButtons::CancelTryContinue:
                choices = {kCancel, kTryAgain, kContinue};
                break;
        }
        const MsgResult on_escape = escape_answer(buttons);
        for (const Choice& c : choices) {
            QPushButton* b = box.addButton(c.button);
            b->setText(QString::fromUtf16(c.caption));
            if (c.result == on_escape) box.setEscapeButton(b);
        }
        if (default_button == MsgDefault::First) box.setDefaultButton(choices.front().button);
        for (const Choice& c : choices)
            if (default_button == MsgDefault::Refusal && c.result == on_escape)
                box.setDefaultButton(c.button);
        keep_caption_room(box, caption);
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        if (!clicked) return on_escape;
        const auto standard = box.standardButton(clicked);
        for (const Choice& c : choices)
            if (c.button == standard) return c.result;
        return on_escape;
    }

    bool input_box(const QString& prompt, const QString& caption, const QString& initial,
                   QString* answer, QWidget* parent) override {
        QInputDialog dialog(owner_or_active(parent));
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setWindowTitle(caption);
        dialog.setLabelText(prompt);
        dialog.setTextValue(initial);
        dialog.setOkButtonText(QStringLiteral("确定"));
        dialog.setCancelButtonText(QStringLiteral("取消"));
        keep_caption_room(dialog, caption);
        if (dialog.exec() != QDialog::Accepted) return false;
        if (answer) *answer = dialog.textValue();
        return true;
    }

    QString file_dialog(const FileDialogRequest& request, QWidget* parent) override {
        const std::unique_ptr<QFileDialog> dialog =
            make_file_dialog(request, owner_or_active(parent));
        if (dialog->exec() != QDialog::Accepted) return {};
        return chosen_file(*dialog);
    }

    int run_modal(QDialog* window) override { return window ? window->exec() : QDialog::Rejected; }

    void beep() override { QApplication::beep(); }

    void play_sound(const QString& wav_path) override {
        // One effect for the whole run; it lives as long as the application object.
        static QSoundEffect* effect = new QSoundEffect(qApp);
        const QUrl source = QUrl::fromLocalFile(wav_path);
        if (effect->source() != source) effect->setSource(source);
        effect->play();
    }

    [[noreturn]] void end_program(int exit_code) override {
        run_exit_cleanup();
        std::exit(exit_code);
    }
};

QtUiBackend& qt_backend() {
    static QtUiBackend backend;
    return backend;
}

}  // namespace

MsgResult escape_answer(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return MsgResult::Ok;
        case MsgButtons::YesNo:
            return MsgResult::No;
        case MsgButtons::OkCancel:
        case MsgButtons::YesNoCancel:
        case MsgButtons::CancelTryContinue:
            break;
    }
    return MsgResult::Cancel;
}

UiBackend& ui_backend() { return g_installed_backend ? *g_installed_backend : qt_backend(); }

void set_ui_backend(UiBackend* backend) { g_installed_backend = backend; }

void set_exit_cleanup(void (*cleanup)()) { g_exit_cleanup = cleanup; }

void run_exit_cleanup() {
    auto* cleanup = g_exit_cleanup;
    g_exit_cleanup = nullptr;
    if (cleanup) cleanup();
}

QString qt_file_filter(const QString& filter) {
    if (!filter.contains(QLatin1Char('|'))) return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (description.isEmpty() && patterns.isEmpty()) continue;
        if (patterns.isEmpty()) {
            filters << description;
            continue;
        }
        // The description often names its patterns itself, "位图文件(*.bmp)"; Qt adds them.
        const qsizetype paren = description.lastIndexOf(QLatin1Char('('));
        if (paren >= 0 && description.endsWith(QLatin1Char(')')))
            description = description.left(paren).trimmed();
        QStringList list;
        for (const QString& p : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            if (!p.trimmed().isEmpty()) list << p.trimmed();
        const QString joined = list.join(QLatin1Char(' '));
        filters << (description.isEmpty() ? joined
                                          : description + QStringLiteral(" (") + joined + u')');
    }
    return filters.join(QStringLiteral(";;"));
}

std::unique_ptr<QFileDialog> make_file_dialog(const FileDialogRequest& request, QWidget* parent) {
    auto dialog = std::make_unique<QFileDialog>(parent, request.title, request.directory,
                                                qt_file_filter(request.filter));
    // The desktop's dialog would speak the desktop's language and ignore the list model below.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    switch (request.kind) {
        case FileDialogRequest::Kind::Open:
            dialog->setFileMode(QFileDialog::ExistingFile);
            dialog->setAcceptMode(QFileDialog::AcceptOpen);
            break;
        case FileDialogRequest::Kind::Save:
            dialog->setFileMode(QFileDialog::AnyFile);
            dialog->setAcceptMode(QFileDialog::AcceptSave);
            break;
        case FileDialogRequest::Kind::Folder:
            dialog->setFileMode(QFileDialog::Directory);
            dialog->setOption(QFileDialog::ShowDirsOnly, true);
            dialog->setAcceptMode(QFileDialog::AcceptOpen);
            break;
    }
    if (request.kind != FileDialogRequest::Kind::Folder && !request.file_name.isEmpty())
        dialog->selectFile(request.file_name);
    dialog->setProxyModel(new ChineseFileList(dialog.get()));
    keep_tool_button_icons(dialog.get());
    // Room for a whole date in the detailed list.
    if (auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = view->header();
        const int unit = header->fontMetrics().horizontalAdvance(u'0');
        header->resizeSection(0, unit * 34);
        header->resizeSection(1, unit * 10);
        header->resizeSection(2, unit * 20);
        header->resizeSection(3, unit * 18);
    }
    return dialog;
}

QString chosen_file(const QFileDialog& dialog) {
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void keep_tool_button_icons(QWidget* dialog) {
    if (!dialog) return;
    // The dialog's own rules win over the skin's where both set a property; colours and borders
    // still come from the skin.
    const QString rule =
        QStringLiteral("QToolButton { padding: 2px; min-width: 0px; min-height: 0px; }");
    if (!dialog->styleSheet().contains(rule)) dialog->setStyleSheet(dialog->styleSheet() + rule);
}

void fill_working_area(QWidget* window, const QWidget* owner) {
    if (!window) return;
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    // The frame a shown window has, or else a usual border and title bar: before the window
    // manager has framed a window nobody knows its frame.
    QMargins frame(8, 32, 8, 8);
    if (const QWindow* handle = window->windowHandle();
        handle && handle->isVisible() && !handle->frameMargins().isNull())
        frame = handle->frameMargins();
    window->setGeometry(screen->availableGeometry().marginsRemoved(frame));
    window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void show_whole_text(QLineEdit* edit) {
    if (!edit) return;
    edit->ensurePolished();  // the skin's font and padding
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->hasFrame()
                           ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                           : 0;
    option.state |= QStyle::State_Sunken;
    const QMargins margins = edit->textMargins();
    // The edit box keeps a margin of 2 either side of its text.
    const QSize text(
        edit->fontMetrics().horizontalAdvance(edit->text()) + 4 + margins.left() + margins.right(),
        edit->fontMetrics().height());
    edit->setMinimumWidth(
        edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, edit).width());
    edit->setCursorPosition(0);
}

void report_database_errors_in_boxes() {
    set_database_error_reporter(
        [](const QString& provider_text) { message_box(provider_text, QString(), MsgIcon::None); });
}

MsgResult message_box(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons,
                      QWidget* parent) {
    return ui_backend().message_box(text, caption, icon, buttons, parent);
}

MsgResult ask_before_destroying(const QString& text, MsgButtons buttons, QWidget* parent) {
    return ui_backend().message_box_defaulting(text, kDefaultCaption, MsgIcon::Question, buttons,
                                               parent, MsgDefault::Refusal);
}

void show_messages(const Messages& messages, QWidget* parent) {
    for (const Message& m : messages)
        message_box(m.text, m.caption, m.icon, MsgButtons::Ok, parent);
}

bool input_box(const QString& prompt, const QString& caption, const QString& initial,
               QString* answer, QWidget* parent) {
    return ui_backend().input_box(prompt, caption, initial, answer, parent);
}

QString common_dialog_show(const FileDialogRequest& request, QWidget* parent) {
    FileDialogRequest placed = request;
    placed.directory = dialog_start_folder(request.place);
    return ui_backend().file_dialog(placed, parent);
}

int window_open_modal(QDialog* window) { return ui_backend().run_modal(window); }

void beep() { ui_backend().beep(); }

void play_sound(const QString& wav_path) { ui_backend().play_sound(wav_path); }

void end_program(int exit_code) {
    ui_backend().end_program(exit_code);
    std::exit(exit_code);  // not reached: every backend ends or throws
}

}  // namespace platform
