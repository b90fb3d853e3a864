#include "tariffs/late_fees.h"

#include <algorithm>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/query.h"

namespace tariffs {

bool late_fees_charged(const shell::SystemParameters& parameters) {
    return parameters.late_fee_enabled == QStringLiteral("开启");
}

double compute_late_fee(const QDate& bill_date, double outstanding,
                        const shell::SystemParameters& parameters, const QDate& today) {
    if (!late_fees_charged(parameters)) return 0;
    if (!bill_date.isValid() || !today.isValid()) return 0;
    qint64 days = 0;
    qint64 months = 0;
    if (parameters.late_fee_start_day == QStringLiteral("每月最后一天")) {
        const QDate due = platform::last_day_of_month(bill_date);
        days = due.daysTo(today);
        months = (today.year() - due.year()) * 12 + (today.month() - due.month());
    } else {
        const int d = static_cast<int>(platform::to_number(parameters.late_fee_start_day));
        if (bill_date.year() == today.year() && bill_date.month() == today.month()) {
            days = today.day() - d;
            months = 1;
        } else {
            // Day d of the bill's month; a day past the month's end falls on its last day.
            const int day = std::clamp(d, 1, bill_date.daysInMonth());
            const QDate due(bill_date.year(), bill_date.month(), day);
            days = due.daysTo(today);
            months = (today.year() - due.year()) * 12 + (today.month() - due.month()) + 1;
        }
    }
    if (days <= 0) return 0;
    const double value = platform::to_number(parameters.late_fee_value);
    const double fee = parameters.late_fee_mode == QStringLiteral("固定金额")
                           ? value * static_cast<double>(months)
                           : outstanding * static_cast<double>(days) * value / 1000.0;
    return platform::round_cents(fee);
}

LateFeeOutcome apply_late_fees_to_unpaid_charges(platform::Connection& connection,
                                                 const QString& household,
                                                 const shell::SystemParameters& parameters,
                                                 const QDate& today) {
    LateFeeOutcome out;
    if (!late_fees_charged(parameters)) return out;
    QStringList numbers = platform::query_column(
        connection,
        QStringLiteral("select 户号 from 用户表管理 where 父号=") + platform::sql_quote(household),
        platform::OnFailure::Quiet);
    numbers << household;
    const platform::RoundingMode mode = shell::rounding_mode(parameters);
    // One transaction for the run's updates (a failed update leaves only its own bill as it
    // was); committed whatever happened.
    platform::Transaction run(connection);
    double carry = 0;
    for (const QString& number : numbers) {
        platform::RecordSet bills;
        if (!platform::query_open(
                bills, connection,
                QStringLiteral("select 总收费.应收金额,总收费.上月接转,总收费.本月接转,总收费.收据号,"
                               "总收费.抄表日期,总收费.预存扣款,总收费.减免金额 from 总收费 where  "
                               "总收费.收费标志=1 and 总收费.标志=1 and 总收费.户号=") +
                    platform::sql_quote(number) + QStringLiteral(" ORDER  BY 总收费.收据号"),
                platform::OnFailure::Quiet))
            continue;
        const int count = platform::recordset_record_count(bills);
        for (int k = 1; k <= count; ++k, platform::recordset_move_next(bills)) {
            const double billed = platform::recordset_field_number(bills, 0);
            double carry_in = platform::recordset_field_number(bills, 1);
            const QString bill_number = platform::recordset_field_text(bills, 3);
            const QDate date = platform::recordset_field_date(bills, 4).date();
            const double prepaid = platform::recordset_field_number(bills, 5);
            const double reduction = platform::recordset_field_number(bills, 6);
            const double fee = compute_late_fee(date, billed - prepaid, parameters, today);
            if (!platform::money_positive(fee)) continue;
            if (k != 1) carry_in = carry;
            // The reduction granted at birth stays off the amount due.
            const double exact = billed - reduction + fee - carry_in - prepaid;
            const double rounded = platform::round_amount(exact, mode);
            carry = rounded - exact;
            const QString update =
                QStringLiteral("update 总收费 set 实收金额=") + platform::sql_number(rounded) +
                QStringLiteral(",上月接转=") + platform::sql_number(carry_in) +
                QStringLiteral(",滞纳金=") + platform::sql_number(fee) +
                QStringLiteral(",本月接转=") + platform::sql_number(carry) +
                QStringLiteral(" where 收据号=") + bill_number;
            if (platform::db_execute(connection, update)) {
                ++out.bills_updated;
            } else {
                ++out.failures;
                out.error = platform::db_last_error(connection);
            }
        }
    }
    if (run.active()) run.commit();
    return out;
}

}  // namespace tariffs
