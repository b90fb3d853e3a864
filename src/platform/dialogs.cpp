#include "platform/dialogs.h"

#include "platform/db.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSoundEffect>
#include <QUrl>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

void (*g_exit_cleanup)() = nullptr;
UiBackend* g_installed_backend = nullptr;

QWidget* owner_or_active(QWidget* parent) { return parent ? parent : QApplication::activeWindow(); }

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
        }
        const MsgResult on_escape = escape_answer(buttons);
        for (const Choice& c : choices) {
            QPushButton* b = box.addButton(c.button);
            b->setText(QString::fromUtf16(c.caption));
            if (c.result == on_escape) box.setEscapeButton(b);
        }
        box.setDefaultButton(choices.front().button);
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
        if (dialog.exec() != QDialog::Accepted) return false;
        if (answer) *answer = dialog.textValue();
        return true;
    }

    QString file_dialog(const FileDialogRequest& request, QWidget* parent) override {
        QWidget* owner = owner_or_active(parent);
        const QString filter = qt_file_filter(request.filter);
        QString start = request.directory;
        if (!request.file_name.isEmpty())
            start =
                start.isEmpty() ? request.file_name : start + QLatin1Char('/') + request.file_name;
        switch (request.kind) {
            case FileDialogRequest::Kind::Open:
                return QFileDialog::getOpenFileName(owner, request.title, start, filter);
            case FileDialogRequest::Kind::Save:
                return QFileDialog::getSaveFileName(owner, request.title, start, filter);
            case FileDialogRequest::Kind::Folder:
                return QFileDialog::getExistingDirectory(owner, request.title, request.directory);
        }
        return {};
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

void report_database_errors_in_boxes() {
    set_database_error_reporter(
        [](const QString& provider_text) { message_box(provider_text, QString(), MsgIcon::None); });
}

MsgResult message_box(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons,
                      QWidget* parent) {
    return ui_backend().message_box(text, caption, icon, buttons, parent);
}

void show_messages(const Messages& messages, QWidget* parent) {
    for (const Message& m : messages) message_box(m.text, m.caption, m.icon, MsgButtons::Ok, parent);
}

bool input_box(const QString& prompt, const QString& caption, const QString& initial,
               QString* answer, QWidget* parent) {
    return ui_backend().input_box(prompt, caption, initial, answer, parent);
}

QString common_dialog_show(const FileDialogRequest& request, QWidget* parent) {
    return ui_backend().file_dialog(request, parent);
}

int window_open_modal(QDialog* window) { return ui_backend().run_modal(window); }

void beep() { ui_backend().beep(); }

void play_sound(const QString& wav_path) { ui_backend().play_sound(wav_path); }

void end_program(int exit_code) {
    ui_backend().end_program(exit_code);
    std::exit(exit_code);  // not reached: every backend ends or throws
}

}  // namespace platform
