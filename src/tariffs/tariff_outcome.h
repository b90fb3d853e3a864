#pragma once
// What a tariff use case hands back to its window: whether the row was written, the boxes to
// show in order, and where the focus goes after a refusal. The core shows nothing itself.
#include <QString>
#include <vector>

#include "platform/messages.h"

namespace tariffs {

inline const QString kModeAdd = QStringLiteral("添加");
inline const QString kModeModify = QStringLiteral("修改");
inline const QString kInfoCaption = QStringLiteral("信息：");

// The form fields a refusal can point at.
enum class Field {
    None,
    FeeItem,    // the fee-item drop-down
    Category,   // the price-category drop-down
    Name,       // the name box
    Price,      // the price box
    Start,      // the tier's start box
    Stop,       // the tier's stop box
    Quantity,   // the base-quantity box
    Code,       // invoice code
    First,      // first invoice number
    Last,       // last invoice number
    Type,       // invoice type
    Collector,  // invoice holder
    Digits,     // household-number digits
};

struct Message {
    QString text;
    QString caption = kInfoCaption;
    bool plain = false;  // no icon: the database's own text, a statement
    platform::MsgButtons buttons = platform::MsgButtons::Ok;
};

struct Outcome {
    bool done = false;  // the change was written
    std::vector<Message> messages;
    Field focus = Field::None;
    bool select_text = false;  // the focused box's text is selected

    Outcome& say(const QString& text, const QString& caption = kInfoCaption) {
        messages.push_back({text, caption, false});
        return *this;
    }
    Outcome& say_plain(const QString& text) {
        messages.push_back({text, kInfoCaption, true});
        return *this;
    }
    // The database's text in a box with Cancel, Try Again and Continue, any of which just
    // closes it.
    Outcome& say_failure_box(const QString& text) {
        messages.push_back({text, kInfoCaption, true, platform::MsgButtons::CancelTryContinue});
        return *this;
    }
    static Outcome refused(const QString& text, Field focus = Field::None, bool select = false) {
        Outcome outcome;
        outcome.say(text);
        outcome.focus = focus;
        outcome.select_text = select;
        return outcome;
    }
};

// A confirmation the window asks before a delete.
struct Question {
    QString text;
    QString caption = kInfoCaption;
    bool ok_cancel = false;  // OK/Cancel instead of Yes/No
};

}  // namespace tariffs
