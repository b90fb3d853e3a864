#pragma once
// Program-wide values that many windows and routines read: who is logged in, the modes the
// opening windows leave for the windows they open, and the bill numbers the charging windows
// hold. They start empty and live until the program ends.
#include <QString>
#include <QtGlobal>
#include <vector>

namespace shell {

// The 收费人员 of the logged-in operator; "管理员" is the administrator. Written by the login
// window only.
extern QString current_operator;
// The household form's source flag; "假" from start-up on.
extern QString household_form_source;
// "添加" or "修改": how the reading window opens.
extern QString reading_form_mode;
// "已抄表查询" or "未抄表查询": what the reading-query page shows.
extern QString reading_query_kind;
// "已收费查询" or "未收费查询": what the charge-query page shows.
extern QString charge_query_kind;
// "减免设置" or "减免明细": what the reductions page shows.
extern QString reduction_list_kind;
// The invoice number in use, empty when no batch has a free number.
extern QString current_invoice_number;
// 收据号 of the unpaid bills shown in the counter and card charging windows.
extern std::vector<qint64> counter_bill_numbers;
extern std::vector<qint64> card_bill_numbers;
// Empties every value above and the system parameters.
void clear_program_values();

}  // namespace shell
