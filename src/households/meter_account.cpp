#include "households/meter_account.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"

namespace households {

QString meter_form_mode;
int edited_meter_id = 0;
QString edited_meter_household;


QString meter_suffix_text(int n) {
    return n < 10 ? QStringLiteral("0") + QString::number(n) : QString::number(n);
}

QString next_meter_account_number(platform::Connection& connection, const QString& household) {
    for (int n = 1;; ++n) {
        const QString number = household + meter_suffix_text(n);
        bool ok = false;
        const bool taken = platform::query_exists(
            connection,
            QStringLiteral("select 户号 from 用户表管理 where 户号=") + platform::sql_quote(number),
            platform::OnFailure::Report, &ok);
        if (!ok) return QString();
        if (!taken) return number;
    }
}

qint64 next_reading_order(platform::Connection& connection, const QString& reader) {
    bool ok = false;
    const QList<QStringList> rows = platform::query_rows(
        connection,
        QStringLiteral("select count(*),max(抄表序号) from 用户表管理 where 抄表人员=") +
            platform::sql_quote(reader),
        platform::OnFailure::Report, &ok);
    if (!ok || rows.isEmpty()) return 0;
    const auto count = static_cast<qint64>(platform::to_number(rows.first().value(0)));
    const auto highest = static_cast<qint64>(platform::to_number(rows.first().value(1)));
    return std::max(count, highest) + 1;
}

QString meter_insert_statement(const HouseholdMeter& meter) {
    using platform::sql_number;
    using platform::sql_quote;
    return QStringLiteral(
               "insert into 用户表管理 "
               "(户号,收费项目,价格类别,开始起数,抄表人员,倍率,计量编号,抄表序号,"
               "建表时间,父号,状态) values ( ") +
           sql_quote(meter.number) + u',' + sql_quote(meter.fee_item) + u',' +
           sql_quote(meter.price_category) + u',' + sql_number(meter.start_reading) + u',' +
           sql_quote(meter.reader) + u',' + sql_number(meter.multiplier) + u',' +
           sql_quote(meter.meter_number) + u',' + QString::number(meter.reading_order) + u',' +
           platform::date_to_quoted(meter.set_up) + u',' + sql_quote(meter.household) + u',' +
           sql_quote(meter.state) + u')';
}

HouseholdMeter property_fee_meter_account(const QString& household, const QString& category,
                                          const QDate& set_up) {
    HouseholdMeter meter;
    meter.number = household + meter_suffix_text(1);
    meter.fee_item = kPropertyFeeItem;
    meter.price_category = category;
    meter.start_reading = 0;
    meter.reader = kSystemReader;
    meter.multiplier = 1;
    meter.meter_number = kPropertyFeeMeterNumber;
    meter.set_up = set_up;
    meter.household = household;
    meter.state = kMeterStateNormal;
    return meter;
}

bool read_plain_number(const QString& text, double* value) {
    QString ascii;
    for (const QChar ch : platform::text_trim(text)) {
        const char16_t c = ch.unicode();
        if (c >= u'０' && c <= u'９')
            ascii += QChar(u'0' + (c - u'０'));
        else if (c == u'．')
            ascii += u'.';
        else if (c == u'－')
            ascii += u'-';
        else if (c == u'＋')
            ascii += u'+';
        else
            ascii += ch;
    }
    bool ok = false;
    const double parsed = QLocale::c().toDouble(ascii, &ok);
    if (!ok || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

QString meter_list_base_query() {
    return QStringLiteral(
        "select "
        "用户表管理.户号,用户表管理.编号,用户信息表.用户名,用户信息表.居住街道,用户信息表.详细地址,"
        "用户信息表.磁卡号码,用户表管理.收费项目,用户表管理.价格类别,用户表管理.开始起数,"
        "用户表管理.抄表人员,"
        "用户表管理.抄表序号,用户表管理.计量编号,用户表管理.倍率,用户表管理.建表时间,用户表管理."
        "父号,"
        "用户表管理.状态 from 用户信息表,用户表管理 where 用户信息表.户号=用户表管理.父号 ");
}

}  // namespace households
