#pragma once
// Printing the two receipts. Each call builds the print database for one receipt, loads its
// template and prints one copy, or opens the preview when [控件注册] 打印预览 is not "假".
// Callers print several copies by calling again. Both answer whether the receipt was printed
// (or previewed): a template that does not load prints nothing.
#include <QtGlobal>

namespace reports {

// The charge receipt of one payment serial (template grf/sf.grf).
bool print_charge_receipt(qint64 serial);
// The receipt of one prepayment, by its receipt number (template grf/yc.grf).
bool print_prepay_receipt(qint64 receipt_number, double settled_with_it = 0);

}  // namespace reports
