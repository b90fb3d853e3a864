#include "charging/receipt_reprint.h"

#include <QThread>

#include "charging/charge_queries.h"
#include "charging/charging_hooks.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "shell/operation_log.h"
#include "tariffs/bills.h"

namespace charging {

namespace {

const QString kLogFailed = QStringLiteral("添加日志失败！");
const QString kNothingToReprint = QStringLiteral("没有找到要重打的票据！");

}  // namespace

platform::Messages reprint_payment_receipt(platform::Connection& connection, qint64 serial,
                                           const QString& cell, const shell::RunContext& context) {
    if (charge_receipt_printer()) charge_receipt_printer()(serial);
    if (!shell::write_operation_log(connection, context, QStringLiteral("打印设置"),
                                    QStringLiteral("流水号重打"),
                                    QStringLiteral("打印流水号：") + cell))
        return {platform::information(kLogFailed)};
    return {};
}

qint64 reprint_number_from_text(const QString& text, int width) {
    if (width < 0) return tariffs::serial_from_display_text(text);
    QString digits = platform::text_trim(text);
    if (digits.startsWith(tariffs::kNumeroSign)) digits.remove(0, tariffs::kNumeroSign.size());
    if (digits.isEmpty() || digits.size() > 18) return 0;
    for (const QChar c : digits)
        if (c < u'0' || c > u'9') return 0;
    const qint64 value = digits.toLongLong();
    if (digits.size() > width) return value;
    qint64 start = 1;
    for (int i = 0; i < width; ++i) start *= 10;
    return start + value;
}

int reprint_series_width(platform::Connection& connection, ReprintScheme scheme) {
    const qint64 largest = platform::query_integer(
        connection,
        scheme == ReprintScheme::Charge ? QStringLiteral("select max(流水号) from 总收费")
                                        : QStringLiteral("select max(收据号) from 预存明细"),
        platform::OnFailure::Quiet);
    const QString text = QString::number(largest);
    if (largest <= 0 || !text.startsWith(u'1') || text.size() > 18) return -1;
    return static_cast<int>(text.size()) - 1;
}

ReprintWaiter& reprint_waiter() {
    static ReprintWaiter waiter = [](int milliseconds) {
        if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
    };
    return waiter;
}

std::vector<qint64> reprintable_numbers(platform::Connection& connection, ReprintScheme scheme,
                                        qint64 first, qint64 last) {
    // One query over the range rather than one per number, so that a wide range of mostly
    // unused numbers costs no more than its receipts. A serial counts while a reading of one
    // of its bills carries it (a voided payment's readings no longer do).
    const QString a = QString::number(first);
    const QString b = QString::number(last);
    const QString sql =
        scheme == ReprintScheme::Charge
            ? QStringLiteral(
                  "select distinct 抄表总表.流水号 from 总收费,抄表总表 where "
                  "抄表总表.收据号=总收费.收据号 and 抄表总表.流水号>=") +
                  a + QStringLiteral(" and 抄表总表.流水号<=") + b +
                  QStringLiteral(" order by 抄表总表.流水号")
            : QStringLiteral("select distinct 收据号 from 预存明细 where 收据号>=") + a +
                  QStringLiteral(" and 收据号<=") + b + QStringLiteral(" order by 收据号");
    std::vector<qint64> out;
    for (const QString& n : platform::query_column(connection, sql, platform::OnFailure::Quiet))
        out.push_back(static_cast<qint64>(platform::to_number(n)));
    return out;
}

ReprintOutcome run_receipt_reprint(platform::Connection& connection, const ReprintRequest& r,
                                   const shell::RunContext& context) {
    ReprintOutcome out;
    const int width = reprint_series_width(connection, r.scheme);
    const qint64 first = reprint_number_from_text(r.first, width);
    const qint64 last = reprint_number_from_text(r.last, width);
    const int per_pause = static_cast<int>(platform::to_number(r.per_pause));
    const int pause = static_cast<int>(platform::to_number(r.pause));
    if (per_pause <= 0) {
        out.message = QStringLiteral("发票张数不能小于０!");
        out.focus = ReprintOutcome::Focus::PerPause;
        return out;
    }
    if (last < first) {
        out.message = QStringLiteral("流水号2必须大于等于收据号1");
        out.focus = ReprintOutcome::Focus::Last;
        return out;
    }
    out.run = true;
    const bool charge = r.scheme == ReprintScheme::Charge;
    int printed_since_pause = 0;
    for (const qint64 n : reprintable_numbers(connection, r.scheme, first, last)) {
        ++printed_since_pause;
        if (charge) {
            if (charge_receipt_printer()) charge_receipt_printer()(n);
        } else if (prepay_receipt_printer()) {
            prepay_receipt_printer()(n, 0);
        }
        out.printed.push_back(n);
        if (!shell::write_operation_log(
                connection, context, QStringLiteral("打印设置"), QStringLiteral("收据重打"),
                (charge ? QStringLiteral("打印收费流水号：") : QStringLiteral("打印预存收据号：")) +
                    tariffs::serial_display_text(n)))
            out.messages << platform::information(kLogFailed);
        if (printed_since_pause >= per_pause) {
            printed_since_pause = 0;
            if (pause > 0 && reprint_waiter()) reprint_waiter()(qMin(pause, 86400) * 1000);
        }
    }
    if (out.printed.empty()) out.messages << platform::information(kNothingToReprint);
    return out;
}

}  // namespace charging
