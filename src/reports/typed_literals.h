#pragma once
// The report periods carry the year and month box texts into their date literals as typed. A
// literal that does not name a real day (a letter, a month 13, a stray "#") would only fail in
// the database or, worse, change the statement around it; the reports count such a bound as
// matching nothing instead of running it.
#include <QString>

namespace reports {

// True for "#Y-M-D#" with digits only (leading zeros allowed) naming an existing day.
bool report_literal_is_day(const QString& literal);

}  // namespace reports
