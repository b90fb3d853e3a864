#include "tariffs/reductions.h"

#include <QtGlobal>

namespace tariffs {

ReductionRunOutcome apply_all_reductions(platform::Connection&) {
    qFatal("apply_all_reductions: not built yet");
}
int apply_reduction_record(platform::Connection&, const QString&, double, const QString&,
                           const QString&, qint64, Messages*) {
    qFatal("apply_reduction_record: not built yet");
}
QString build_reduction_input_record(platform::Connection&, const QString&) {
    qFatal("build_reduction_input_record: not built yet");
}

}  // namespace tariffs
