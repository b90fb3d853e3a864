#pragma once
// Program-wide values that many windows read: who is logged in, the modes the opening windows
// leave for the windows they open, the bill numbers the charging windows hold, and the one page
// setup every list printout shares. They start empty and live until the program ends.
#include <QString>
#include <QtGlobal>
#include <memory>
#include <vector>
#include "lists/list_print.h"

namespace platform {
class GridPageSetup;
}

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
// The one page setup shared by all list printing, held by the list printer; null before
// init_program_variables().
using lists::page_setup_object;

// Creates the program-wide objects (a fresh page setup, the crash catcher's empty state),
// empties every value and sets household_form_source to "假", before any window exists.
// Calling it again starts afresh.
void init_program_variables();
// Releases the page setup and empties every value, the system parameters included.
void free_program_variables();

}  // namespace shell
