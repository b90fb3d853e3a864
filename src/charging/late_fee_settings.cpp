#include "charging/late_fee_settings.h"

#include <cmath>

#include "platform/convert.h"
#include "platform/db.h"
#include "shell/operation_log.h"

namespace charging {

namespace {

QString set_text(const QString& key, const QString& text) {
    return QStringLiteral("update pz set 文本=") + platform::sql_quote(text) +
           QStringLiteral(" where 项目名称=") + platform::sql_quote(key);
}

constexpr int kDayCount = 28;

}  // namespace

QStringList late_fee_day_items() {
    QStringList items;
    for (int day = 1; day <= kDayCount; ++day) items << QString::number(day);
    items << kLateFeeLastDay;
    return items;
}

int late_fee_day_index(const QString& stored_day) {
    if (stored_day == kLateFeeLastDay) return kDayCount;
    const double position = platform::to_number(stored_day) - 1;
    if (position != std::floor(position) || position < 0 || position > kDayCount) return -1;
    return static_cast<int>(position);
}

QString late_fee_value_caption(const QString& method) {
    return method == kLateFeeFixedAmount ? QStringLiteral("滞纳金固定金额：")
                                         : QStringLiteral("滞纳金税率设置：");
}

QString late_fee_unit_caption(const QString& method) {
    return method == kLateFeeFixedAmount ? QStringLiteral("元 (/月)") : QStringLiteral("‰ (/天)");
}

QString late_fee_value_text(const QString& typed) {
    return platform::to_text(platform::to_number(typed));
}

LateFeeForm late_fee_form_from(const shell::SystemParameters& parameters) {
    LateFeeForm form;
    form.state = parameters.late_fee_enabled == kLateFeeOn ? kLateFeeOn : kLateFeeOff;
    form.method =
        parameters.late_fee_mode == kLateFeeFixedAmount ? kLateFeeFixedAmount : kLateFeeByRate;
    form.value = parameters.late_fee_value;
    const int day = late_fee_day_index(parameters.late_fee_start_day);
    form.start_day = day < 0 ? QString() : late_fee_day_items().at(day);
    return form;
}

LateFeeSaveOutcome save_late_fee_settings(platform::Connection& connection, const LateFeeForm& form,
                                          const shell::RunContext& context) {
    const QStringList statements = {
        set_text(QStringLiteral("滞纳金计费"), form.state == kLateFeeOn ? kLateFeeOn : kLateFeeOff),
        set_text(QStringLiteral("滞纳金计费方式"),
                 form.method == kLateFeeByRate ? kLateFeeByRate : kLateFeeFixedAmount),
        set_text(QStringLiteral("滞纳金值"), late_fee_value_text(form.value)),
        set_text(QStringLiteral("滞纳金结算日期"), form.start_day),
    };
    LateFeeSaveOutcome outcome;
    {
        // The four rows form one rule: a half-saved rule would charge by a mix of old and new.
        platform::Transaction transaction(connection);
        for (const QString& sql : statements) {
            if (!platform::db_execute(connection, sql)) {
                outcome.messages << platform::database_error(platform::db_last_error(connection));
                return outcome;
            }
        }
        if (!transaction.commit()) {
            outcome.messages << platform::database_error(platform::db_last_error(connection));
            return outcome;
        }
    }
    outcome.done = true;
    outcome.parameters = context.parameters;
    shell::read_system_parameters(connection, outcome.parameters);
    if (!shell::write_operation_log(connection, context, QStringLiteral("基本设置"),
                                    QStringLiteral("滞纳金设置"), QStringLiteral("修改滞纳金设置")))
        outcome.messages << platform::information(QStringLiteral("添加日志失败！"));
    outcome.messages << platform::information(kLateFeeSaved);
    return outcome;
}

}  // namespace charging
