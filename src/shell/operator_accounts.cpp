#include "shell/operator_accounts.h"

#include "platform/convert.h"
#include "platform/files.h"
#include "platform/query.h"
#include "shell/operation_log.h"

namespace shell {

namespace {

using platform::information;
using platform::sql_quote;

// Leading blanks removed, as the item names are written into the grant rows.
QString trim_left(const QString& text) {
    int start = 0;
    while (start < text.size() &&
           (text[start] == QLatin1Char(' ') || text[start] == QLatin1Char('\t') ||
            text[start] == QChar(0x3000)))
        ++start;
    return text.mid(start);
}

OperatorSaveOutcome refusal(const QString& text, OperatorField focus) {
    OperatorSaveOutcome outcome;
    outcome.focus = focus;
    outcome.messages << information(text);
    return outcome;
}

// The checks both modes share; an outcome with a message when refused.
OperatorSaveOutcome check(platform::Connection& connection, const QString& typed_name,
                          const QString& password, const QString& own_name) {
    // A name of blanks alone would be stored empty: it is no name.
    if (platform::text_trim(typed_name).isEmpty())
        return refusal(QStringLiteral("操作人员不能为空！"), OperatorField::Name);
    if (password.isEmpty())
        return refusal(QStringLiteral("密码不能为空！"), OperatorField::Password);
    QString sql = QStringLiteral("select 收费人员 from 收费员 where 收费人员=") +
                  sql_quote(platform::text_trim(typed_name));
    // A rename may keep its own name (or change only its letter case).
    if (!own_name.isNull()) sql += QStringLiteral(" and 收费人员<>") + sql_quote(own_name);
    if (platform::query_exists(connection, sql))
        return refusal(QStringLiteral("待添加的操作人员名称重复!"), OperatorField::Name);
    return {};
}

void log_or_say(OperatorSaveOutcome& outcome, const QString& remark) {
    if (!write_operation_log(QStringLiteral("基本设置"), QStringLiteral("操作人员设置"), remark))
        outcome.messages << information(QStringLiteral("添加日志失败！"));
}

}  // namespace

OperatorSaveOutcome add_operator(platform::Connection& connection, const QString& typed_name,
                                 const QString& password, bool may_log_in) {
    OperatorSaveOutcome outcome = check(connection, typed_name, password, QString());
    if (!outcome.messages.isEmpty()) return outcome;
    const QString name = platform::text_trim(typed_name);
    {
        // The operator comes with a grant row for every item, or not at all: an operator
        // missing some rows could never be granted those items.
        platform::Transaction transaction(connection);
        if (!platform::db_execute(
                connection, QStringLiteral("insert into 收费员 (收费人员,密码,许可) values (") +
                                sql_quote(name) + QLatin1Char(',') +
                                sql_quote(platform::md5_hex(password)) +
                                (may_log_in ? QStringLiteral(",1 )") : QStringLiteral(",0 )")))) {
            outcome.messages << platform::database_error(platform::db_last_error(connection));
            return outcome;
        }
        bool granted = false;
        const QStringList items = platform::query_column(
            connection, QStringLiteral("select 项目名称 from 权限项目 where 首项=0 ORDER  BY ID"),
            platform::OnFailure::Report, &granted);
        for (const QString& item : items) {
            granted = platform::db_execute(
                connection,
                QStringLiteral("insert into 权限管理 (权限标识,当前项目,人员姓名) values (0,") +
                    sql_quote(trim_left(item)) + QLatin1Char(',') + sql_quote(name) +
                    QStringLiteral(" )"));
            if (!granted) break;
        }
        if (!granted || !transaction.commit()) {
            outcome.messages << information(QStringLiteral("写入权限项目失败！"));
            return outcome;
        }
    }
    outcome.saved = outcome.close_form = true;
    outcome.messages << information(
        QStringLiteral("添加成功，请在菜单“%1”中分配权限！").arg(kPermissionsMenuPath));
    log_or_say(outcome, QStringLiteral("添加操作人员：") + name + QStringLiteral("。"));
    return outcome;
}

OperatorSaveOutcome modify_operator(platform::Connection& connection, const QString& name_before,
                                    const QString& typed_name, const QString& password,
                                    bool may_log_in) {
    OperatorSaveOutcome outcome = check(connection, typed_name, password, name_before);
    if (!outcome.messages.isEmpty()) return outcome;
    const QString name = platform::text_trim(typed_name);
    outcome.close_form = true;
    {
        // The grant rows follow the name in the same step: under a new name without them the
        // operator would be refused everything.
        platform::Transaction transaction(connection);
        const bool changed =
            platform::db_execute(connection,
                                 QStringLiteral("update 收费员 set 密码=") +
                                     sql_quote(platform::md5_hex(password)) +
                                     (may_log_in ? QStringLiteral(",许可=1,收费人员=")
                                                 : QStringLiteral(",许可=0, 收费人员=")) +
                                     sql_quote(name) + QStringLiteral(" where 收费人员=") +
                                     sql_quote(name_before)) &&
            platform::db_execute(
                connection, QStringLiteral("update 权限管理 set 人员姓名=") + sql_quote(name) +
                                QStringLiteral("  where 人员姓名=") + sql_quote(name_before)) &&
            transaction.commit();
        if (!changed) {
            outcome.messages << platform::database_error(platform::db_last_error(connection));
            return outcome;
        }
    }
    outcome.saved = true;
    log_or_say(outcome, QStringLiteral("把原操作人员：") + name_before +
                            QStringLiteral("修改为：") + name + QStringLiteral("。"));
    outcome.messages << information(QStringLiteral("修改成功!"));
    return outcome;
}

namespace {

bool log_change(const QString& remark) {
    return write_operation_log(QStringLiteral("基本设置"), QStringLiteral("操作人员设置"), remark);
}

}  // namespace

OperatorWriteOutcome delete_operator(platform::Connection& connection, const QString& name) {
    OperatorWriteOutcome outcome;
    {
        // The operator and its grant rows go together or not at all: a half-done delete would
        // leave grant rows that a later operator of the same name silently inherits.
        platform::Transaction transaction(connection);
        const bool deleted =
            transaction.active() &&
            platform::db_execute(connection, QStringLiteral("delete from 收费员 where 收费人员=") +
                                                 sql_quote(name)) &&
            platform::db_execute(
                connection,
                QStringLiteral("delete from  权限管理 where 人员姓名=") + sql_quote(name)) &&
            transaction.commit();
        if (!deleted) {
            outcome.messages << platform::database_error(platform::db_last_error(connection));
            transaction.rollback();
            return outcome;
        }
    }
    outcome.done = true;
    if (!log_change(QStringLiteral("删除操作人员：") + name))
        outcome.messages << information(QStringLiteral("添加日志失败！"));
    outcome.messages << information(
        QStringLiteral("删除操作人员【") + name + QStringLiteral("】成功！"),
        QStringLiteral("删除成功"));
    return outcome;
}

OperatorWriteOutcome change_operator_password(platform::Connection& connection,
                                              const QString& operator_name,
                                              const QString& old_password,
                                              const QString& new_password,
                                              const QString& repeated_password) {
    OperatorWriteOutcome outcome;
    const QString stored =
        platform::query_text(connection, QStringLiteral("select 密码 from 收费员 where 收费人员=") +
                                             sql_quote(operator_name));
    if (new_password.isEmpty()) {
        outcome.messages << information(QStringLiteral("密码不能为空！"));
        return outcome;
    }
    if (new_password != repeated_password) {
        outcome.clear_password_boxes = true;
        outcome.messages << information(QStringLiteral("两次密码不相符，请重新输入！"));
        return outcome;
    }
    if (platform::md5_hex(old_password).compare(stored, Qt::CaseSensitive) != 0) {
        outcome.messages << platform::Message{QStringLiteral("旧密码没有被确认！"),
                                              platform::kDefaultCaption,
                                              platform::MsgIcon::Critical};
        return outcome;
    }
    if (!platform::db_execute(connection, QStringLiteral("update 收费员 set 密码=") +
                                              sql_quote(platform::md5_hex(new_password)) +
                                              QStringLiteral(" where 收费人员=") +
                                              sql_quote(operator_name))) {
        // As a failed query reports itself: the provider's text in a plain box.
        outcome.messages << platform::Message{platform::db_last_error(connection), QString(),
                                              platform::MsgIcon::None};
        return outcome;
    }
    outcome.done = true;
    outcome.messages << information(QStringLiteral("密码修改成功！"));
    return outcome;
}

OperatorWriteOutcome save_operator_grants(platform::Connection& connection,
                                          const QString& operator_name,
                                          const std::vector<std::pair<QString, bool>>& grants) {
    OperatorWriteOutcome outcome;
    const auto failure = [&] {
        outcome.messages << platform::database_error(QStringLiteral("写登陆人员用户权限失败！") +
                                                     platform::db_last_error(connection));
        return outcome;
    };
    {
        // One transaction for speed; what ran before a failing statement is kept.
        platform::Transaction transaction(connection);
        for (const auto& [item, granted] : grants) {
            // A group node's statement names a group, which no grant row carries, so ticking a
            // group alone grants nothing.
            if (!platform::db_execute(
                    connection, QStringLiteral("update 权限管理 set 权限标识=") +
                                    (granted ? QStringLiteral("1") : QStringLiteral("0")) +
                                    QStringLiteral(" where 人员姓名=") + sql_quote(operator_name) +
                                    QStringLiteral(" and 当前项目=") +
                                    sql_quote(platform::text_trim(item)))) {
                OperatorWriteOutcome failed = failure();
                transaction.commit();
                return failed;
            }
        }
        if (!transaction.commit()) return failure();
    }
    outcome.done = true;
    if (!log_change(QStringLiteral("调整了操作人员：") + operator_name +
                    QStringLiteral("的权限！")))
        outcome.messages << information(QStringLiteral("添加日志失败！"));
    outcome.messages << information(QStringLiteral("权限设置成功！"));
    return outcome;
}

}  // namespace shell

namespace shell {

QStringList collector_names(platform::Connection& connection) {
    return platform::query_column(
        connection, QStringLiteral("select 收费人员 from 收费员 where 收费人员<>'管理员'"),
        platform::OnFailure::Quiet);
}

}  // namespace shell
