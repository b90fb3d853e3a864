#pragma once
// For code that steps a statement of its own through the C API (db_handle): its failure told as
// a failed record set tells it.
#include "platform/db.h"

namespace platform {

// The connection's current SQLite error becomes its last error and goes to the database error
// reporter, unless quiet.
void db_report_failure(Connection& connection, OnFailure on_failure = OnFailure::Report);

}  // namespace platform
