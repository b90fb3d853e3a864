#include "app/assembly.h"

#include "charging/charge_queries_install.h"
#include "charging/charging_install.h"
#include "charging/deductions_install.h"
#include "charging/prepayments_install.h"
#include "charging/reductions_install.h"
#include "households/households_install.h"
#include "households/meters_install.h"
#include "lists/list_pages.h"
#include "lists/list_print.h"
#include "reading/reading_install.h"
#include "reading/reading_queries_install.h"
#include "reports/reports_install.h"
#include "reports/statistics_install.h"
#include "shell/admin.h"
#include "shell/main_window.h"
#include "shell/session.h"
#include "tariffs/tariffs_install.h"

namespace app {

void assemble_program(shell::MainWindow& window) {
    lists::install_list_printing();
    lists::set_list_kind_sources({[] { return shell::reading_query_kind; },
                                  [] { return shell::charge_query_kind; },
                                  [] { return shell::reduction_list_kind; }});
    shell::install_administration(window);
    const households::HouseholdPages household_pages = households::install(window);
    households::install_meters(window, household_pages.add_page);
    tariffs::install(window);
    reading::install(window);
    reading::install_queries(window);
    charging::install(window);
    charging::install_charge_queries(window);
    charging::install_deductions(window);
    charging::install_prepayments(window);
    charging::install_reductions(window);
    reports::install(window);
    reports::install_statistics(window);
}

}  // namespace app
