#pragma once
// The month's property-fee readings: one pending reading of fee item 物业 per 正常 property-fee
// meter account of a household with a property area, the area as its usage, the household's
// 物业类别 as its price category and 系统 as its reader. An account already committed this
// month, or with any pending row, is skipped, so a second run in the same month adds nothing.
#include <QDate>
#include <functional>

namespace platform {
struct Connection;
}

namespace reading {

struct GenerationProgress {
    std::function<void(int steps)> start;  // number of candidate accounts
    std::function<void()> step;            // one per candidate
};

// Returns the number of rows written.
int generate_property_fee_readings(platform::Connection& connection, const QDate& today,
                                   const GenerationProgress& progress = {});

}  // namespace reading
