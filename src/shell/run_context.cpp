#include "shell/run_context.h"

#include "platform/convert.h"
#include "shell/session.h"

namespace shell {

RunContext program_context() { return {platform::now(), system_parameters, current_operator}; }

RunContext run_on(const QDate& day, const SystemParameters& parameters,
                  const QString& operator_name) {
    return {QDateTime(day, QTime(0, 0)), parameters, operator_name};
}

}  // namespace shell
