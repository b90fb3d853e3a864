#include "charging/reduction_settings.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/query.h"
#include "shell/operation_log.h"
#include "shell/permissions.h"
#include "tariffs/bills.h"

namespace charging {

QString edited_reduction_household;

namespace {

using platform::information;
using platform::sql_quote;

const QString kAdded = QStringLiteral("添加成功！");
const QString kModified = QStringLiteral("修改成功！");

// A value box read as a number: "--", empty and text that is no number count as 0.
QString number_text(const QString& box) { return platform::sql_number(platform::to_number(box)); }

bool not_above_zero(const QString& box) {
    return platform::to_number(box) <= platform::kMoneyTolerance;
}

ReductionOutcome refused(const QString& text, ReductionField focus, bool select = false) {
    ReductionOutcome outcome;
    outcome.messages << information(text);
    outcome.focus = focus;
    outcome.select_text = select;
    return outcome;
}

ReductionOutcome database_failure(platform::Connection& connection) {
    ReductionOutcome outcome;
    outcome.messages << information(platform::db_last_error(connection));
    return outcome;
}

}  // namespace

QString reduction_settings_statement() {
    return QStringLiteral(
        "select 减免设置.户号,用户表.用户名,用户表.居住街道,用户表.详细地址,减免设置.减免方式,"
        "减免设置.减免期限,减免设置.减免金额,减免设置.减免次数,减免设置.减免用量,减免设置.减免类型 "
        "from 减免设置,用户表 where 用户表.户号=减免设置.户号 ORDER  BY 减免设置.编号");
}

ReductionList read_reduction_settings_list(platform::Connection& connection) {
    ReductionList list;
    platform::RecordSet r;
    list.ok = platform::query_open(r, connection, reduction_settings_statement());
    if (list.ok) {
        for (; !platform::recordset_eof(r); platform::recordset_move_next(r)) {
            const auto text = [&](int field) { return platform::recordset_field_text(r, field); };
            const QString mode = text(4);
            const QString period = text(5);
            list.rows.push_back(
                {tariffs::half_width(text(0)), text(1), text(2), text(3), mode, period,
                 mode == kReductionFull
                     ? kNotApplicable
                     : platform::format_number(platform::recordset_field_number(r, 6), 2),
                 period == kReductionForever ? kNotApplicable : text(7), text(8), text(9)});
        }
    }
    list.totals = {kSettingsTotalsCell, QString::number(list.rows.size())};
    return list;
}

ReductionHouseholdLookup look_up_reduction_household(platform::Connection& connection,
                                                     const QString& household,
                                                     const QString& prefix) {
    ReductionHouseholdLookup lookup;
    if (household.isEmpty()) return lookup;
    platform::RecordSet r;
    if (!platform::query_open(
            r, connection,
            QStringLiteral("select 居住街道,用户名,详细地址,性质 from 用户表 where 户号=") +
                sql_quote(household)))
        return lookup;
    if (platform::recordset_eof(r)) {
        if (household != prefix) lookup.result = ReductionHouseholdLookup::Result::Missing;
        return lookup;
    }
    if (platform::recordset_field_bool(r, QStringLiteral("性质"))) {
        lookup.result = ReductionHouseholdLookup::Result::MasterMeter;
        return lookup;
    }
    lookup.result = ReductionHouseholdLookup::Result::Found;
    lookup.name = platform::recordset_field_text(r, QStringLiteral("用户名"));
    lookup.street = platform::recordset_field_text(r, QStringLiteral("居住街道"));
    lookup.address = platform::recordset_field_text(r, QStringLiteral("详细地址"));
    return lookup;
}

LoadedReductionSetting load_reduction_setting(platform::Connection& connection,
                                              const QString& household) {
    LoadedReductionSetting loaded;
    loaded.form.household = household;
    platform::RecordSet r;
    if (!platform::query_open(r, connection,
                              QStringLiteral("select 减免方式,减免期限,减免金额,减免次数,减免用量,"
                                             "减免类型 from 减免设置 where 户号=") +
                                  sql_quote(household)) ||
        platform::recordset_eof(r))
        return loaded;
    loaded.found = true;
    ReductionSettingForm& f = loaded.form;
    const bool partial = platform::recordset_field_text(r, 0) == kReductionPartial;
    const bool counted = platform::recordset_field_text(r, 1) == kReductionCounted;
    const QString times = counted ? platform::recordset_field_text(r, 3) : kNotApplicable;
    const QString type = platform::recordset_field_text(r, 5);
    if (type == kReductionTypeAmount) {
        f.by_quantity = false;
        f.amount_mode = partial ? kReductionPartial : kReductionFull;
        f.amount = partial ? platform::format_number(platform::recordset_field_number(r, 2), 2)
                           : kNotApplicable;
        f.amount_period = counted ? kReductionCounted : kReductionForever;
        f.amount_times = times;
    } else if (type == kReductionTypeQuantity) {
        f.by_quantity = true;
        f.quantity_mode = partial ? kReductionPartial : kReductionFull;
        f.quantity = partial ? platform::recordset_field_text(r, 4) : kNotApplicable;
        f.quantity_period = counted ? kReductionCounted : kReductionForever;
        f.quantity_times = times;
    }
    return loaded;
}

ReductionOutcome save_reduction_setting(platform::Connection& connection,
                                        const ReductionSettingForm& form,
                                        const QString& edited_household) {
    platform::RecordSet r;
    bool ok = platform::query_open(
        r, connection,
        QStringLiteral("select 用户名,性质 from 用户表 where 户号=") + sql_quote(form.household));
    if (!ok) return database_failure(connection);
    if (platform::recordset_eof(r))
        return refused(kNoReductionHousehold, ReductionField::Household, true);
    // The look-up refuses a master meter when the box is left; a save that skipped it must
    // not slip one through.
    if (platform::recordset_field_bool(r, QStringLiteral("性质")))
        return refused(kMasterMeterRefused, ReductionField::Household, true);

    const QString mode = form.by_quantity ? form.quantity_mode : form.amount_mode;
    const QString period = form.by_quantity ? form.quantity_period : form.amount_period;
    const QString value = form.by_quantity ? form.quantity : form.amount;
    const QString times = form.by_quantity ? form.quantity_times : form.amount_times;
    if (period == kReductionCounted && not_above_zero(times))
        return refused(kCountTooSmall, form.by_quantity ? ReductionField::QuantityTimes
                                                        : ReductionField::AmountTimes);
    // A partial reduction's box is read whole ("1,000.50" is no 1.00, "12abc" no 12).
    const std::optional<double> typed = platform::parse_typed_amount(value);
    if (mode == kReductionPartial && (!typed || !platform::money_positive(*typed)))
        return refused(kAmountTooSmall,
                       form.by_quantity ? ReductionField::Quantity : ReductionField::Amount);
    const QString value_text =
        mode == kReductionPartial ? platform::sql_number(*typed) : number_text(value);

    const QString value_column =
        form.by_quantity ? QStringLiteral("减免用量") : QStringLiteral("减免金额");
    const QString type = form.by_quantity ? kReductionTypeQuantity : kReductionTypeAmount;
    QString sql;
    if (edited_household.isEmpty()) {
        const bool exists = platform::query_exists(
            connection,
            QStringLiteral("select 户号 from 减免设置 where 户号=") + sql_quote(form.household),
            platform::OnFailure::Report, &ok);
        if (!ok) return database_failure(connection);
        if (exists) return refused(kSettingExists, ReductionField::None);
        sql = QStringLiteral("insert into 减免设置 (户号,减免方式,减免期限,") + value_column +
              QStringLiteral(",减免次数,减免类型) values ( ") + sql_quote(form.household) + u',' +
              sql_quote(mode) + u',' + sql_quote(period) + u',' + value_text + u',' +
              number_text(times) + u',' + sql_quote(type) + u')';
    } else {
        sql = QStringLiteral("update 减免设置 set 减免方式=") + sql_quote(mode) +
              QStringLiteral(",减免期限=") + sql_quote(period) + u',' + value_column + u'=' +
              value_text + QStringLiteral(",减免次数=") + number_text(times) +
              QStringLiteral(",减免类型=") + sql_quote(type) + QStringLiteral(" where 户号=") +
              sql_quote(edited_household);
    }
    if (!platform::db_execute(connection, sql)) return database_failure(connection);
    ReductionOutcome outcome;
    outcome.done = true;
    outcome.messages << information(edited_household.isEmpty() ? kAdded : kModified);
    return outcome;
}

QString reduction_setting_delete_question(const QString& household) {
    return QStringLiteral("确定要删除减免设置【") + household + QStringLiteral("】的记录吗？");
}

ReductionOutcome delete_reduction_setting(platform::Connection& connection,
                                          const QString& household,
                                          const shell::RunContext& context) {
    ReductionOutcome outcome;
    if (!platform::db_execute(connection, QStringLiteral("delete from 减免设置 where 户号=") +
                                              sql_quote(household))) {
        outcome.messages << information(QStringLiteral("删除失败!\r\n") +
                                        platform::db_last_error(connection));
        return outcome;
    }
    outcome.done = true;
    if (!shell::write_operation_log(
            connection, context, QStringLiteral("减免管理"), QStringLiteral("减免删除"),
            QStringLiteral("删除户号：") + household + QStringLiteral("的减免设置。")))
        outcome.messages << information(QStringLiteral("添加日志失败！"));
    outcome.messages << information(QStringLiteral("删除减免设置成功!"));
    return outcome;
}

bool may_use_reductions(platform::Connection& connection, const QString& operator_name) {
    for (const char* item :
         {"减免查询", "减免添加", "减免修改", "减免删除", "减免明细", "执行减免"})
        if (shell::check_operator_permission(connection, operator_name, QString::fromUtf8(item)))
            return true;
    return false;
}

}  // namespace charging
