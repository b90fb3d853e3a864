#include "households/register_writes.h"

#include "platform/query.h"
#include "shell/operation_log.h"

namespace households {

namespace {

const QString kStreetLogGroup = QStringLiteral("基本设置");
const QString kStreetLogItem = QStringLiteral("居住街道设置");

RegisterWrite written_and_logged(bool written, const QString& group, const QString& item,
                                 const QString& remark) {
    RegisterWrite outcome;
    outcome.written = written;
    if (written && !remark.isNull())
        outcome.log_failed = !shell::write_operation_log(group, item, remark);
    return outcome;
}

}  // namespace

RegisterWrite add_street(platform::Connection& connection, const QString& name) {
    if (platform::query_exists(connection, QStringLiteral("select * from 街道 where 街道=") +
                                               platform::sql_quote(name))) {
        RegisterWrite outcome;
        outcome.duplicate = true;
        return outcome;
    }
    const bool written = platform::db_execute(
        connection, QStringLiteral("insert into 街道(街道) values (") + platform::sql_quote(name) +
                        QStringLiteral(" )"));
    return written_and_logged(written, kStreetLogGroup, kStreetLogItem,
                              QStringLiteral("添加街道【") + name + QStringLiteral("】"));
}

RegisterWrite delete_street(platform::Connection& connection, const QString& name) {
    const bool written = platform::db_execute(
        connection, QStringLiteral("delete from 街道 where 街道=") + platform::sql_quote(name));
    return written_and_logged(written, kStreetLogGroup, kStreetLogItem,
                              QStringLiteral("删除街道【") + name + QStringLiteral("】"));
}

RegisterWrite delete_household(platform::Connection& connection, const QString& number,
                               bool write_log) {
    const bool written = platform::db_execute(
        connection,
        QStringLiteral("delete from 用户信息表 where 户号=") + platform::sql_quote(number));
    return written_and_logged(written, QStringLiteral("用户管理"), QStringLiteral("用户删除"),
                              write_log ? QStringLiteral("户号：") + number : QString());
}

}  // namespace households
