#include "tariffs/parameter_save.h"

#include <cmath>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/query.h"
#include "shell/operation_log.h"
#include "shell/system_parameters.h"

namespace tariffs {

namespace {

using platform::sql_quote;

QString set_text(const QString& key, const QString& text) {
    return QStringLiteral("update pz set 文本=") + sql_quote(text) + QStringLiteral(" where 项目名称=") + sql_quote(key);
}

QString set_number(const QString& key, const QString& number) {
    return QStringLiteral("update pz set 值=") + number + QStringLiteral(" where 项目名称=") + sql_quote(key);
}

// A whole number typed or picked as text, or "" when it is none.
QString whole_number_text(const QString& text) {
    bool ok = false;
    const int value = platform::text_trim(text).toInt(&ok);
    return ok ? QString::number(value) : QString();
}

}  // namespace

ParameterForm read_parameter_form(platform::Connection& connection, ParameterForm form) {
    platform::RecordSet r;
    if (!platform::query_open(r, connection, QStringLiteral("select * from pz"))) return form;
    for (; !platform::recordset_eof(r); platform::recordset_move_next(r)) {
        const QString key = platform::recordset_field_text(r, QStringLiteral("项目名称"));
        const int number = static_cast<int>(std::lround(platform::recordset_field_number(r, 1)));
        const QString text = platform::recordset_field_text(r, 2);
        if (key == QStringLiteral("结算日期"))
            form.settlement_day = QString::number(number == 0 ? 1 : number);
        else if (key == QStringLiteral("结算月份"))
            form.settlement_month = QString::number(number == 0 ? 11 : number);
        else if (key == QStringLiteral("日结算方式"))
            form.monthly_fixed_day = text == QStringLiteral("固定日期");
        else if (key == QStringLiteral("月结算方式"))
            form.yearly_by_december = text == QStringLiteral("每年12月");
        else if (key == QStringLiteral("个人帐户"))
            form.personal_account = text == QStringLiteral("开启");
        else if (key == QStringLiteral("发票管理"))
            form.invoice_management = text == QStringLiteral("开启");
        else if (key == QStringLiteral("四舍五入")) {
            form.rounding_to_tenths = number == 0;
            form.rounding = text == QStringLiteral("真");
        } else if (key == QStringLiteral("单位信息"))
            form.organisation_name = text;
        else if (key == QStringLiteral("编码前缀"))
            form.household_prefix = text;
        else if (key == QStringLiteral("用户编码位数"))
            form.household_digits = QString::number(number);
    }
    return form;
}

Outcome save_system_parameters(platform::Connection& connection, const ParameterForm& form,
                               const shell::RunContext& context,
                               shell::SystemParameters& in_force) {
    const double digits = platform::to_number(form.household_digits);
    if (std::fabs(digits) <= platform::kMoneyTolerance)
        return Outcome::refused(QStringLiteral("编码位数不能为0！"), Field::Digits, true);
    const QString day = whole_number_text(form.settlement_day);
    const QString month = whole_number_text(form.settlement_month);

    const QStringList statements = {
        set_text(QStringLiteral("单位信息"), form.organisation_name),
        set_number(QStringLiteral("结算日期"), day),
        set_number(QStringLiteral("结算月份"), month),
        set_text(QStringLiteral("月结算方式"),
                 form.yearly_by_december ? QStringLiteral("每年12月") : QStringLiteral("实际月份")),
        set_text(QStringLiteral("日结算方式"),
                 form.monthly_fixed_day ? QStringLiteral("固定日期") : QStringLiteral("每月月底")),
        set_text(QStringLiteral("个人帐户"), form.personal_account ? QStringLiteral("开启") : QStringLiteral("关闭")),
        set_text(QStringLiteral("编码前缀"), form.household_prefix),
        set_number(QStringLiteral("用户编码位数"), platform::sql_number(digits)),
        set_text(QStringLiteral("四舍五入"), form.rounding ? QStringLiteral("真") : QStringLiteral("假")),
        set_number(QStringLiteral("四舍五入"), form.rounding_to_tenths ? QStringLiteral("0") : QStringLiteral("1")),
        set_text(QStringLiteral("发票管理"), form.invoice_management ? QStringLiteral("开启") : QStringLiteral("关闭")),
    };

    Outcome outcome;
    {
        platform::Transaction transaction(connection);
        for (const QString& sql : statements) {
            if (!platform::db_execute(connection, sql)) {
                // Nothing of this save is kept: the window still shows what was typed.
                outcome.say_plain(platform::db_last_error(connection)).say_plain(sql);
                return outcome;
            }
        }
        if (!transaction.commit()) {
            outcome.say_plain(platform::db_last_error(connection));
            return outcome;
        }
    }
    outcome.done = true;
    in_force = context.parameters;
    in_force.organisation_name = form.organisation_name;
    shell::read_system_parameters(connection, in_force);
    if (!shell::write_operation_log(connection, context, QStringLiteral("基本设置"),
                                    QStringLiteral("系统参数设置"),
                                    QStringLiteral("修改系统参数设置")))
        outcome.say(QStringLiteral("添加日志失败！"));
    outcome.say(QStringLiteral("修改成功！"));
    return outcome;
}

}  // namespace tariffs
