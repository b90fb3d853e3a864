#include "lists/list_settings.h"

#include <algorithm>

#include "platform/db.h"

namespace lists {

ListSettingOutcome save_column_widths(platform::Connection& connection, const QString& column_class,
                                      const std::vector<std::pair<QString, int>>& widths) {
    ListSettingOutcome outcome;
    QString failure;
    {
        platform::Transaction transaction(connection);
        if (!transaction.active()) failure = platform::db_last_error(connection);
        for (size_t k = 0; k < widths.size() && failure.isEmpty(); ++k) {
            const QString statement =
                QStringLiteral("update 查询列 set 列宽=") +
                QString::number(std::max(0, widths[k].second)) + QStringLiteral(" where 类名=") +
                platform::sql_quote(column_class) + QStringLiteral(" and 列名=") +
                platform::sql_quote(widths[k].first);
            if (!platform::db_execute(connection, statement))
                failure = platform::db_last_error(connection);
        }
        if (failure.isEmpty() && !transaction.commit())
            failure = platform::db_last_error(connection);
        if (!failure.isEmpty()) transaction.rollback();
    }
    if (!failure.isEmpty()) {
        outcome.messages << platform::information(failure);
        return outcome;
    }
    outcome.done = true;
    outcome.messages << platform::information(QStringLiteral("保存列宽成功，下次自动显示！"));
    return outcome;
}

ListSettingOutcome set_column_shown(platform::Connection& connection, const QString& column_class,
                                    const QString& column, bool shown) {
    ListSettingOutcome outcome;
    const QString statement = shown
                                  ? QStringLiteral("update  查询列 set 显示='真' where 类名=") +
                                        platform::sql_quote(column_class) +
                                        QStringLiteral(" and 列名=") + platform::sql_quote(column)
                                  : QStringLiteral("update 查询列 set 显示='假' where 列名=") +
                                        platform::sql_quote(column) + QStringLiteral(" and 类名=") +
                                        platform::sql_quote(column_class);
    if (!platform::db_execute(connection, statement)) {
        outcome.messages << platform::database_error(platform::db_last_error(connection));
        return outcome;
    }
    outcome.done = true;
    return outcome;
}

}  // namespace lists
