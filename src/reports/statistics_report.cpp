#include "reports/statistics_report.h"

#include "platform/money.h"
#include "platform/query.h"

namespace reports {

QString report_amount_text(double value) {
    const double rounded = platform::round_cents(value);
    QString text = QString::number(rounded, 'f', 2);
    if (text == QStringLiteral("-0.00")) text = QStringLiteral("0.00");
    return text;
}

double report_sum(platform::Connection& main, const QString& sql) {
    return platform::query_number(main, sql, platform::OnFailure::Quiet);
}

QString report_group_key(const QString& name) {
    QString key = name;
    for (QChar& c : key)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + 32);
    return key;
}

QStringList report_group_names(platform::Connection& main, const QString& sql) {
    QStringList names;
    for (const QString& name : platform::query_column(main, sql, platform::OnFailure::Quiet))
        if (!name.isEmpty()) names << name;
    return names;
}

}  // namespace reports
