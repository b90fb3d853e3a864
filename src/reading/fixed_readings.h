#pragma once
// Fixed readings (固定抄表): meters billed a fixed quantity every month instead of being read.
// One row per meter account (户号) with its whole-number monthly usage (固定用量 > 0) and a loss
// copied into every reading. The month's generation writes a pending reading for each fixed
// meter that has neither a committed nor a pending reading dated this month.
#include <QDate>
#include <QString>

namespace platform {
struct Connection;
}

namespace reading {

// 0 add, 1 edit: set by the list window before it opens the info window.
extern int fixed_reading_edit_mode;

// The list window's statement: every fixed row with its meter account and household, in 编号
// order. A row whose meter or household is gone is not listed.
QString fixed_readings_list_statement();

// A meter account with its household, as the info window shows it; in edit mode with the fixed
// row's usage and loss.
struct FixedMeterInfo {
    bool found = false;
    QString account, street, name, address, fee_item, category;
    double usage = 0, loss = 0;
};
// By the typed number (trimmed).
FixedMeterInfo find_fixed_meter(platform::Connection& connection, const QString& account);
// The fixed row 编号 = id with its meter.
FixedMeterInfo load_fixed_reading(platform::Connection& connection, qint64 id);

// The info window's form as its save reads it.
struct FixedReadingForm {
    bool edit = false;
    qint64 id = 0;       // 编号 of the row being edited
    QString account;     // 编辑框_户号
    QString usage_text;  // 编辑框_用量
    QString loss_text;   // 编辑框_水损
};

struct FixedReadingOutcome {
    enum class Result { Refused, Failed, Saved } result = Result::Refused;
    QString message;
    enum class Focus { None, Account, AccountSelected, Usage } focus = Focus::None;
    // The loss as the save wrote it back into its box (shortest form); empty before that step.
    QString loss_text;
};

// The save: number given, usage (truncated toward zero) above 0, the meter exists, then an
// update of usage and loss (edit; the row keeps its 户号) or an insert refused for a meter that
// has a fixed row already. "执行成功！" or "执行失败！".
FixedReadingOutcome save_fixed_reading(platform::Connection& connection,
                                       const FixedReadingForm& form);

bool delete_fixed_reading(platform::Connection& connection, qint64 id);

struct FixedGenerationOutcome {
    enum class Result { NoRows, MeterMissing, Done } result = Result::NoRows;
    int written = 0;          // pending rows inserted
    QString missing_account;  // MeterMissing: the fixed row whose meter is gone
    QString message;          // the message the window shows
};

// This month's pending readings of the fixed meters, in the order the table returns them. A
// fixed row whose meter account is gone ends the run there; the rows written before it stay.
FixedGenerationOutcome generate_fixed_readings(platform::Connection& connection,
                                               const QDate& today);

// The start of a fixed meter's reading: by 户号 alone, the latest committed end reading, else the
// given opening reading; a meter change executed in the month overrides either.
double fixed_start_reading(platform::Connection& connection, const QString& account,
                           const QDate& today, double opening);

}  // namespace reading
