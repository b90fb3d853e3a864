#include "shell/program_state.h"

#include "platform/grid.h"
#include "shell/crash_catcher.h"
#include "shell/report_designer_host.h"
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

namespace {

void clear_values() {
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

}  // namespace

void init_program_variables() {
    clear_values();
    page_setup_object = std::make_shared<platform::GridPageSetup>();
    // The crash catcher's tables, lock and hook record, empty until its installer runs.
    crash_catcher_state() = CrashCatcherState{};
    // The template designer's objects: created empty, no component inside yet.
    designer_report = std::make_unique<ComponentHolder>();
    designer_host = std::make_unique<ReportDesigner>();
    init_report_designer_host(*designer_host);
    designer_ocx = std::make_unique<ComponentHolder>();
    household_form_source = QStringLiteral("假");
}

void free_program_variables() {
    clear_values();
    page_setup_object.reset();
    if (designer_host) designer_host->designer_destroy();
    designer_host.reset();
    designer_report.reset();
    designer_ocx.reset();
}

}  // namespace shell
