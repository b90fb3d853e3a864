#include "shell/program_state.h"

#include "platform/grid.h"
#include "shell/crash_catcher.h"
#include "shell/report_designer_host.h"

namespace shell {


void init_program_variables() {
    clear_program_values();
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
    clear_program_values();
    page_setup_object.reset();
    if (designer_host) designer_host->designer_destroy();
    designer_host.reset();
    designer_report.reset();
    designer_ocx.reset();
}

}  // namespace shell
