#include "charging/charging_hooks.h"

namespace charging {

std::function<bool(qint64)>& charge_receipt_printer() {
    static std::function<bool(qint64)> printer;
    return printer;
}

std::function<bool(qint64, double)>& prepay_receipt_printer() {
    static std::function<bool(qint64, double)> printer;
    return printer;
}

int print_charge_receipts(qint64 serial, int copies) {
    if (!charge_receipt_printer()) return 0;
    int printed = 0;
    for (int i = 0; i < copies; ++i) {
        charge_receipt_printer()(serial);
        ++printed;
    }
    return printed;
}

int print_prepay_receipts(qint64 receipt_number, int copies, double settled_with_it) {
    if (!prepay_receipt_printer()) return 0;
    int printed = 0;
    for (int i = 0; i < copies; ++i) {
        prepay_receipt_printer()(receipt_number, settled_with_it);
        ++printed;
    }
    return printed;
}

}  // namespace charging
