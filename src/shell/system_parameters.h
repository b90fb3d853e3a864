#pragma once
// The installation-wide settings kept as rows of table pz (one row per 项目名称), loaded into
// one program-wide set of values, and the rounding of the amount a household is asked to pay.
#include <QString>

#include "platform/money.h"

namespace platform {
struct Connection;
}

namespace shell {

// Every text starts empty and every number 0; readers compare a text with one of its forms
// ("开启", "真", "十分位", ...), so an empty text acts as the other state.
struct SystemParameters {
    int reading_day = 0;                // 抄表日期 (值)
    int settlement_day = 0;             // 结算日期 (值)
    QString day_settlement_mode;        // 日结算方式: "固定日期" or "每月月底"
    int settlement_month = 0;           // 结算月份 (值)
    QString month_settlement_mode;      // 月结算方式: "每年12月" or "实际月份"
    QString personal_account;           // 个人帐户: "开启" or "关闭"
    QString rounding_enabled;           // 四舍五入 (文本): "真" or "假"
    QString rounding_position;          // 四舍五入 (值): "十分位" for 0, else "个位"
    QString organisation_name;          // 单位信息
    QString household_number_prefix;    // 编码前缀
    int household_number_digits = 0;    // 用户编码位数 (值)
    int payment_serial_digits = 0;      // 收费编码位数 (值)
    QString late_fee_enabled;           // 滞纳金计费: "开启" or "关闭"
    QString late_fee_mode;              // 滞纳金计费方式: "按利率" or "固定金额"
    QString late_fee_value;             // 滞纳金值, a number written as text
    QString late_fee_start_day;         // 滞纳金结算日期: "1".."28" or "每月最后一天"
    QString invoice_management;         // 发票管理: "开启" or "关闭"
};

inline const QString kRoundingToTenths = QStringLiteral("十分位");
inline const QString kRoundingToUnits = QStringLiteral("个位");

// The program's parameters; empty until load_system_parameters() first runs.
extern SystemParameters system_parameters;

// Reads every row of pz through the main window's first record set and replaces the values
// whose key it finds; a key without a row keeps its previous value. Texts are trimmed of ASCII
// and full-width blanks at both ends; the key is compared exactly.
void load_system_parameters();
// The same from the given connection into `parameters`, for a routine that saved rows of pz and
// hands the parameters now in force back to its caller.
void read_system_parameters(platform::Connection& connection, SystemParameters& parameters);

// Takes one pz row into the parameters (the loader's step for each row). Unknown keys are
// ignored.
void apply_parameter_row(SystemParameters& parameters, const QString& key, int number,
                         const QString& text);

// The one place the rounding mode is read from the parameters: with rounding_enabled "真",
// halves when rounding_position is "十分位" and whole yuan otherwise; without it, the fen.
platform::RoundingMode rounding_mode(const QString& rounding_enabled,
                                     const QString& rounding_position);
platform::RoundingMode rounding_mode(const SystemParameters& parameters);
// With the program's parameters.
platform::RoundingMode rounding_mode();

// The amount a household is asked to pay, rounded by the parameters' mode.
double apply_amount_rounding(double amount, const SystemParameters& parameters);
// With the program's parameters.
double apply_amount_rounding(double amount);

}  // namespace shell
