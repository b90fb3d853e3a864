#include "reading/reading_import.h"

#include <QFile>
#include <QHash>

#include "households/list_totals.h"
#include "platform/convert.h"
#include "platform/excel_bridge.h"
#include "platform/db.h"
#include "platform/query.h"
#include "reading/reading_rules.h"
#include "tariffs/bills.h"

namespace reading {

namespace {

using platform::OnFailure;
using platform::sql_quote;

const QString kFailed = QStringLiteral("抄表导入失败!\r\n");

// A cell as text: a whole number without a decimal part (10101, not 10101.0).
QString cell_text(const platform::RecordSet& rows, int field) {
    const QString text = platform::recordset_field_text(rows, field);
    bool number = false;
    const double value = text.toDouble(&number);
    if (number && value == static_cast<double>(static_cast<qint64>(value)) &&
        text.contains(u'.'))
        return QString::number(static_cast<qint64>(value));
    return text;
}

}  // namespace

double import_start_reading(platform::Connection& connection, const QString& account,
                            const QDate& today) {
    double start = platform::query_number(
        connection, QStringLiteral("select 开始起数 from 用户表管理 where 户号=") + sql_quote(account));
    platform::RecordSet last;
    if (platform::query_open(last, connection,
                             QStringLiteral("select top 1 止方 from 抄表总表 where 户号=") +
                                 sql_quote(account) + QStringLiteral(" order by 抄表日期 DESC")) &&
        !platform::recordset_eof(last))
        start = platform::recordset_field_number(last, 0);
    double changed = 0;
    if (meter_change_start(connection, account, today, &changed)) start = changed;
    return start;
}

ReadingImportOutcome import_readings_from_workbook(platform::Connection& connection,
                                                   const QString& file, const QString& sheet,
                                                   const QDate& today,
                                                   const std::function<void(int, int)>& progress) {
    ReadingImportOutcome out;
    platform::db_execute(connection, QStringLiteral("DROP TABLE 导入暂存表"));
    // The file and sheet names are quoted into the statement: "[", "]", ";" or "#" in them
    // are part of the name.
    if (!platform::db_execute(connection, QStringLiteral("SELECT * INTO 导入暂存表 FROM ") +
                                              platform::excel_workbook_reference(file) + u'.' +
                                              platform::bracketed_name(sheet + u'$') + u' ')) {
        out.message = kFailed + platform::db_last_error(connection);
        return out;
    }
    platform::RecordSet rows;
    if (!platform::query_open(rows, connection, QStringLiteral("select * from 导入暂存表"),
                              OnFailure::Quiet)) {
        out.message = kFailed + platform::db_last_error(connection);
        return out;
    }
    const int account_field = platform::recordset_field_index(rows, QStringLiteral("户号"));
    const int end_field = platform::recordset_field_index(rows, QStringLiteral("止数"));
    if (account_field < 0 || end_field < 0) {
        out.message = kFailed + QStringLiteral("表中没有【") +
                      (account_field < 0 ? QStringLiteral("户号") : QStringLiteral("止数")) +
                      QStringLiteral("】列。");
        return out;
    }
    const int total = platform::recordset_record_count(rows);
    platform::Transaction transaction(connection);
    QHash<QString, QStringList> item_losses;
    int step = 0;
    bool any_account = false;
    for (; !platform::recordset_eof(rows); platform::recordset_move_next(rows)) {
        if (progress) progress(++step, total);
        if (platform::recordset_field_is_null(rows, account_field)) continue;
        // The totals row of the list the sheet was exported from is no meter.
        if (households::is_list_totals_row(cell_text(rows, 0), cell_text(rows, 1))) {
            ++out.skipped_totals;
            continue;
        }
        any_account = true;
        const QString account = tariffs::half_width(cell_text(rows, account_field));
        if (platform::text_trim(account).isEmpty()) continue;
        if (platform::query_exists(connection, QStringLiteral("select 止方 from 抄表管理 where 户号=") +
                                                   sql_quote(account))) {
            out.already_pending << account;
            continue;
        }
        const QList<QStringList> meter = platform::query_rows(
            connection, QStringLiteral("select 开始起数,收费项目,价格类别 from 用户表管理 where 户号=") +
                            sql_quote(account));
        if (meter.isEmpty()) {
            out.unknown_accounts << account;
            continue;
        }
        PendingReading p;
        p.account = account;
        p.fee_item = meter[0].value(1);
        p.category = meter[0].value(2);
        const double start = import_start_reading(connection, account, today);
        const double end = platform::to_number(cell_text(rows, end_field));
        if (start - end > kReadingTolerance) {
            out.end_below_start << account;
            continue;
        }
        platform::RecordSet details;
        int rate = 0;
        int multiplier = 1;
        if (platform::query_open(
                details, connection,
                QStringLiteral("select 水价类别.电损率,用户表管理.倍率,用户表管理.抄表人员,用户表管理.父号 "
                               "from 用户表管理,水价类别 where 用户表管理.价格类别=水价类别.水价类别 and "
                               "用户表管理.收费项目=水价类别.收费项目 and 用户表管理.户号=") +
                    sql_quote(platform::text_trim(account)) + QStringLiteral(" and 用户表管理.收费项目=") +
                    sql_quote(p.fee_item) + QStringLiteral(" and 用户表管理.价格类别=") +
                    sql_quote(p.category)) &&
            !platform::recordset_eof(details)) {
            rate = static_cast<int>(platform::recordset_field_number(details, 0));
            multiplier = static_cast<int>(platform::recordset_field_number(details, 1));
            p.reader = platform::recordset_field_text(details, 2);
            p.household = platform::recordset_field_text(details, 3);
        } else {
            // A meter whose price category is gone: read its own row for what it has.
            const QList<QStringList> own = platform::query_rows(
                connection, QStringLiteral("select 倍率,抄表人员,父号 from 用户表管理 where 户号=") +
                                sql_quote(account));
            if (!own.isEmpty()) {
                multiplier = static_cast<int>(platform::to_number(own[0].value(0)));
                p.reader = own[0].value(1);
                p.household = own[0].value(2);
            }
        }
        auto loss = item_losses.find(p.fee_item);
        if (loss == item_losses.end()) {
            QList<QStringList> item = platform::query_rows(
                connection, QStringLiteral("select 自动损耗,损耗位数 from 收费项目 where 项目名称=") +
                                sql_quote(p.fee_item));
            loss = item_losses.insert(p.fee_item, item.isEmpty() ? QStringList() : item[0]);
        }
        p.start = platform::round_to(start, 2);
        p.end = platform::round_to(end, 2);
        p.usage = (end - start) * multiplier;
        p.loss = loss->value(0) == kAutomaticLossOn ? loss_for_usage(p.usage, rate, loss->value(1)) : 0;
        p.date = today;
        p.price = category_price(connection, p.fee_item, p.category);
        // A row that will not go in is passed over; the rows around it stay.
        if (platform::db_execute(connection, pending_insert_statement(p))) ++out.inserted;
    }
    if (!transaction.commit()) {
        const QString error = platform::db_last_error(connection);
        out = {};
        out.message = kFailed + error;
        return out;
    }
    // A sheet without a single 户号 ends the run quietly, before the lists and the refill.
    out.ok = any_account;
    return out;
}

bool write_account_list_file(const QString& path, const QStringList& numbers) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    for (const QString& number : numbers) {
        const QByteArray line = number.toUtf8() + "\r\n";
        if (file.write(line) != line.size()) return false;
    }
    return true;
}

}  // namespace reading
