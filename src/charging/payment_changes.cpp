#include "charging/payment_changes.h"

#include <cmath>

#include "charging/charge_queries.h"
#include "charging/payments.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/query.h"
#include "shell/operation_log.h"
#include "shell/permissions.h"
#include "tariffs/bills.h"

namespace charging {

namespace {

using platform::OnFailure;

const QString kLogFailed = QStringLiteral("添加日志失败！");

ChargeRecordFields read_fields(const platform::RecordSet& rows) {
    const auto n = [&](const char16_t* name) {
        return platform::recordset_field_number(rows, QString::fromUtf16(name));
    };
    ChargeRecordFields f;
    f.bill_number = static_cast<qint64>(n(u"收据号"));
    f.cost = n(u"成本金额");
    f.received = n(u"实收金额");
    f.billed = n(u"应收金额");
    f.prepaid = n(u"预存扣款");
    f.carry_over = n(u"本月接转");
    f.collector = platform::recordset_field_text(rows, QStringLiteral("收费人员"));
    f.date = platform::recordset_field_date(rows, QStringLiteral("收费日期"));
    return f;
}

// A money box's text as a number for the statement; nothing when it is no amount.
std::optional<double> strict_number(const QString& text) {
    return platform::parse_typed_amount(text);
}

}  // namespace

qint64 edited_bill_number = 0;
double edited_bill_original_received = 0;
QString edited_bill_original_collector;

SelectedSerial selected_serial(const QString& cell) {
    SelectedSerial out;
    if (cell.isEmpty()) return out;
    if (!cell.startsWith(tariffs::kNumeroSign)) {
        out.state = SelectedSerial::State::NotSerial;
        return out;
    }
    out.state = SelectedSerial::State::Serial;
    out.serial = tariffs::serial_from_display_text(cell);
    return out;
}

QString payment_owner_refusal(platform::Connection& connection, qint64 serial,
                              const QString& operator_name, const QString& refusal,
                              const QString& missing) {
    if (operator_name == shell::kAdministrator) return {};
    bool ok = false;
    const QList<QStringList> rows = platform::query_rows(
        connection,
        QStringLiteral("select 收费人员 from 总收费 where 流水号=") + QString::number(serial),
        OnFailure::Quiet, &ok);
    if (!ok || rows.isEmpty()) return missing;
    return rows.front().value(0) == operator_name ? QString() : refusal;
}

QString void_refusal(platform::Connection& connection, qint64 serial,
                     const QString& operator_name) {
    const QString owner =
        payment_owner_refusal(connection, serial, operator_name, kVoidNotOwner, kVoidNoCollector);
    if (!owner.isEmpty()) return owner;
    // Voiding again would turn the void row itself into an unpaid bill and record a second one.
    if (!platform::query_exists(
            connection,
            QStringLiteral("select 收据号 from 总收费 where 标志=1 and 收费标志=0 and 流水号=") +
                QString::number(serial),
            OnFailure::Quiet))
        return kAlreadyVoided;
    return {};
}

QString void_question(const QString& cell) {
    return QStringLiteral("确定作废流水号为【") + cell + QStringLiteral("】的记录吗？");
}

VoidOutcome void_payment(platform::Connection& connection, qint64 serial,
                         const shell::RunContext& context) {
    VoidOutcome out;
    const auto failed = [&](const QString& statement = QString()) {
        if (!statement.isEmpty()) out.messages << platform::database_error(statement);
        out.messages << platform::database_error(platform::db_last_error(connection));
        return out;
    };
    platform::Transaction transaction(connection);
    if (!transaction.active() || !claim_write_lock(connection)) return failed();

    // Only the serial's paid valid bills are voided: never its void row, never a bill that is
    // unpaid again.
    platform::RecordSet paid;
    {
        platform::PreparedStatement select(
            connection,
            QStringLiteral("select 预存扣款,实收金额,收费日期,收费人员,户号,发票号 from "
                           "总收费 where 标志=1 and 收费标志=0 and 流水号=?"));
        select.bind_integer(1, serial);
        if (!select.open(paid, OnFailure::Quiet)) return failed();
    }
    if (platform::recordset_eof(paid)) {
        out.messages << platform::information(kAlreadyVoided);
        return out;
    }
    const QDate date = platform::recordset_field_date(paid, QStringLiteral("收费日期")).date();
    const QString collector = platform::recordset_field_text(paid, QStringLiteral("收费人员"));
    const QString household = platform::recordset_field_text(paid, QStringLiteral("户号"));
    const QString invoice = platform::recordset_field_text(paid, QStringLiteral("发票号"));
    const qint64 bills = platform::recordset_record_count(paid);
    double sum = 0;
    for (; !platform::recordset_eof(paid); platform::recordset_move_next(paid))
        sum += platform::recordset_field_number(paid, QStringLiteral("实收金额"));

    platform::PreparedStatement unpay(
        connection, QStringLiteral("update 总收费 set 收费标志=1,流水号=0,收费人员=NULL where "
                                   "标志=1 and 收费标志=0 and 流水号=?"));
    unpay.bind_integer(1, serial);
    qint64 changed = 0;
    if (!unpay.execute(&changed)) return failed();
    if (changed != bills) {
        out.messages << platform::information(kPaymentChanged);
        return out;  // rolled back as the transaction goes out of scope
    }
    platform::PreparedStatement readings(
        connection, QStringLiteral("update 抄表总表 set 流水号=null where 流水号=?"));
    readings.bind_integer(1, serial);
    if (!readings.execute()) return failed();
    const QString void_row = QStringLiteral(
        "insert into 总收费 (户号,实收金额,收费日期,收费人员,流水号,发票号,标志,收据号) values "
        "(?,?,?,?,?,?,2,null)");
    platform::PreparedStatement insert(connection, void_row);
    insert.bind_text(1, household);
    insert.bind_number(2, sum);
    if (date.isValid())
        insert.bind_date(3, date);
    else
        insert.bind_null(3);
    insert.bind_text(4, collector);
    insert.bind_integer(5, serial);
    insert.bind_text(6, invoice);
    if (!insert.execute()) return failed(void_row);
    // The log row goes in with the void: a void is never kept without its row, nor the row
    // without the void. A failed log row alone does not undo the void.
    const bool logged = shell::write_operation_log(
        connection, context, QStringLiteral("收费管理"), QStringLiteral("收费作废"),
        QStringLiteral("流水号") + tariffs::serial_display_text(serial));
    if (!transaction.commit()) return failed();

    out.done = true;
    if (!logged)
        out.messages << platform::information(kLogFailed);
    else
        out.messages << platform::information(QStringLiteral("作废成功！"));
    return out;
}

QString edit_refusal(platform::Connection& connection, qint64 serial,
                     const QString& operator_name) {
    bool ok = false;
    const QList<QStringList> rows = platform::query_rows(
        connection,
        QStringLiteral("select 收费人员,标志 from 总收费 where 流水号=") + QString::number(serial),
        OnFailure::Quiet, &ok);
    // A serial without bills has nothing to edit.
    if (!ok || rows.isEmpty()) return kLookupFailed;
    const QStringList& first = rows.front();
    if (operator_name != shell::kAdministrator && first.value(0) != operator_name)
        return kEditNotOwner;
    if (platform::to_number(first.value(1)) == 2) return kEditVoided;
    return {};
}

QList<ChargeRecordFields> serial_charge_records(platform::Connection& connection, qint64 serial,
                                                bool* ok) {
    QList<ChargeRecordFields> out;
    platform::RecordSet rows;
    const bool opened =
        platform::query_open(rows, connection,
                             QStringLiteral("select * from 总收费 where 流水号=") +
                                 QString::number(serial) + QStringLiteral(" ORDER  BY 收据号"),
                             OnFailure::Quiet);
    if (ok) *ok = opened;
    for (; opened && !platform::recordset_eof(rows); platform::recordset_move_next(rows))
        out << read_fields(rows);
    return out;
}

std::optional<ChargeRecordFields> paid_charge_record(platform::Connection& connection,
                                                     qint64 bill_number, bool* ok) {
    platform::RecordSet rows;
    const bool opened = platform::query_open(
        rows, connection,
        QStringLiteral("select * from 总收费 where 收费标志=0 and 标志=1 and 收据号=") +
            QString::number(bill_number),
        OnFailure::Quiet);
    if (ok) *ok = opened;
    if (!opened || platform::recordset_eof(rows)) return std::nullopt;
    return read_fields(rows);
}

QStringList edit_collector_choices(platform::Connection& connection, const QString& collector) {
    if (collector == QStringLiteral("预存扣款")) return {collector};
    return platform::query_column(
        connection, QStringLiteral("select 收费人员 from 收费员 where 收费人员<>'管理员'"),
        OnFailure::Quiet);
}

ChargeEditOutcome save_charge_record_edit(platform::Connection& connection,
                                          const ChargeEditRequest& r,
                                          const shell::RunContext& context) {
    ChargeEditOutcome out;
    const std::optional<double> received = strict_number(r.received);
    if (r.bill_number <= 0 || !received || !r.date.isValid()) return out;
    const auto number = [](const QString& text) {
        return platform::sql_number(platform::to_number(text));
    };
    const QString sql = QStringLiteral("update 总收费 set 实收金额=") +
                        platform::sql_number(*received) + QStringLiteral(",本月接转=") +
                        number(r.carry_over) + QStringLiteral(",成本金额=") + number(r.cost) +
                        QStringLiteral(",应收金额=") + number(r.billed) +
                        QStringLiteral(",收费人员=") + platform::sql_quote(r.collector) +
                        QStringLiteral(",预存扣款=") + number(r.prepaid) +
                        QStringLiteral(",收费日期=") + platform::date_to_quoted(r.date) +
                        QStringLiteral(" where 收据号=") + QString::number(r.bill_number);
    platform::Transaction transaction(connection);
    if (!transaction.active() || !platform::db_execute(connection, sql)) return out;
    const QString remark =
        QStringLiteral("修改收据号：") + tariffs::serial_display_text(r.bill_number) +
        QStringLiteral("把原实收金额：") + platform::to_text(r.original_received) +
        QStringLiteral("修改为：") + r.received + QStringLiteral("把原收费人员：") +
        r.original_collector + QStringLiteral("修改为：") + r.collector;
    // In the change's transaction, so the change and its log row are kept together.
    const bool logged = shell::write_operation_log(connection, context, QStringLiteral("收费管理"),
                                                   QStringLiteral("收费修改"), remark);
    if (!transaction.commit()) return out;
    out.done = true;
    if (!logged) out.messages << platform::information(kLogFailed);
    out.messages << platform::information(QStringLiteral("修改成功！"));
    return out;
}

}  // namespace charging
