#pragma once
// The program-wide objects that start-up creates before any window exists and the exit
// clean-up frees: the one page setup every list printout shares, the crash catcher's state,
// the template designer's holders, and the program-wide values of session.h.
#include <memory>

#include "lists/list_print.h"
#include "shell/session.h"

namespace platform {
class GridPageSetup;
}

namespace shell {

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
