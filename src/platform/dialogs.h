#pragma once
// Message boxes, input boxes, file dialogs, modal windows, sounds and ending the program.
// Every window of the system reaches the user through these calls only, so that tests can
// script them: a test installs its own UiBackend, which records each box and answers it
// from a queue, drives modal windows through callbacks and records the end of the program.
#include <QString>
#include <QStringList>
#include <memory>

#include "platform/file_places.h"
#include "platform/messages.h"

class QDialog;
class QFileDialog;
class QLineEdit;
class QWidget;

namespace platform {

// The button Enter presses: the first one, or the refusal (what closing the box answers), for a
// question whose yes destroys data.
enum class MsgDefault { First, Refusal };

struct FileDialogRequest {
    enum class Kind { Open, Save, Folder } kind = Kind::Open;
    QString title;
    FilePlace place = FilePlace::Exchange;  // the kind of file: decides the folder shown first
    QString directory;  // folder shown first: set by common_dialog_show from place
    QString file_name;  // proposed file name (save)
    QString filter;     // Qt filter text, e.g. "Excel 文件 (*.xlsx)"
};

// Thrown by end_program() under a test backend, so that the handler that ended the program
// stops where the real program would have stopped. The real backend never returns either.
struct ProgramEnded {
    int exit_code = 0;
};

class UiBackend {
public:
    virtual ~UiBackend() = default;
    virtual MsgResult message_box(const QString& text, const QString& caption, MsgIcon icon,
                                  MsgButtons buttons, QWidget* parent) = 0;
    // The same box with Enter on the button `default_button` names; a backend that presses no
    // keys may leave the difference aside.
    virtual MsgResult message_box_defaulting(const QString& text, const QString& caption,
                                             MsgIcon icon, MsgButtons buttons, QWidget* parent,
                                             MsgDefault default_button) {
        (void)default_button;
        return message_box(text, caption, icon, buttons, parent);
    }
    // Returns false when the user cancelled.
    virtual bool input_box(const QString& prompt, const QString& caption, const QString& initial,
                           QString* answer, QWidget* parent) = 0;
    // Returns the chosen path, or an empty text when cancelled.
    virtual QString file_dialog(const FileDialogRequest& request, QWidget* parent) = 0;
    // Runs a modal window to its end and returns its result code.
    virtual int run_modal(QDialog* window) = 0;
    virtual void beep() = 0;
    virtual void play_sound(const QString& wav_path) = 0;
    [[noreturn]] virtual void end_program(int exit_code) = 0;
};

// The backend in use; the Qt one unless a test installed its own (nullptr restores Qt's).
UiBackend& ui_backend();
void set_ui_backend(UiBackend* backend);

// Work run by end_program() before the process ends (the program's exit clean-up).
void set_exit_cleanup(void (*cleanup)());
// Runs the registered clean-up once: it is forgotten before it runs, so a second call (a normal
// return from the event loop after end_program, say) does nothing until one is set again.
void run_exit_cleanup();

// A file filter for QFileDialog. Windows-style filters ("所有图片(*.jpg;*.bmp)|*.jpg;*.bmp|
// 位图文件(*.bmp)|*.bmp") become Qt's ("所有图片 (*.jpg *.bmp);;位图文件 (*.bmp)"); a filter
// without '|' is taken as Qt's already and returned unchanged.
QString qt_file_filter(const QString& filter);

// Qt's own file dialog for a request, never the desktop's, so that it looks alike everywhere:
// its file list shows dates and sizes in Chinese (Qt formats them with the machine's locale),
// and its tool buttons keep their icons under every skin.
std::unique_ptr<QFileDialog> make_file_dialog(const FileDialogRequest& request,
                                              QWidget* parent = nullptr);
// The path chosen in an accepted file dialog.
QString chosen_file(const QFileDialog& dialog);

// Gives the icon-only tool buttons of one of Qt's own dialogs (the file dialog, the print
// preview) the room their icons need: a skin pads buttons for their captions, which leaves an
// icon-only button no room for its picture.
void keep_tool_button_icons(QWidget* dialog);

// Fills the working area of the screen a top-level window opens on (its owner's screen, or the
// primary one), frame included: maximised where a window manager carries that out, and otherwise
// (or once restored) at the working area less a usual border and title bar, so its frame never
// runs off the screen.
void fill_working_area(QWidget* window, const QWidget* owner = nullptr);

// Makes a read-only edit box holding a fixed text (a hint line) at least wide enough to show the
// whole text, from its first character.
void show_whole_text(QLineEdit* edit);

// Makes the database layer tell its failures (a record set that fails to open) in a plain box
// with the provider's text, no caption and no icon. The program and the test harness call it
// once at start.
void report_database_errors_in_boxes();

MsgResult message_box(const QString& text, const QString& caption = kDefaultCaption,
                      MsgIcon icon = MsgIcon::Information, MsgButtons buttons = MsgButtons::Ok,
                      QWidget* parent = nullptr);
// A question before a step that destroys data: Enter (the default button) refuses, so a key
// pressed out of habit changes nothing.
MsgResult ask_before_destroying(const QString& text, MsgButtons buttons, QWidget* parent = nullptr);
// A plain information box, as most of the system's messages are.
inline void inform(const QString& text, const QString& caption = kDefaultCaption) {
    message_box(text, caption);
}
// Shows a core routine's messages one after the other, in order.
void show_messages(const Messages& messages, QWidget* parent = nullptr);
// What closing a box without choosing (Esc, the close box) answers: whatever can be refused is.
MsgResult escape_answer(MsgButtons buttons);
bool input_box(const QString& prompt, const QString& caption, const QString& initial,
               QString* answer, QWidget* parent = nullptr);
// Shows a file dialog opening in the start folder of the request's place.
QString common_dialog_show(const FileDialogRequest& request, QWidget* parent = nullptr);
int window_open_modal(QDialog* window);
void beep();
void play_sound(const QString& wav_path);
// Runs the exit clean-up and ends the process with the given code.
[[noreturn]] void end_program(int exit_code = 0);

}  // namespace platform
