#pragma once
// What the reading entry window does with the database: the meter on show, the start reading
// of a typed meter, the loss while the end reading is typed, the save of a pending reading in
// add or modify mode, and the next meter of the reader's route.
#include <QDate>
#include <QString>
#include <optional>

#include "reading/reading_rules.h"
#include "shell/run_context.h"

namespace platform {
struct Connection;
}

namespace reading {

// ---- program-wide values of the entry window ----
// The meter on show.
extern QString reading_entry_fee_item;
extern QString reading_entry_price_category;
extern QString reading_entry_reader;
extern QString reading_entry_household;
extern int reading_entry_multiplier;
// 用户表管理.编号 of the next meter of the route, handed from a save to the following look-up;
// 0 when none.
extern qint64 reading_entry_next_meter_id;
// Modify mode: fee item, category and reader of the pending row being modified.
extern QString reading_entry_edit_fee_item;
extern QString reading_entry_edit_price_category;
extern QString reading_entry_edit_reader;

// A meter account with its household, as the window shows it.
struct MeterOnShow {
    bool found = false;
    QString account;       // 户号
    QString name;          // 用户名
    QString street;        // 居住街道
    QString address;       // 详细地址
    QString fee_item;      // 收费项目
    QString category;      // 价格类别
    QString set_up;        // 建表时间 as text
    QString reader;        // 抄表人员
    QString meter_number;  // 计量编号
    QString household;     // 父号
};

// The meter by its typed number (trimmed), or by 编号 when next_meter_id is not 0.
MeterOnShow find_meter_on_show(platform::Connection& connection, const QString& typed_account,
                               qint64 next_meter_id);

// The start, end and loss of the first pending row of a meter account and fee item (modify
// mode opens on them).
struct PendingValues {
    bool found = false;
    double start = 0, end = 0, loss = 0;
};
PendingValues pending_reading_values(platform::Connection& connection, const QString& account,
                                     const QString& fee_item);

// What leaving the number box found.
struct PreviousReading {
    enum class Status { NoAccount, AlreadyRead, Ready } status = Status::NoAccount;
    double start = 0;
};
// The steps after the look-up: the account must exist, must not be read and committed for the
// date's month (by fee item and category), and gets its start reading.
PreviousReading previous_reading(platform::Connection& connection, const QString& account,
                                 const QString& fee_item, const QString& category,
                                 const QDate& date);

// The loss of the typed readings when the fee item computes its loss (自动损耗 开启): the loss
// rate of the account's category and its multiplier, the integer usage, rounded to the fee
// item's decimals. No value when the loss is typed by hand. multiplier (if given) gets 倍率.
std::optional<double> loss_while_typing(platform::Connection& connection, const QString& account,
                                        const QString& fee_item, const QString& category,
                                        double start, double end, MeterState state,
                                        int* multiplier = nullptr);

// The form as the save reads it.
struct ReadingForm {
    bool modify = false;
    QString account;  // 户号 box, trimmed
    QString prefix;   // the household-number prefix
    QString start_text;
    QString end_text;
    QString loss_text;
    MeterState state = MeterState::Normal;
    QDate date;
    QString fee_item;
    QString category;
    QString reader;
    QString household;
    QString edit_fee_item;  // modify mode
};

struct ReadingSaveOutcome {
    enum class Result { Refused, Failed, Saved } result = Result::Refused;
    QString message;  // empty when there is nothing to show
    QString caption;  // empty: the default caption
    // Where the focus goes after a refusal; Account* and End* with the text selected.
    enum class Focus { None, Account, AccountSelected, EndSelected, End } focus = Focus::None;
    bool account_to_prefix = false;  // the number box is set back to the prefix
    bool log_failed = false;         // saved, but the log row could not be written
    int multiplier = 1;
    double usage = 0;
};

// The save, refusals in the window's order: empty number, empty end reading, end below start
// (正常), 物业 meter, unknown meter of this fee item and category, a second pending reading of
// the meter (add mode). Then the insert (add) or update (modify) and the log row.
ReadingSaveOutcome save_pending_reading(platform::Connection& connection, const ReadingForm& form,
                                        const shell::RunContext& run);

// 编号 of the next meter of the route after this one: the reader's 正常 meter with the next
// higher 抄表序号; 0 when the route is finished.
qint64 next_meter_on_route(platform::Connection& connection, const QString& account,
                           const QString& fee_item, const QString& category);

}  // namespace reading
