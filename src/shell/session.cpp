#include "shell/session.h"

#include "shell/system_parameters.h"

namespace shell {

QString current_operator;
QString household_form_source;
QString reading_form_mode;
QString reading_query_kind;
QString charge_query_kind;
QString reduction_list_kind;
QString current_invoice_number;
std::vector<qint64> counter_bill_numbers;
std::vector<qint64> card_bill_numbers;

void clear_program_values() {
    current_operator.clear();
    household_form_source.clear();
    reading_form_mode.clear();
    reading_query_kind.clear();
    charge_query_kind.clear();
    reduction_list_kind.clear();
    current_invoice_number.clear();
    // Swapping with empty vectors gives the memory back, as freeing the arrays did.
    std::vector<qint64>().swap(counter_bill_numbers);
    std::vector<qint64>().swap(card_bill_numbers);
    system_parameters = SystemParameters{};
}


}  // namespace shell
