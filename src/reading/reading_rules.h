#pragma once
// Meter readings and the rules every reading path builds on. A reading lives first as a pending
// row of 抄表管理 (the month's batch) and, once the month is committed, as a row of 抄表总表 (the
// history, the only rows ever billed). Both carry the meter account (户号), its household
// (父号), start and end reading, usage, loss, date, fee item, price category, reader and the
// price at entry; the history adds 是否收费, 收据号, 流水号 and 实收量.
//
// Dates go into the pending table as quoted texts 'Y-M-D' and into conditions on the history as
// date literals #Y-M-D#, both without leading zeros.
#include <QDate>
#include <QString>

namespace platform {
struct Connection;
}

namespace reading {

inline const QString kPendingTable = QStringLiteral("抄表管理");
inline const QString kHistoryTable = QStringLiteral("抄表总表");
inline const QString kPropertyFeeItem = QStringLiteral("物业");
inline const QString kSystemReader = QStringLiteral("系统");
inline const QString kMeterStateNormal = QStringLiteral("正常");
inline const QString kAutomaticLossOn = QStringLiteral("开启");

// The meter's state as the entry window offers it: 正常, or 翻字 when the meter rolled over.
enum class MeterState { Normal, Rollover };
inline const QString kStateNormalText = QStringLiteral("正常");
inline const QString kStateRolloverText = QStringLiteral("翻字");
MeterState meter_state_from_text(const QString& text);

// What a rolled-over meter adds to its end reading, whatever its number of digits.
inline constexpr double kRolloverAddition = 10000.0;
// How far an end reading may lie below its start before the entry refuses it.
inline constexpr double kReadingTolerance = 1e-7;

// Usage: (end - start) * multiplier, or (end + 10000 - start) * multiplier after a rollover.
// The double result, not rounded.
double reading_usage(double start, double end, double multiplier, MeterState state);

// The usage the entry window computes its loss from: the difference truncated toward zero,
// times the multiplier, truncated again.
double entry_integer_usage(double start, double end, int multiplier, MeterState state);

// A 正常 reading whose end lies below its start by more than the tolerance.
bool end_below_start(double start, double end, MeterState state);

// Decimals of the computed loss from the fee item's 损耗位数: 个位 0, 十分位 1, 百分位 2, any
// other text 0.
int loss_decimals(const QString& loss_digits);
// Loss = usage * rate% rounded half away from zero to the fee item's decimals.
double loss_for_usage(double usage, int loss_rate, const QString& loss_digits);

// ---- months ----
// "2012-9": year and month, month unpadded (a meter change's 执行日期).
QString month_text(const QDate& date);
// "#2012-9-1#" and "#2012-9-30#".
QString month_first_literal(const QDate& date);
QString month_last_literal(const QDate& date);
// column>=#Y-M-1# and column<=#Y-M-last#, both bounds included.
QString month_condition(const QString& column, const QDate& date);

// ---- look-ups ----
// The meter account has a committed reading of this fee item and category dated in the
// date's month (the entry window's test).
bool read_in_month(platform::Connection& connection, const QString& account,
                   const QString& fee_item, const QString& category, const QDate& date);
// The account has any committed reading dated in the date's month (by 户号 alone).
bool account_read_in_month(platform::Connection& connection, const QString& account,
                           const QDate& date);

// The start reading the entry window proposes: the end reading of the latest committed reading
// of the same account, fee item and category, else the account's 开始起数; a meter change of the
// account executed in the date's month overrides either with its 换表起方. Pending readings are
// not consulted.
double start_reading(platform::Connection& connection, const QString& account,
                     const QString& fee_item, const QString& category, const QDate& date);

// The 换表起方 of the account's first meter change executed in the date's month.
bool meter_change_start(platform::Connection& connection, const QString& account, const QDate& date,
                        double* start);

// The unit price of a fee item and price category (水价类别.价格); 0 when there is none.
double category_price(platform::Connection& connection, const QString& fee_item,
                      const QString& category);

// ---- the pending row ----
struct PendingReading {
    QString account;    // 户号
    double start = 0;   // 起方
    double end = 0;     // 止方
    double usage = 0;   // 用量
    QDate date;         // 抄表日期
    double loss = 0;    // 水损
    QString fee_item;   // 收费项目
    QString category;   // 价格类别
    QString reader;     // 抄表人员
    QString household;  // 父号
    double price = 0;   // 价格
};

// "insert into 抄表管理 (户号,起方,止方,用量,抄表日期,水损,收费项目,价格类别,抄表人员,父号,价格)
// values (...)": every text quoted, numbers in shortest form, the date as 'Y-M-D'.
QString pending_insert_statement(const PendingReading& reading);

}  // namespace reading
