#pragma once
// A meter account's place in its reader's reading walk (抄表序号): one place up or down, swapped
// with the account there, or to a given place, the accounts from that place on following it
// consecutively. Each move is all or nothing and costs a fixed number of statements however
// many accounts the reader has.
#include <QString>

#include "platform/db.h"
#include "platform/messages.h"

namespace households {

struct ReadingOrderOutcome {
    bool moved = false;
    QString reader;  // the moved account's reader, for refilling the list with its walk
    // After a move: the question whether to refill the list, and the closing message.
    QString refill_question;
    QString done_message;
    // Otherwise what to show (an end of the walk reached, a bad place).
    platform::Messages messages;
    // The database's text when a statement failed (nothing is shown then).
    QString error;
};

enum class OneStep { Up, Down };

// Swaps the account 编号 id with the account one place before (after) it. Refused at the first
// place ("已到首位。") and, moving down, at the place equal to the reader's account count
// ("已到末位。").
ReadingOrderOutcome move_meter_one_place(platform::Connection& connection, qint64 id,
                                         OneStep step);

// Puts the account 编号 id at the place typed (its text cut to a whole number; below 1:
// "待设置的序号不能小于１。"); the reader's other accounts from that place on, in their order
// (抄表序号, then 编号), take the places after it, one after the other. Those before it keep
// theirs, and the moved account's old place is not reused.
ReadingOrderOutcome move_meter_to_place(platform::Connection& connection, qint64 id,
                                        const QString& typed_place);

}  // namespace households
