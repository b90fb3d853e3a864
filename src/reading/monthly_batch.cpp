#include "reading/monthly_batch.h"

#include "platform/db.h"
#include "platform/query.h"

namespace reading {

QString monthly_reading_statement() {
    return QStringLiteral(
        "select 用户表管理.户号,用户信息表.用户名,用户信息表.居住街道,抄表管理.价格类别,"
        "抄表管理.收费项目,抄表管理.抄表人员,抄表管理.起方,抄表管理.止方,抄表管理.用量,"
        "抄表管理.抄表日期,抄表管理.水损 from 用户信息表,抄表管理,用户表管理 where "
        "用户表管理.父号=用户信息表.户号 and 用户表管理.户号=抄表管理.户号 ORDER  BY "
        "抄表管理.编号 DESC");
}

QString monthly_reading_navigation_statement() {
    return QStringLiteral(
        "select 用户表管理.户号,用户信息表.居住街道,用户信息表.用户名,抄表管理.价格类别,"
        "抄表管理.收费项目,抄表管理.抄表人员,抄表管理.起方,抄表管理.止方,抄表管理.用量,"
        "抄表管理.抄表日期,抄表管理.水损 from 抄表管理,用户信息表,用户表管理  where "
        "用户表管理.父号=用户信息表.户号 and 用户表管理.户号=抄表管理.户号   ORDER  BY "
        "抄表管理.编号 DESC");
}

QString monthly_negative_reading_statement() {
    return QStringLiteral(
        "select 用户表管理.户号,用户信息表.用户名,用户信息表.居住街道,抄表管理.价格类别,"
        "抄表管理.收费项目,抄表管理.抄表人员,抄表管理.起方,抄表管理.止方,抄表管理.用量,"
        "抄表管理.抄表日期,抄表管理.水损 from 用户信息表,抄表管理,用户表管理 where "
        "用户表管理.父号=用户信息表.户号 and 用户表管理.户号=抄表管理.户号  and "
        "抄表管理.用量<0 ORDER  BY 抄表管理.编号 DESC");
}

bool delete_pending_account(platform::Connection& connection, const QString& account) {
    return platform::db_execute(connection, QStringLiteral("delete from 抄表管理 where 户号=") +
                                                platform::sql_quote(account));
}

bool clear_pending_batch(platform::Connection& connection) {
    return platform::db_execute(connection, QStringLiteral("delete from 抄表管理"));
}

BatchState check_pending_batch(platform::Connection& connection) {
    if (!platform::query_exists(connection, QStringLiteral("select 用量 from 抄表管理")))
        return BatchState::Empty;
    if (platform::query_exists(connection,
                               QStringLiteral("select 用量 from 抄表管理 where 用量<0")))
        return BatchState::NegativeUsage;
    return BatchState::Ready;
}

}  // namespace reading
