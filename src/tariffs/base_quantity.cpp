#include "tariffs/base_quantity.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"

namespace tariffs {

std::optional<double> category_base_quantity(platform::Connection& connection,
                                             const QString& category, const QString& fee_item,
                                             const QDate& day) {
    const QString date = platform::date_to_sql_literal(day);
    const QString matched = QStringLiteral(" and 收费项目=") + platform::sql_quote(fee_item);
    const QString queries[] = {
        QStringLiteral("select 基本方 from 基本方调整 where 用水类型=") +
            platform::sql_quote(category) + QStringLiteral(" and (抄表日起<=") + date +
            QStringLiteral(" and 抄表日止>=") + date + matched + u')',
        QStringLiteral("select 基本方 from 水价类别 where 水价类别=") +
            platform::sql_quote(category) + matched,
    };
    for (const QString& sql : queries) {
        platform::RecordSet rows;
        if (platform::query_open(rows, connection, sql, platform::OnFailure::Quiet) &&
            platform::recordset_record_count(rows) > 0)
            return platform::recordset_field_number(rows, 0);
    }
    return std::nullopt;
}

}  // namespace tariffs
