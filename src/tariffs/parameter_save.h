#pragma once
// Saving the system parameters window: every key the window edits, in one transaction, then
// the program's parameters reloaded. A statement that fails undoes the whole save and is
// reported with the database's own text; the window then stays open with what was typed.
#include <QString>

#include "shell/run_context.h"
#include "tariffs/tariff_outcome.h"

namespace platform {
struct Connection;
}

namespace tariffs {

// The window's controls as plain values.
struct ParameterForm {
    QString organisation_name;       // 编_单位名称
    QString settlement_day;          // 日期, "1" .. "28"
    QString settlement_month;        // 月份, "1" .. "11"
    bool yearly_by_december = true;  // 年结_每年12月 (else 年结_实际结算月份)
    bool monthly_fixed_day = false;  // 月结_固定日期 (else 月结_每月月底)
    bool personal_account = false;   // 个人帐户_开启
    QString household_prefix;        // 编辑框_前缀
    QString household_digits;        // 编辑框_用户位数, as typed
    bool rounding = false;           // 选择框_四舍五入
    bool rounding_to_tenths = true;  // 单选框_四舍五入十分位 (else 到个位)
    bool invoice_management = false; // 发票管理_开启
};

// Fills the form from table pz the way the window shows it: 结算日期 0 as "1", 结算月份 0 as
// "11". Keys without a row keep the form's values.
ParameterForm read_parameter_form(platform::Connection& connection, ParameterForm form = {});

// Checks the digits ("编码位数不能为0！" for empty, 0 or not a number), writes every key,
// reads the parameters back into `in_force` (the context's with pz read again, for the caller
// to put in force) and writes the log row. On success the outcome ends with "修改成功！";
// in_force.organisation_name then holds the saved name.
Outcome save_system_parameters(platform::Connection& connection, const ParameterForm& form,
                               const shell::RunContext& context, shell::SystemParameters& in_force);

}  // namespace tariffs
