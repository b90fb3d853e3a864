#pragma once
// The year and month boxes of the queries and reports, read strictly. A box's text goes into
// date literals and labels as typed, so only plain digits naming a year the database can hold
// (four digits) or a month 1 to 12 are taken; anything else ("1e308", "99", "3.5", "") is
// refused by the caller with its message for that box.
#include <QString>
#include <optional>

namespace platform {

// Four digits, 1000 to 9999.
std::optional<int> typed_year(const QString& text);
// One or two digits (a leading zero allowed), 1 to 12.
std::optional<int> typed_month(const QString& text);

}  // namespace platform
