#include "harness/scripted_ui.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QPointer>

using platform::MsgButtons;
using platform::MsgResult;

namespace {

std::string str(const QString& text) { return text.toStdString(); }

const char* name_of(MsgResult r) {
    switch (r) {
        case MsgResult::Ok:
            return "Ok";
        case MsgResult::Cancel:
            return "Cancel";
        case MsgResult::Yes:
            return "Yes";
        case MsgResult::No:
            return "No";
        case MsgResult::TryAgain:
            return "TryAgain";
        case MsgResult::Continue:
            return "Continue";
    }
    return "?";
}

bool offers(MsgButtons buttons, MsgResult r) {
    switch (buttons) {
        case MsgButtons::Ok:
            return r == MsgResult::Ok;
        case MsgButtons::OkCancel:
            return r == MsgResult::Ok || r == MsgResult::Cancel;
        case MsgButtons::YesNo:
            return r == MsgResult::Yes || r == MsgResult::No;
        case MsgButtons::YesNoCancel:
            return r == MsgResult::Yes || r == MsgResult::No || r == MsgResult::Cancel;
        case MsgButtons::CancelTryContinue:
            return r == MsgResult::Cancel || r == MsgResult::TryAgain || r == MsgResult::Continue;
    }
    return false;
}

}  // namespace

UiScript::UiScript() : previous_(&platform::ui_backend()) { platform::set_ui_backend(this); }

UiScript::~UiScript() {
    platform::set_ui_backend(previous_);
    for (const BoxAnswer& a : box_answers_)
        ADD_FAILURE() << "scripted box answer unused: \"" << str(a.text_part) << "\" -> "
                      << name_of(a.answer);
    for (const InputAnswer& a : input_answers_)
        ADD_FAILURE() << "scripted input answer unused: "
                      << (a.confirm ? "\"" + str(a.text) + "\"" : std::string("cancel"));
    for (const QString& f : file_answers_)
        ADD_FAILURE() << "scripted file dialog answer unused: \"" << str(f) << "\"";
}

UiScript& UiScript::expect_box(const QString& text_part, MsgResult answer) {
    box_answers_.push_back({text_part, answer});
    return *this;
}

UiScript& UiScript::answer(MsgResult answer) {
    box_answers_.push_back({QString(), answer});
    return *this;
}

UiScript& UiScript::expect_input(const QString& text) {
    input_answers_.push_back({true, text});
    return *this;
}

UiScript& UiScript::cancel_input() {
    input_answers_.push_back({false, QString()});
    return *this;
}

UiScript& UiScript::expect_file(const QString& path) {
    file_answers_.push_back(path);
    return *this;
}

UiScript& UiScript::on_modal(const QString& name, ModalHandler handler) {
    modal_handlers_[name] = std::move(handler);
    return *this;
}

QStringList UiScript::box_texts() const {
    QStringList texts;
    for (const RecordedBox& b : boxes_) texts << b.text;
    return texts;
}

bool UiScript::has_box(const QString& text_part) const {
    for (const RecordedBox& b : boxes_)
        if (b.text.contains(text_part)) return true;
    return false;
}

MsgResult UiScript::message_box(const QString& text, const QString& caption, platform::MsgIcon icon,
                                MsgButtons buttons, QWidget*) {
    // A box nobody foresaw is answered as if closed: whatever can be refused is.
    MsgResult result = platform::escape_answer(buttons);
    if (box_answers_.empty()) {
        ADD_FAILURE() << "unexpected message box: \"" << str(text) << "\" (caption \""
                      << str(caption) << "\")";
    } else if (!text.contains(box_answers_.front().text_part)) {
        // Left in the queue: an extra box before the expected one fails once, not twice.
        ADD_FAILURE() << "unexpected message box: \"" << str(text) << "\"; the script expects \""
                      << str(box_answers_.front().text_part) << "\"";
    } else {
        const MsgResult scripted = box_answers_.front().answer;
        box_answers_.pop_front();
        if (offers(buttons, scripted))
            result = scripted;
        else
            ADD_FAILURE() << "box \"" << str(text) << "\" has no button " << name_of(scripted);
    }
    boxes_.push_back({text, caption, icon, buttons, result, platform::MsgDefault::First});
    return result;
}

MsgResult UiScript::message_box_defaulting(const QString& text, const QString& caption,
                                           platform::MsgIcon icon, MsgButtons buttons,
                                           QWidget* parent, platform::MsgDefault default_button) {
    const MsgResult result = message_box(text, caption, icon, buttons, parent);
    boxes_.back().default_button = default_button;
    return result;
}

bool UiScript::input_box(const QString& prompt, const QString& caption, const QString& initial,
                         QString* answer, QWidget*) {
    inputs_.push_back({prompt, caption, initial});
    if (input_answers_.empty()) {
        ADD_FAILURE() << "unexpected input box: \"" << str(prompt) << "\"";
        return false;
    }
    const InputAnswer a = input_answers_.front();
    input_answers_.pop_front();
    if (a.confirm && answer) *answer = a.text;
    return a.confirm;
}

QString UiScript::file_dialog(const platform::FileDialogRequest& request, QWidget*) {
    files_.push_back(request);
    if (file_answers_.empty()) {
        ADD_FAILURE() << "unexpected file dialog: \"" << str(request.title) << "\"";
        return {};
    }
    const QString path = file_answers_.front();
    file_answers_.pop_front();
    return path;
}

int UiScript::run_modal(QDialog* window) {
    if (!window) {
        ADD_FAILURE() << "modal run of a null window";
        return QDialog::Rejected;
    }
    const QString class_name = QString::fromLatin1(window->metaObject()->className());
    modals_ << class_name;
    auto it = modal_handlers_.find(class_name);
    if (it == modal_handlers_.end()) it = modal_handlers_.find(window->objectName());
    if (it == modal_handlers_.end()) {
        ADD_FAILURE() << "unexpected modal window " << str(class_name) << " (object name \""
                      << str(window->objectName()) << "\")";
        return QDialog::Rejected;
    }
    // As exec() does: a fresh result, the window shown while it runs, hidden afterwards, and
    // deleted when it asks to be.
    QPointer<QDialog> guard(window);
    window->setResult(QDialog::Rejected);
    window->show();
    const ModalHandler handler = it->second;  // a copy: the handler may register others
    const int code = handler(window);
    if (guard) {
        guard->hide();
        if (guard->testAttribute(Qt::WA_DeleteOnClose)) delete guard.data();
    }
    return code;
}

void UiScript::beep() { ++beeps_; }

void UiScript::play_sound(const QString& wav_path) { sounds_ << wav_path; }

void UiScript::end_program(int exit_code) {
    exit_code_ = exit_code;
    platform::run_exit_cleanup();
    throw platform::ProgramEnded{exit_code};
}
