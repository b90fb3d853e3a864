#include "tariffs/bills.h"

#include <algorithm>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "store/main_database.h"

namespace tariffs {

QString serial_display_text(qint64 number) {
    QString text = QString::number(number);
    const qsizetype one = text.indexOf(u'1');
    if (one >= 0) text.replace(one, 1, kNumeroSign);
    return text;
}

qint64 serial_from_display_text(const QString& text) {
    QString digits = platform::text_trim(text);
    const qsizetype sign = digits.indexOf(kNumeroSign);
    if (sign >= 0) digits.replace(sign, kNumeroSign.size(), QStringLiteral("1"));
    bool ok = false;
    const qint64 number = digits.toLongLong(&ok);
    return ok ? number : 0;
}

using platform::sql_number;
using platform::sql_quote;

namespace {

QString integer_text(qint64 value) { return QString::number(value); }

// The largest value of a numbering column: the first row of the column sorted descending.
NumberOutcome largest(platform::Connection& connection, const QString& sql) {
    NumberOutcome out;
    out.number = platform::query_integer(connection, sql, platform::OnFailure::Quiet, &out.ok);
    if (!out.ok) out.error = platform::db_last_error(connection);
    return out;
}

}  // namespace

QString bill_insert_statement(const ChargeRecord& b) {
    QString columns = QStringLiteral(
        "insert into 总收费 (户号,水费金额,附加费金额,成本金额,上月接转,本月接转,实收金额,"
        "抄表日期,差额,收费人员,收据号,预存扣款,应收金额,实收量,滞纳金,减免金额,标志,水损,"
        "减免用量,收费标志");
    if (b.payment_serial) columns += QStringLiteral(",流水号");
    columns += QStringLiteral(",价格,收费日期,收费项目,价格类别,抄表人员) values ( ");
    QString values = sql_quote(b.number) + u',' + sql_number(b.usage_charge) + u',' +
                     sql_number(b.surcharge_total) + u',' + sql_number(b.cost) + u',' +
                     sql_number(b.carry_in) + u',' + sql_number(b.carry_out) + u',' +
                     sql_number(b.amount_to_collect) + u',' +
                     platform::date_to_quoted(b.reading_date) + u',' +
                     sql_number(b.difference) + u',' + sql_quote(b.collector) + u',' +
                     integer_text(b.bill_number) + u',' + sql_number(b.prepaid_deduction) +
                     u',' + sql_number(b.amount_billed) + u',' + sql_number(b.quantity) + u',' +
                     sql_number(b.late_fee) + u',' + sql_number(b.reduction_amount) + u',' +
                     integer_text(b.valid) + u',' + sql_number(b.loss) + u',' +
                     integer_text(b.reduction_quantity) + u',' + integer_text(b.unpaid);
    if (b.payment_serial) values += u',' + integer_text(*b.payment_serial);
    values += u',' + sql_number(b.price) + u',' + platform::date_to_quoted(b.charge_date) + u',' +
              sql_quote(b.fee_item) + u',' + sql_quote(b.price_category) + u',' +
              sql_quote(b.reader) + u')';
    return columns + values;
}

qint64 number_start(int payment_serial_digits) {
    const int digits = std::clamp(payment_serial_digits, 0, 17);
    qint64 value = 1;
    for (int i = 0; i < digits; ++i) value *= 10;
    return value;
}

QString largest_given_bill_number() {
    return QStringLiteral("max(ifnull((select 最大号 from 号码计数 where 名称=") +
           sql_quote(store::kBillNumberCounter) + QStringLiteral("),0),") +
           store::largest_written_bill_number(false) + u')';
}

bool record_bill_number(platform::Connection& connection, qint64 number, QString* error) {
    static const QString raise = QStringLiteral("update 号码计数 set 最大号=? where 名称=?");
    static const QString start = QStringLiteral("insert into 号码计数 (名称,最大号) values (?,?)");
    qint64 changed = 0;
    {
        platform::PreparedStatement update(connection, raise);
        update.bind_integer(1, number);
        update.bind_text(2, store::kBillNumberCounter);
        if (!update.execute(&changed)) changed = -1;
    }
    if (changed == 0) {
        // A database whose counter row is missing starts it here.
        platform::PreparedStatement insert(connection, start);
        insert.bind_text(1, store::kBillNumberCounter);
        insert.bind_integer(2, number);
        if (!insert.execute(&changed)) changed = -1;
    }
    if (changed == 1) return true;
    if (error) *error = platform::db_last_error(connection);
    return false;
}

NumberOutcome take_bill_number(platform::Connection& connection) {
    NumberOutcome out = largest(connection, QStringLiteral("select ") + largest_given_bill_number());
    if (!out.ok) return out;
    out.number += 1;
    out.ok = record_bill_number(connection, out.number, &out.error);
    return out;
}

NumberOutcome next_payment_serial(platform::Connection& connection, qint64 start) {
    NumberOutcome out = largest(
        connection, QStringLiteral("select top 1 流水号 from 总收费 order by 流水号 DESC"));
    if (!out.ok) return out;
    out.number = (out.number == 0 ? start : out.number) + 1;
    return out;
}

NumberOutcome next_checked_payment_serial(platform::Connection& connection, qint64 start) {
    NumberOutcome out = next_payment_serial(connection, start);
    if (!out.ok) return out;
    bool read = false;
    out.taken = payment_serial_taken(connection, out.number, &read);
    if (!read) out.error = platform::db_last_error(connection);
    out.ok = read && !out.taken;
    return out;
}

bool payment_serial_taken(platform::Connection& connection, qint64 serial, bool* ok) {
    return platform::query_exists(
        connection,
        QStringLiteral("select top 1 流水号 from 总收费 where 流水号=") + integer_text(serial),
        platform::OnFailure::Quiet, ok);
}

QString half_width(const QString& text) {
    QString out = text;
    for (QChar& ch : out) {
        const char16_t u = ch.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            ch = QChar(static_cast<char16_t>(u - 0xFEE0));
        else if (u == 0x3000)
            ch = QChar(u' ');
    }
    return out;
}

}  // namespace tariffs
