#pragma once
// The base quantity of a price category under a fee item on a day: the monthly window
// (基本方调整) that covers the day, else the category's own 基本方 (水价类别), both matched with
// the fee item, since one category name may stand under several fee items with bases of their
// own. The engine bills with it and the receipt prints it, so the two always agree.
#include <QDate>
#include <QString>
#include <optional>

namespace platform {
struct Connection;
}

namespace tariffs {

// Nothing when neither table has a row for the category and fee item.
std::optional<double> category_base_quantity(platform::Connection& connection,
                                             const QString& category, const QString& fee_item,
                                             const QDate& day);

}  // namespace tariffs
