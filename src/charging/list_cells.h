#pragma once
// Cell texts the charging lists write straight from their record sets, without a QString per
// cell: amounts with a fixed number of decimals and household numbers in half-width form.
#include <cstddef>
#include <string>
#include <string_view>

namespace charging {

// Room for any double written with up to four decimals.
inline constexpr std::size_t kAmountCellSize = 400;

// `value` rounded to `decimals` places, halves away from zero, "-0.00" and non-numbers as 0, in
// `out`.
std::string_view amount_cell(double value, char (&out)[kAmountCellSize], int decimals = 2);

// A household number as the lists show it: full-width digits, letters and blanks turned
// half-width (the text then lives in `storage`); any other text is returned as it is.
std::string_view half_width_cell(std::string_view raw, std::string& storage);

}  // namespace charging
