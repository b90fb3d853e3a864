#pragma once
// Meter changes (换表管理): which meter account got which new meter, the new meter's start
// reading, the date of the change and the month ('Y-M', month unpadded) from which its readings
// start at that value. Saving a change writes the new meter number into the account
// (用户表管理.计量编号); deleting it writes the old one back.
//
// An account may have several changes. The number an account carries is that of its latest
// change, so an older change that is edited or deleted writes its number into the account only
// while the account still carries that change's new number; otherwise it would put a stale
// number on a meter that has been changed since.
#include <QDate>
#include <QString>
#include <QStringList>

#include "shell/run_context.h"

namespace platform {
struct Connection;
}

namespace reading {

// 0 add, 1 edit: set by the page's add and modify buttons.
extern int meter_change_edit_mode;
// 编号 of the change being edited.
extern QString edited_meter_change_number;

inline const QString kMeterChangeColumnClass = QStringLiteral("换表管理");

// The page's list statement; callers append a condition (starting with " and") and an order.
QString meter_change_list_statement();
// Today's changes, in 编号 order (the navigation entry's list).
QString meter_change_today_condition(const QDate& today);

// The account as the entry window's look-up shows it.
struct MeterChangeAccount {
    bool found = false;
    bool composite = false;  // the household has several meters (性质): refused
    QString name, street, address, fee_item, meter_number;
};
MeterChangeAccount find_meter_change_account(platform::Connection& connection,
                                             const QString& account);

// A stored change, as the entry window loads it for editing.
struct MeterChangeRow {
    bool found = false;
    QString account, old_number, new_number, execution, operator_name;
    double start = 0;
    QDate change_date;
};
MeterChangeRow load_meter_change(platform::Connection& connection, qint64 id);

// The operators a change may be recorded under: every 收费人员 but the administrator.
QStringList change_operator_names(platform::Connection& connection);

// The entry window's form.
struct MeterChangeForm {
    bool edit = false;
    QString edited_id;      // 编号 of the change (edit)
    QString account;        // 编辑框_户号
    QString operator_name;  // 选择框_操作人员
    QString year_text;      // 编辑框_年
    QString month_text;     // 组合框_月
    QString new_number;     // 编辑框_新表编号, as typed
    QString old_number;     // 编辑框_水表编号
    QString start_text;     // 编辑框_换表起方
    QDate change_date;      // 日期框_预存收费
};

struct MeterChangeOutcome {
    enum class Result { Refused, Failed, Done } result = Result::Refused;
    QString message;
    enum class Focus { None, Account, Operator, Year, Month } focus = Focus::None;
    bool log_failed = false;
};

// The save: refusals for an empty number, operator, year (|year| <= 1e-7) or month; then the
// change row (insert, or update that keeps 户号 and 旧表编号), the account's 计量编号 and the log
// row. A failing statement ends it with the connection's error text (the change statement's
// error followed by the statement).
MeterChangeOutcome save_meter_change(platform::Connection& connection, const MeterChangeForm& form,
                                     const shell::RunContext& run);

// Deletes a change and writes its old number back into the account when the account still
// carries the change's new number, both or neither; then the log row. Failures say nothing
// (Failed with no message). Done: "删除成功,请刷新数据！".
MeterChangeOutcome delete_meter_change(platform::Connection& connection, qint64 id,
                                       const shell::RunContext& run);

// The query window's criteria.
enum class MeterChangeCriterion { None, Account, Name, MeterNumber, Street, ChangeDate, Operator };
struct MeterChangeQuery {
    MeterChangeCriterion criterion = MeterChangeCriterion::None;
    QString text;  // as typed
    QDate from, to;
    int order = -1;  // 0 by 用户表管理.编号, 1 by 换表管理.编号, 2 by street, else none
};
struct MeterChangeCondition {
    QString clause;   // condition and order to append to the list statement
    QString refusal;  // non-empty: the input was empty, the message to show
};
MeterChangeCondition meter_change_query_condition(const MeterChangeQuery& query);

}  // namespace reading
