#include "reading/meter_readers.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "reading/reading_rules.h"
#include "shell/operation_log.h"

namespace reading {

namespace {

const QString kLogGroup = QStringLiteral("基本设置");
const QString kLogItem = QStringLiteral("抄表人员设置");

}  // namespace

QStringList meter_reader_names(platform::Connection& connection) {
    return platform::query_column(connection, QStringLiteral("select * from 抄表员"));
}

ReaderOutcome add_meter_reader(platform::Connection& connection, const QString& typed,
                               const shell::RunContext& run) {
    ReaderOutcome out;
    if (typed.isEmpty()) {
        out.message = QStringLiteral("待添加的抄表人员名称不能为空！");
        return out;
    }
    out.name = platform::text_trim(typed);
    if (platform::query_exists(connection,
                               QStringLiteral("select 抄表员 from 抄表员 where 抄表员=") +
                                   platform::sql_quote(out.name))) {
        out.message = QStringLiteral("待添加的抄表人员名称重复！");
        return out;
    }
    if (!platform::db_execute(connection, QStringLiteral("insert into 抄表员(抄表员) values (") +
                                              platform::sql_quote(out.name) +
                                              QStringLiteral(" )"))) {
        out.result = ReaderOutcome::Result::Failed;
        return out;
    }
    out.result = ReaderOutcome::Result::Done;
    out.log_failed = !shell::write_operation_log(
        connection, run, kLogGroup, kLogItem,
        QStringLiteral("添加抄表人员【") + out.name + QStringLiteral("】"));
    out.message = QStringLiteral("添加抄表人员【") + out.name + QStringLiteral("】成功！");
    return out;
}

ReaderOutcome check_reader_deletable(const QString& name) {
    ReaderOutcome out;
    out.name = name;
    if (name.isEmpty())
        out.message = QStringLiteral("请选择待删除的抄表员！");
    else if (name == kSystemReader)
        out.message = QStringLiteral("该抄表人员为系统保留不能删除！");
    else
        out.result = ReaderOutcome::Result::Done;
    return out;
}

ReaderOutcome delete_meter_reader(platform::Connection& connection, const QString& name,
                                  const shell::RunContext& run) {
    ReaderOutcome out;
    out.name = name;
    if (!platform::db_execute(connection, QStringLiteral("delete from 抄表员 where 抄表员=") +
                                              platform::sql_quote(name))) {
        out.result = ReaderOutcome::Result::Failed;
        return out;
    }
    out.result = ReaderOutcome::Result::Done;
    out.log_failed =
        !shell::write_operation_log(connection, run, kLogGroup, kLogItem,
                                    QStringLiteral("删除抄表人员【") + name + QStringLiteral("】"));
    out.message = QStringLiteral("删除抄表人员【") + name + QStringLiteral("】成功！");
    out.caption = QStringLiteral("删除成功");
    return out;
}

}  // namespace reading
