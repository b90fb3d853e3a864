#pragma once
// What the durability tests' parent and their child agree on: the day, the people, the
// register's size, the parameters, and how often the child counts a progress tick.
#include <QDateTime>
#include <QString>

#include "shell/system_parameters.h"

namespace durability {

inline const QDateTime kToday(QDate(2024, 3, 20), QTime(9, 0, 0));
inline const QString kReader = QStringLiteral("张三");
inline const QString kCollector = QStringLiteral("李四");
inline const QString kPayingHousehold = QStringLiteral("0001");  // the counter payment's
inline const QString kDepositHousehold = QStringLiteral("0003");  // the deposit's
// More households than one batch of the bill run and of batch charging holds (256), so a kill
// can fall between two batches of one run.
inline constexpr int kHouseholds = 300;
inline constexpr int kTickInstructions = 1;  // SQLite VM steps between two ticks

// Invoices on and late fees on (the bills are of the 5th, late from the 10th, today the 20th),
// so the runs write what an office's runs write.
inline void apply_parameters() {
    shell::system_parameters.payment_serial_digits = 9;
    shell::system_parameters.late_fee_enabled = QStringLiteral("开启");
    shell::system_parameters.late_fee_mode = QStringLiteral("按利率");
    shell::system_parameters.late_fee_value = QStringLiteral("0.5");
    shell::system_parameters.late_fee_start_day = QStringLiteral("10");
    shell::system_parameters.invoice_management = QStringLiteral("开启");
    shell::system_parameters.household_number_prefix.clear();
}

}  // namespace durability
