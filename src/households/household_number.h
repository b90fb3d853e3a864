#pragma once

#include <QString>

namespace households {

// The household number that follows `number`: the digit run after the prefix is counted up by one,
// keeping its width (0009 -> 0010) and growing by one digit when it is all nines
// (9999 -> 10000, A9999 -> A10000). The prefix is found at its first occurrence, with or without
// regard to letter case, and is written back as `prefix`; text before it and text up to the first
// digit are kept, text after the digit run is dropped. A number without the prefix is counted up
// without one (0012 -> 0013, B0012 -> B0013).
// Full-width digits count as digits; the result is written in ASCII digits.
QString household_number_successor(const QString& number, const QString& prefix,
                                   bool prefix_ignores_case);

}  // namespace households
