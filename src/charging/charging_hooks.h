#pragma once
// What charging calls but later folders provide: the charge receipt is printed by the reports
// folder, which comes after this one, so the program's assembly sets the printer here.
#include <QtGlobal>
#include <functional>

namespace charging {

// Prints one copy of the charge receipt of a payment serial; unset: nothing prints.
std::function<bool(qint64 serial)>& charge_receipt_printer();

// Prints `copies` copies of the serial's receipt through the printer set above; how many were
// handed to it.
int print_charge_receipts(qint64 serial, int copies);

}  // namespace charging
