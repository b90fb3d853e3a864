#include "shell/system_parameters.h"

#include <algorithm>
#include <cmath>

#include "platform/convert.h"
#include "platform/db.h"
#include "store/main_database.h"

namespace shell {

SystemParameters system_parameters;

void apply_parameter_row(SystemParameters& p, const QString& key, int number,
                         const QString& text) {
    if (key == QStringLiteral("抄表日期")) {
        p.reading_day = number;
    } else if (key == QStringLiteral("结算日期")) {
        p.settlement_day = number;
    } else if (key == QStringLiteral("日结算方式")) {
        p.day_settlement_mode = text;
    } else if (key == QStringLiteral("结算月份")) {
        p.settlement_month = number;
    } else if (key == QStringLiteral("月结算方式")) {
        p.month_settlement_mode = text;
    } else if (key == QStringLiteral("个人帐户")) {
        p.personal_account = text;
    } else if (key == QStringLiteral("四舍五入")) {
        p.rounding_enabled = text;
        p.rounding_position = number == 0 ? kRoundingToTenths : kRoundingToUnits;
    } else if (key == QStringLiteral("单位信息")) {
        p.organisation_name = text;
    } else if (key == QStringLiteral("编码前缀")) {
        p.household_number_prefix = text;
    } else if (key == QStringLiteral("用户编码位数")) {
        p.household_number_digits = number;
    } else if (key == QStringLiteral("收费编码位数")) {
        p.payment_serial_digits = number;
    } else if (key == QStringLiteral("滞纳金计费")) {
        p.late_fee_enabled = text;
    } else if (key == QStringLiteral("滞纳金计费方式")) {
        p.late_fee_mode = text;
    } else if (key == QStringLiteral("滞纳金值")) {
        p.late_fee_value = text;
    } else if (key == QStringLiteral("滞纳金结算日期")) {
        p.late_fee_start_day = text;
    } else if (key == QStringLiteral("发票管理")) {
        p.invoice_management = text;
    }
}

void load_system_parameters() {
    read_system_parameters(store::main_connection(), system_parameters);
}

void read_system_parameters(platform::Connection& connection, SystemParameters& parameters) {
    platform::RecordSet records(connection);
    if (!platform::recordset_open(records, QStringLiteral("select * from pz"))) return;
    platform::recordset_move_first(records);
    const int count = platform::recordset_record_count(records);
    for (int row = 0; row < count; ++row) {
        // 值 and 文本 by position: the second and third column.
        const QString key = platform::recordset_field_text(records, QStringLiteral("项目名称"));
        const double value = platform::recordset_field_number(records, 1);
        const int number = static_cast<int>(std::clamp(std::round(value), -2147483648.0,
                                                       2147483647.0));
        const QString text = platform::text_trim(platform::recordset_field_text(records, 2));
        apply_parameter_row(parameters, key, number, text);
        platform::recordset_move_next(records);
    }
    platform::recordset_close(records);
}

platform::RoundingMode rounding_mode(const QString& rounding_enabled,
                                     const QString& rounding_position) {
    if (rounding_enabled != QStringLiteral("真")) return platform::RoundingMode::Cents;
    if (rounding_position == kRoundingToTenths) return platform::RoundingMode::Halves;
    return platform::RoundingMode::Units;
}

platform::RoundingMode rounding_mode(const SystemParameters& parameters) {
    return rounding_mode(parameters.rounding_enabled, parameters.rounding_position);
}

platform::RoundingMode rounding_mode() { return rounding_mode(system_parameters); }

double apply_amount_rounding(double amount, const SystemParameters& parameters) {
    return platform::round_amount(amount, rounding_mode(parameters));
}

double apply_amount_rounding(double amount) {
    return apply_amount_rounding(amount, system_parameters);
}

}  // namespace shell
