#pragma once
// What charging calls but later folders provide: the charge and prepayment receipts are printed
// by the reports folder, which comes after this one, so the program's assembly sets the printers
// here.
#include <QtGlobal>
#include <functional>

namespace charging {

// Prints one copy of the charge receipt of a payment serial; unset: nothing prints.
std::function<bool(qint64 serial)>& charge_receipt_printer();
// Prints one copy of the receipt of a prepayment (its 收据号); unset: nothing prints.
// `settled_with_it`: what the deposit paid of the household's bills as it was taken (0 for a
// reprint), so that the receipt's 上期结余 is the balance before the deposit.
std::function<bool(qint64 receipt_number, double settled_with_it)>& prepay_receipt_printer();

// Prints `copies` copies of the serial's receipt through the printer set above; how many were
// handed to it.
int print_charge_receipts(qint64 serial, int copies);

// `copies` copies through the printer above (none for 0 or fewer); how many were handed to it.
int print_prepay_receipts(qint64 receipt_number, int copies, double settled_with_it = 0);

}  // namespace charging
