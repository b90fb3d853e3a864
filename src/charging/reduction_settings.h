#pragma once
// Reduction settings (减免设置): at most one row per household saying how much of its bills
// the charge engine waives, fully or partly, by amount or by quantity, always or a number of
// times. The settings list of the reductions page, the household look-up and the add, edit and
// delete of a setting; the window only reads its form and shows the outcome.
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/messages.h"
#include "shell/run_context.h"

namespace platform {
struct Connection;
}

namespace charging {

// What the reductions page shows (shell::reduction_list_kind), also its 查询列 classes.
inline const QString kReductionSettingsKind = QStringLiteral("减免设置");
inline const QString kReductionDetailsKind = QStringLiteral("减免明细");

inline const QString kReductionFull = QStringLiteral("全部减免");
inline const QString kReductionPartial = QStringLiteral("部分减免");
inline const QString kReductionForever = QStringLiteral("永久");
inline const QString kReductionCounted = QStringLiteral("次数");
inline const QString kReductionTypeAmount = QStringLiteral("按金额");
inline const QString kReductionTypeQuantity = QStringLiteral("按用量");
// A value box whose value does not apply.
inline const QString kNotApplicable = QStringLiteral("--");
// The first cell of the settings list's totals row.
inline const QString kSettingsTotalsCell = QStringLiteral("用户数");

inline const QString kNoReductionHousehold = QStringLiteral("无此用户！");
inline const QString kMasterMeterRefused = QStringLiteral("用户性质为总表无效!");
inline const QString kSettingExists =
    QStringLiteral("减免设置中已有该用户记录，请在点击该记录进行修改！");
inline const QString kCountTooSmall = QStringLiteral("减免次数不能小于0！");
inline const QString kAmountTooSmall = QStringLiteral("减免金额不能小于0！");

// The household whose setting ReductionSettingsWindow edits; empty when it adds one. Set by
// 添加 and 减免修改 just before the window opens.
extern QString edited_reduction_household;

// A list as the page shows it: the rows' cells by position, then the totals row.
struct ReductionList {
    std::vector<QStringList> rows;
    QStringList totals;
    bool ok = true;  // false when the statement failed (already reported)
};

QString reduction_settings_statement();
// Every setting whose household 用户表 knows, in 编号 order, with the totals row "用户数" and
// the count.
ReductionList read_reduction_settings_list(platform::Connection& connection);

// The household box left: what the window does next.
struct ReductionHouseholdLookup {
    enum class Result {
        Nothing,      // empty box, or only the prefix and no such household: nothing happens
        Missing,      // "无此用户！", box emptied and focused
        MasterMeter,  // "用户性质为总表无效!", box back to the prefix and focused
        Found
    } result = Result::Nothing;
    QString name, street, address;
};
ReductionHouseholdLookup look_up_reduction_household(platform::Connection& connection,
                                                     const QString& household,
                                                     const QString& prefix);

// The form of ReductionSettingsWindow as texts.
struct ReductionSettingForm {
    QString household;
    bool by_quantity = false;  // 组合框_减免类型 "按用量减免" (else "按金额减免")
    QString amount_mode = kReductionFull;         // 选择框_减免方式
    QString amount = kNotApplicable;              // 编辑框_减免金额
    QString amount_period = kReductionForever;    // 选择框_减免期限
    QString amount_times = kNotApplicable;        // 编辑框_减免次数
    QString quantity_mode = kReductionFull;       // 选择框_减免用量方式
    QString quantity = kNotApplicable;            // 编辑框_减免用量
    QString quantity_period = kReductionForever;  // 选择框_减免用量期限
    QString quantity_times = kNotApplicable;      // 编辑框_减免用量次数
};

// A household's setting as the edit form shows it; `found` false when it has none. Only the
// side of its 减免类型 is filled in; the other keeps the form's defaults.
struct LoadedReductionSetting {
    bool found = false;
    ReductionSettingForm form;
};
LoadedReductionSetting load_reduction_setting(platform::Connection& connection,
                                              const QString& household);

enum class ReductionField { None, Household, Amount, AmountTimes, Quantity, QuantityTimes };

struct ReductionOutcome {
    bool done = false;
    platform::Messages messages;
    ReductionField focus = ReductionField::None;
    bool select_text = false;
};

// 添加 (edited_household empty) or 保存 (the setting of edited_household): the household must
// exist and not be a master meter, a counted or partial reduction needs a count or value above
// 0, and a household gets one setting only. Writes nothing to the log.
ReductionOutcome save_reduction_setting(platform::Connection& connection,
                                        const ReductionSettingForm& form,
                                        const QString& edited_household);

QString reduction_setting_delete_question(const QString& household);
// Deletes the household's setting and logs it.
ReductionOutcome delete_reduction_setting(platform::Connection& connection,
                                          const QString& household,
                                          const shell::RunContext& context);

// Whether the operator holds any of the reduction rights, and so may reach the
// reductions page at all.
bool may_use_reductions(platform::Connection& connection, const QString& operator_name);

}  // namespace charging
