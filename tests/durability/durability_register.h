#pragma once
// What the kill test's parent and its child agree on: the day, the people, the parameters, and
// how often the child counts a progress tick.
#include <QDateTime>
#include <QString>

#include "shell/system_parameters.h"

namespace durability {

inline const QDateTime kToday(QDate(2024, 3, 20), QTime(9, 0, 0));
inline const QString kReader = QStringLiteral("张三");
inline const QString kCollector = QStringLiteral("李四");
inline const QString kPayingHousehold = QStringLiteral("0001");  // the counter payment's
inline const QString kDepositHousehold = QStringLiteral("0003");  // the deposit's
inline constexpr int kTickInstructions = 1;  // SQLite VM steps between two ticks

inline void apply_parameters() {
    shell::system_parameters.payment_serial_digits = 9;
    shell::system_parameters.late_fee_enabled = QStringLiteral("关闭");
    shell::system_parameters.invoice_management = QStringLiteral("关闭");
    shell::system_parameters.household_number_prefix.clear();
}

}  // namespace durability
