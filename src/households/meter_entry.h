#pragma once
// Saving and deleting a meter account: the rules of the meter form and of the meter page's
// delete button, without the windows. The outcome says whether the account was written, which
// box gets the focus after a refusal, and the boxes to show, in order.
#include <QDate>
#include <QString>

#include "platform/db.h"
#include "platform/messages.h"

namespace households {

// The meter form's values as typed.
struct MeterEntry {
    bool adding = true;          // 添加; otherwise 修改 of the account edited_id
    qint64 edited_id = 0;        // 编号 of the account being modified
    QString edited_household;    // its 父号, as loaded
    QString household;           // 户号 box
    QString fee_item;            // combo texts
    QString price_category;
    QString reader;
    QString start_reading;       // 开始起码
    QString multiplier;          // 倍率
    QString meter_number;        // 新表编号
    QDate set_up;                // 建表时间
    QString state;               // 当前状态
};

enum class MeterField { None, Household, Multiplier };

struct MeterSaveOutcome {
    bool saved = false;
    MeterField focus = MeterField::None;
    platform::Messages messages;
};

// Checks and writes the account (a new one gets the next free number of its household and the
// end of its reader's walk; property-fee accounts are always read by 系统). A property-fee
// account's price category becomes its household's 物业类别 in the same transaction: both or
// neither, and a failure gives the database's text. On success "执行成功!".
MeterSaveOutcome save_meter_account(platform::Connection& connection, const MeterEntry& entry);

// Deletes the meter account 编号 id ("删除成功，请刷新显示！"); its readings and bills stay. A
// failed delete gives the database's text.
platform::Messages delete_meter_account(platform::Connection& connection, qint64 id);

}  // namespace households
