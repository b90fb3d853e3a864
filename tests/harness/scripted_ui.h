#pragma once
// The scripted user for tests. While a UiScript lives it is the program's UiBackend: every
// message box is recorded and answered from the test's script, input boxes and file dialogs
// from their own queues, modal windows are driven by callbacks registered for their class,
// beeps and sounds are counted, and ending the program is recorded and thrown as
// platform::ProgramEnded instead of ending the test run.
//
// Anything the script did not foresee fails the test: a box without a scripted answer, an
// input box or file dialog nobody expected, a modal window without a callback. Answers left
// unused when the script ends fail it too.
//
//     UiScript ui;
//     ui.expect_box("确定删除", platform::MsgResult::Yes).expect_box("删除成功");
//     ui.on_modal("HouseholdForm", [](QDialog* w) { ...; return QDialog::Accepted; });
//     on_delete_click();
//     EXPECT_EQ(ui.box_texts().size(), 2);
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <vector>

#include "platform/dialogs.h"

// Readable QString values in GoogleTest messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

struct RecordedBox {
    QString text;
    QString caption;
    platform::MsgIcon icon = platform::MsgIcon::None;
    platform::MsgButtons buttons = platform::MsgButtons::Ok;
    platform::MsgResult answer = platform::MsgResult::Ok;  // what the script answered
    platform::MsgDefault default_button = platform::MsgDefault::First;  // what Enter presses
};

struct RecordedInput {
    QString prompt;
    QString caption;
    QString initial;
};

class UiScript : public platform::UiBackend {
public:
    // Returns the window's result code; the window is shown before and hidden after.
    using ModalHandler = std::function<int(QDialog*)>;

    UiScript();            // installs itself as the backend
    ~UiScript() override;  // restores the previous backend, fails on unused answers
    UiScript(const UiScript&) = delete;
    UiScript& operator=(const UiScript&) = delete;

    // ---- the script, answered in order ----
    // The next box must contain text_part in its text; it is answered with answer, which must
    // be one of the box's buttons.
    UiScript& expect_box(const QString& text_part,
                         platform::MsgResult answer = platform::MsgResult::Ok);
    // The next box, whatever its text, is answered with answer.
    UiScript& answer(platform::MsgResult answer);
    // The next input box is confirmed with this text, or cancelled.
    UiScript& expect_input(const QString& text);
    UiScript& cancel_input();
    // The next file dialog returns this path; an empty path means the user cancelled.
    UiScript& expect_file(const QString& path);
    // Every modal window whose class name (or, failing that, object name) is name runs handler.
    UiScript& on_modal(const QString& name, ModalHandler handler);

    // ---- what happened ----
    const std::vector<RecordedBox>& boxes() const { return boxes_; }
    QStringList box_texts() const;
    // True when a recorded box contains text_part.
    bool has_box(const QString& text_part) const;
    const std::vector<RecordedInput>& inputs() const { return inputs_; }
    const std::vector<platform::FileDialogRequest>& file_requests() const { return files_; }
    // Class names of the modal windows run, in order.
    const QStringList& modal_windows() const { return modals_; }
    int beep_count() const { return beeps_; }
    const QStringList& sounds() const { return sounds_; }
    // The code end_program was called with, if it was.
    std::optional<int> exit_code() const { return exit_code_; }

    // ---- platform::UiBackend ----
    platform::MsgResult message_box(const QString& text, const QString& caption,
                                    platform::MsgIcon icon, platform::MsgButtons buttons,
                                    QWidget* parent) override;
    platform::MsgResult message_box_defaulting(const QString& text, const QString& caption,
                                               platform::MsgIcon icon, platform::MsgButtons buttons,
                                               QWidget* parent,
                                               platform::MsgDefault default_button) override;
    bool input_box(const QString& prompt, const QString& caption, const QString& initial,
                   QString* answer, QWidget* parent) override;
    QString file_dialog(const platform::FileDialogRequest& request, QWidget* parent) override;
    int run_modal(QDialog* window) override;
    void beep() override;
    void play_sound(const QString& wav_path) override;
    [[noreturn]] void end_program(int exit_code) override;

private:
    struct BoxAnswer {
        QString text_part;  // empty: any box
        platform::MsgResult answer;
    };
    struct InputAnswer {
        bool confirm;
        QString text;
    };

    platform::UiBackend* previous_;
    std::deque<BoxAnswer> box_answers_;
    std::deque<InputAnswer> input_answers_;
    std::deque<QString> file_answers_;
    std::map<QString, ModalHandler> modal_handlers_;

    std::vector<RecordedBox> boxes_;
    std::vector<RecordedInput> inputs_;
    std::vector<platform::FileDialogRequest> files_;
    QStringList modals_;
    QStringList sounds_;
    int beeps_ = 0;
    std::optional<int> exit_code_;
};
