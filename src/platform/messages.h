#pragma once
// What a box says, apart from showing it: the kinds of box and answer, and the messages a
// core routine hands back for its window to show (dialogs.h shows them). Widget-free, so that
// every use case can say what the user is to read without knowing how it is shown.
#include <QList>
#include <QString>

namespace platform {

enum class MsgIcon { None, Information, Warning, Question, Critical };
// CancelTryContinue: "取消", "重试", "继续", as a failure box offers them.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, CancelTryContinue };
enum class MsgResult { Ok, Cancel, Yes, No, TryAgain, Continue };

// The caption a box shows when its caller names none.
inline const QString kDefaultCaption = QStringLiteral("信息：");

// One box to show: its text, caption and icon (an OK button).
struct Message {
    QString text;
    QString caption = kDefaultCaption;
    MsgIcon icon = MsgIcon::Information;

    friend bool operator==(const Message&, const Message&) = default;
};
using Messages = QList<Message>;

// A plain information box, as most of the system's messages are.
inline Message information(const QString& text, const QString& caption = kDefaultCaption) {
    return {text, caption, MsgIcon::Information};
}
// The database's own text in a box without icon, as a failed statement is told.
inline Message database_error(const QString& provider_text) {
    return {provider_text, kDefaultCaption, MsgIcon::None};
}

}  // namespace platform
