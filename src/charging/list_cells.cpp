#include "charging/list_cells.h"

#include <QString>
#include <charconv>
#include <cmath>

#include "platform/convert.h"
#include "tariffs/bills.h"

namespace charging {

std::string_view amount_cell(double value, char (&out)[kAmountCellSize], int decimals) {
    double rounded = platform::round_to(value, decimals);
    if (!std::isfinite(rounded) || rounded == 0.0) rounded = 0.0;
    const auto res = std::to_chars(out, out + kAmountCellSize, rounded, std::chars_format::fixed,
                                   decimals);
    if (res.ec != std::errc()) return {};
    return std::string_view(out, static_cast<std::size_t>(res.ptr - out));
}

std::string_view half_width_cell(std::string_view raw, std::string& storage) {
    // Full-width forms start with the bytes EF BC / EF BD (U+FF01..U+FF5E) or are E3 80 80 (the
    // full-width blank); a number without them is already half-width.
    if (raw.find('\xEF') == std::string_view::npos &&
        raw.find("\xE3\x80\x80") == std::string_view::npos)
        return raw;
    storage = tariffs::half_width(QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size())))
                  .toStdString();
    return storage;
}

}  // namespace charging
