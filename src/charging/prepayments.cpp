#include "charging/prepayments.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/query.h"
#include "shell/operation_log.h"
#include "shell/permissions.h"
#include "shell/run_context.h"
#include "tariffs/bills.h"

namespace charging {

int prepayment_entry_mode = 0;

namespace {

const QString kLogFailure = QStringLiteral("添加日志失败！");
const QString kInvoiceManagementOn = QStringLiteral("开启");

PrepaymentOutcome refused(const QString& text, PrepayField focus, bool select = false) {
    PrepaymentOutcome out;
    out.messages.push_back(tariffs::info_message(text));
    out.focus = focus;
    out.select_text = select;
    return out;
}

// Runs one statement alone in a transaction; false with the database's text in `messages`.
bool run_committed(platform::Connection& connection, const QString& sql, Messages& messages,
                   qint64* rows = nullptr) {
    platform::Transaction transaction(connection);
    if (transaction.active() && platform::db_execute(connection, sql, rows) && transaction.commit())
        return true;
    messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
    return false;
}

}  // namespace

bool is_receipt_cell(const QString& cell) { return cell.startsWith(kReceiptMark); }

qint64 next_prepayment_receipt_number(platform::Connection& connection, bool* ok) {
    const qint64 largest = platform::query_integer(
        connection, QStringLiteral("select top 1 收据号 from 预存明细 order by 收据号 DESC"),
        platform::OnFailure::Quiet, ok);
    return (largest == 0 ? tariffs::kFixedNumberStart : largest) + 1;
}

QStringList prepayment_collectors(platform::Connection& connection) {
    return platform::query_column(
        connection, QStringLiteral("select 收费人员 from 收费员 where 收费人员<>'管理员'"),
        platform::OnFailure::Quiet);
}

PrepayHousehold find_prepaying_household(platform::Connection& connection, const QString& number,
                                         const QString& card) {
    PrepayHousehold found;
    const QString n = platform::text_trim(number);
    const QString c = platform::text_trim(card);
    if (n.isEmpty() && c.isEmpty()) return found;
    const QString where = !n.isEmpty() ? QStringLiteral("户号=") + platform::sql_quote(n)
                                       : QStringLiteral("磁卡号码=") + platform::sql_quote(c);
    const QList<QStringList> rows = platform::query_rows(
        connection,
        QStringLiteral("select 居住街道,用户名,详细地址,磁卡号码,户号 from 用户信息表 where ") +
            where,
        platform::OnFailure::Quiet);
    if (rows.isEmpty()) return found;
    const QStringList& r = rows.front();
    found.found = true;
    found.street = r.value(0);
    found.name = r.value(1);
    found.address = r.value(2);
    found.card = r.value(3);
    found.number = r.value(4);
    return found;
}

PrepaymentOutcome check_prepayment_form(platform::Connection& connection,
                                        const PrepaymentForm& form) {
    const QString household = platform::text_trim(form.household);
    if (household.isEmpty())
        return refused(QStringLiteral("请输入用户号！"), PrepayField::Household);
    if (form.collector.isEmpty())
        return refused(QStringLiteral("请选择收费人员！"), PrepayField::Collector);
    const std::optional<double> amount = platform::parse_typed_amount(form.amount);
    if (!amount || !platform::money_positive(*amount))
        return refused(QStringLiteral("预存金额不能小于等于零！"), PrepayField::Amount);
    if (!platform::query_exists(connection,
                                QStringLiteral("select 用户名 from 用户信息表 where 户号=") +
                                    platform::sql_quote(household),
                                platform::OnFailure::Quiet))
        return refused(QStringLiteral("无此用户！"), PrepayField::Household, true);
    PrepaymentOutcome out;
    out.done = true;
    return out;
}

PrepaymentOutcome take_prepayment(platform::Connection& connection, const PrepaymentForm& form,
                                  const QString& invoice_number, const shell::RunContext& context) {
    PrepaymentOutcome out = check_prepayment_form(connection, form);
    if (!out.done) return out;
    out.done = false;
    const QString household = platform::text_trim(form.household);
    const double amount = *platform::parse_typed_amount(form.amount);
    // A number another window left behind is no invoice of this deposit.
    const QString invoice =
        context.parameters.invoice_management == kInvoiceManagementOn ? invoice_number : QString();
    const auto failed = [&out, &connection] {
        out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
        return out;
    };
    // The deposit and the bills it settles are one transaction: never a stored deposit with
    // its bills left unpaid, nor bills paid from a deposit that is not there.
    platform::Transaction transaction(connection);
    if (!transaction.active()) return failed();
    bool ok = true;
    const qint64 receipt = next_prepayment_receipt_number(connection, &ok);
    if (!ok) return failed();
    platform::PreparedStatement insert(
        connection, QStringLiteral("insert into 预存明细 (户号,预存金额,收费人员,预存日期,收据号,"
                                   "发票号,标志,抄表户号) values (?,?,?,?,?,?,1,'')"));
    insert.bind_text(1, household);
    insert.bind_number(2, amount);
    insert.bind_text(3, form.collector);
    insert.bind_date(4, form.date);
    insert.bind_integer(5, receipt);
    insert.bind_text(6, invoice);
    if (!insert.execute()) return failed();
    Messages log_failure;
    if (!shell::write_operation_log(connection, context, kPrepayGroup, QStringLiteral("预存添加"),
                                    QStringLiteral("添加预存户号：") + household +
                                        QStringLiteral(" 用户姓名：") + form.name +
                                        QStringLiteral(" 预存金额：") + platform::to_text(amount) +
                                        QStringLiteral("元。")))
        log_failure.push_back(tariffs::info_message(kLogFailure));
    out.settlement = pay_household_charges_from_prepayment(connection, household, context);
    if (!out.settlement.completed) {
        // Nothing stays: the window keeps the form for another try.
        transaction.rollback();
        out.settlement.settled.clear();
        out.messages = out.settlement.messages;
        return out;
    }
    if (!transaction.commit()) {
        out.settlement.settled.clear();
        return failed();
    }
    out.done = true;
    out.receipt = receipt;
    out.messages = log_failure;
    out.messages.insert(out.messages.end(), out.settlement.messages.begin(),
                        out.settlement.messages.end());
    out.messages.push_back(tariffs::info_message(QStringLiteral("添加成功！")));
    return out;
}

PrepaymentOutcome modify_prepayment(platform::Connection& connection, qint64 receipt,
                                    double former_amount, const PrepaymentForm& form,
                                    const shell::RunContext& context) {
    PrepaymentOutcome out = check_prepayment_form(connection, form);
    if (!out.done) return out;
    out.done = false;
    const double amount = *platform::parse_typed_amount(form.amount);
    const QString update = QStringLiteral("update 预存明细 set 户号=") +
                           platform::sql_quote(platform::text_trim(form.household)) +
                           QStringLiteral(",预存金额=") + platform::sql_number(amount) +
                           QStringLiteral(",收费人员=") + platform::sql_quote(form.collector) +
                           QStringLiteral(",预存日期=") + platform::date_to_quoted(form.date) +
                           QStringLiteral(" where 收据号=") + QString::number(receipt);
    qint64 changed = 0;
    if (!run_committed(connection, update, out.messages, &changed)) return out;
    if (changed == 0) {
        // The row is gone: nothing was changed, so saying so would be false.
        out.messages.push_back(tariffs::info_message(QStringLiteral("修改失败，找不到收据号") +
                                                     tariffs::serial_display_text(receipt) +
                                                     QStringLiteral("的记录！")));
        return out;
    }
    out.done = true;
    out.receipt = receipt;
    if (!shell::write_operation_log(connection, context, kPrepayGroup, QStringLiteral("预存修改"),
                                    QStringLiteral("修改预存户号：") + form.household +
                                        QStringLiteral(" 用户姓名：") + form.name +
                                        QStringLiteral(" 预存金额：") + platform::to_text(amount) +
                                        QStringLiteral("元 以前金额：") +
                                        platform::to_text(former_amount) + QStringLiteral("元。")))
        out.messages.push_back(tariffs::info_message(kLogFailure));
    out.messages.push_back(tariffs::info_message(QStringLiteral("修改成功！")));
    return out;
}

StoredPrepayment load_prepayment(platform::Connection& connection, qint64 receipt) {
    StoredPrepayment stored;
    platform::RecordSet records;
    if (!platform::query_open(records, connection,
                              QStringLiteral("select 户号,收费人员,预存金额,预存日期,标志 from "
                                             "预存明细 where 收据号=") +
                                  QString::number(receipt),
                              platform::OnFailure::Quiet) ||
        platform::recordset_eof(records))
        return stored;
    stored.found = true;
    stored.household = platform::recordset_field_text(records, 0);
    stored.collector = platform::recordset_field_text(records, 1);
    stored.amount = platform::recordset_field_number(records, 2);
    stored.date = platform::recordset_field_date(records, 3).date();
    stored.flag = static_cast<int>(platform::recordset_field_number(records, 4));
    return stored;
}

QString prepayment_owner_refusal(platform::Connection& connection, qint64 receipt,
                                 const QString& operator_name, RowAction action) {
    if (operator_name == shell::kAdministrator) return {};
    const QStringList collectors = platform::query_column(
        connection,
        QStringLiteral("select 收费人员 from 预存明细 where 收据号=") + QString::number(receipt),
        platform::OnFailure::Quiet);
    if (collectors.size() != 1) return QStringLiteral("取收费人员失败！");
    if (collectors.front() != operator_name)
        return action == RowAction::Modify
                   ? QStringLiteral("只有管理员或该条记录的收费人员才能修改。")
                   : QStringLiteral("只有管理员或该条记录的收费人员才能作废。");
    return {};
}

QString prepayment_void_question(const QString& receipt_cell) {
    return QStringLiteral("确定要作废预存收据号【") + receipt_cell + QStringLiteral("】的记录吗？");
}

PrepaymentVoidOutcome void_prepayment(platform::Connection& connection, qint64 receipt,
                                      const QString& receipt_cell,
                                      const shell::RunContext& context) {
    PrepaymentVoidOutcome out;
    Messages errors;
    qint64 changed = 0;
    const bool stored = run_committed(
        connection,
        QStringLiteral("update 预存明细 set 标志=2 where 收据号=") + QString::number(receipt),
        errors, &changed);
    if (!stored || changed == 0) {
        out.messages.push_back(
            {QStringLiteral("作废预存记录收据号【") + receipt_cell + QStringLiteral("】失败！"),
             QStringLiteral("作废失败"), false});
        return out;
    }
    out.done = true;
    if (!shell::write_operation_log(connection, context, kPrepayGroup, QStringLiteral("预存作废"),
                                    QStringLiteral("作废收据号：") + receipt_cell))
        out.messages.push_back(tariffs::info_message(kLogFailure));
    out.messages.push_back(
        {QStringLiteral("作废预存记录收据号【") + receipt_cell + QStringLiteral("】成功！"),
         QStringLiteral("作废成功"), false});
    return out;
}

}  // namespace charging
