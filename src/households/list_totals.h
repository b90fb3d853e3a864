#pragma once
// The totals row a list of this program ends with, as it comes back in a workbook exported
// from the list: the household lists' "用户数" or "当前：" and the count of households, the
// reading list's "合计" and "N户". The imports pass over such a row instead of taking it for
// a household or a meter.
#include <QString>

namespace households {

// The first two cells of a sheet row, as text.
bool is_list_totals_row(const QString& first_cell, const QString& second_cell);

// What an import adds to its closing message when it passed over totals rows: nothing for 0.
QString skipped_totals_text(int rows);

}  // namespace households
