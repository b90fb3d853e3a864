#include "charging/charge_queries.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"

namespace charging {

namespace {

using platform::OnFailure;
using platform::sql_quote;

const QString kNumero = QStringLiteral("№");

QString date_cell(const platform::RecordSet& rows, const QString& name) {
    if (platform::recordset_field_is_null(rows, name)) return {};
    return platform::to_text(platform::recordset_field_date(rows, name));
}

QString money(double value) { return platform::format_number(value, 2); }

}  // namespace

QString number_display_text(qint64 number) {
    QString text = QString::number(number);
    const qsizetype one = text.indexOf(u'1');
    if (one >= 0) text.replace(one, 1, kNumero);
    return text;
}

qint64 number_from_display(const QString& text) {
    QString digits = platform::text_trim(text);
    const qsizetype sign = digits.indexOf(kNumero);
    if (sign >= 0) digits.replace(sign, kNumero.size(), QStringLiteral("1"));
    bool ok = false;
    const qint64 number = digits.toLongLong(&ok);
    return ok ? number : 0;
}

QString paid_select() {
    return QStringLiteral(
        "select 用户信息表.户号,用户信息表.用户名,用户信息表.居住街道,总收费.抄表人员,总收费.收费人员,"
        "总收费.收费日期,总收费.实收金额,总收费.发票号,总收费.预存扣款,总收费.流水号,总收费.收费项目 "
        "from 用户信息表,总收费 where 总收费.户号=用户信息表.户号");
}

PaidQueryOutcome paid_query_statement(const PaidQueryForm& f) {
    using Focus = PaidQueryOutcome::Focus;
    struct Condition {
        bool ticked;
        const QString& value;
        const char16_t* column;
        const char16_t* refusal;
        Focus focus;
    };
    const Condition conditions[] = {
        {f.by_collector, f.collector, u"总收费.收费人员", u"收费人费不能为空!", Focus::Collector},
        {f.by_street, f.street, u"用户信息表.居住街道", u"居住街道不能为空!", Focus::Street},
        {f.by_reader, f.reader, u"总收费.抄表人员", u"抄表人员不能为空!", Focus::Reader},
        {f.by_fee_item, f.fee_item, u"总收费.收费项目", u"收费项目不能为空!", Focus::FeeItem},
    };
    PaidQueryOutcome out;
    QString sql = paid_select() + u' ';
    for (const Condition& c : conditions) {
        if (!c.ticked) continue;
        if (c.value.isEmpty()) {
            out.message = QString::fromUtf16(c.refusal);
            out.focus = c.focus;
            return out;
        }
        sql += QStringLiteral(" and ") + QString::fromUtf16(c.column) + u'=' + sql_quote(c.value) +
               u' ';
    }
    sql += QStringLiteral(" and 总收费.收费日期>=") + platform::date_to_sql_literal(f.from) +
           QStringLiteral(" and 总收费.收费日期<=") + platform::date_to_sql_literal(f.to) +
           QStringLiteral(" and 总收费.收费标志=0 ORDER  BY 总收费.流水号,总收费.收据号");
    out.statement = sql;
    return out;
}

QString unpaid_query_statement(const UnpaidQueryForm& f) {
    QString sql = QStringLiteral(
        "select 用户信息表.户号,用户信息表.用户名,总收费.价格类别,用户信息表.居住街道,用户信息表.详细地址,0,0,"
        "总收费.实收量,总收费.价格,总收费.实收金额,总收费.预存扣款,总收费.抄表日期,总收费.抄表人员,"
        "用户信息表.移动电话,用户信息表.固定电话,总收费.收费项目,用户信息表.性质,总收费.收据号 "
        "from 用户信息表,总收费 where 总收费.户号=用户信息表.户号 and 总收费.收费标志=1 and 总收费.标志=1 ");
    if (f.by_reading_date)
        sql += QStringLiteral(" and 总收费.收费日期>=") + platform::date_to_sql_literal(f.from) +
               QStringLiteral(" and 总收费.收费日期<=") + platform::date_to_sql_literal(f.to);
    if (f.by_reader) sql += QStringLiteral(" and 总收费.抄表人员=") + sql_quote(f.reader);
    if (f.by_street) sql += QStringLiteral(" and 用户信息表.居住街道=") + sql_quote(f.street);
    if (f.by_fee_item) sql += QStringLiteral(" and 总收费.收费项目=") + sql_quote(f.fee_item);
    return sql + QStringLiteral(" ORDER  BY 用户信息表.户号,总收费.收据号");
}

QString void_rows_statement(bool all_dates, int year, int month) {
    if (all_dates)
        return paid_select() + QStringLiteral(" and 总收费.标志=2 ORDER  BY 总收费.收据号");
    const QDate first(year, month, 1);
    return paid_select() + QStringLiteral(" and 总收费.收费日期>=") +
           platform::date_to_sql_literal(first) + QStringLiteral(" and 总收费.收费日期<=") +
           platform::date_to_sql_literal(platform::last_day_of_month(first)) +
           QStringLiteral(" and 总收费.标志=2 ORDER  BY 总收费.收据号");
}

QString household_paid_statement(const QString& household) {
    return paid_select() + QStringLiteral(" and 总收费.户号=") +
           sql_quote(platform::text_trim(household)) +
           QStringLiteral(" and 总收费.收费标志=0 ORDER  BY 总收费.收据号");
}

QString card_paid_statement(const QString& card_number) {
    return paid_select() + QStringLiteral(" and 用户信息表.磁卡号码=") +
           sql_quote(platform::text_trim(card_number)) +
           QStringLiteral(" and 总收费.收费标志=0 ORDER  BY 总收费.收据号");
}

QString invoice_lookup_statement(const QString& invoice_number) {
    return QStringLiteral("select 户号 from 总收费 where 发票号=") +
           sql_quote(platform::text_trim(invoice_number));
}

QString invoice_paid_statement(const QString& invoice_number) {
    return paid_select() + QStringLiteral(" and 总收费.发票号=") +
           sql_quote(platform::text_trim(invoice_number)) +
           QStringLiteral(" and 总收费.收费标志=0 ORDER  BY 总收费.收据号");
}

QString serial_lookup_statement(qint64 serial) {
    return QStringLiteral("select 户号 from 总收费 where 流水号=") + QString::number(serial);
}

QString serial_paid_statement(qint64 serial) {
    return paid_select() + QStringLiteral(" and 总收费.流水号=") + QString::number(serial) +
           QStringLiteral(" and 总收费.收费标志=0 ORDER  BY 总收费.收据号");
}

namespace {

// Where each occurrence of a key word (any case) stands outside quoted values, so that a typed
// value reading "from" or "order" cannot move the cut.
QList<qsizetype> unquoted_positions(const QString& sql, const QString& word) {
    QList<qsizetype> found;
    bool quoted = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql[i] == u'\'') {
            quoted = !quoted;  // a doubled quote inside a value toggles twice
            continue;
        }
        if (!quoted && sql.mid(i, word.size()).compare(word, Qt::CaseInsensitive) == 0)
            found << i;
    }
    return found;
}

}  // namespace

QString distinct_serial_count_statement(const QString& paid_statement) {
    const QList<qsizetype> froms = unquoted_positions(paid_statement, QStringLiteral("from"));
    QString tail = froms.isEmpty() ? QString() : paid_statement.mid(froms.back());
    const QList<qsizetype> orders = unquoted_positions(tail, QStringLiteral("order"));
    if (!orders.isEmpty()) tail.truncate(orders.front());
    return QStringLiteral("select count(*) from (select distinct 总收费.流水号 ") + tail +
           u')';
}

QList<QStringList> paid_charge_rows(platform::Connection& connection, const QString& statement) {
    QList<QStringList> out;
    const qint64 invoices = platform::query_integer(
        connection, distinct_serial_count_statement(statement), OnFailure::Quiet);
    platform::RecordSet rows;
    platform::query_open(rows, connection, statement, OnFailure::Quiet);
    const bool open = platform::recordset_is_open(rows);
    const int count = open ? platform::recordset_record_count(rows) : 0;
    out.reserve(count + 1);
    double received_sum = 0;
    double prepaid_sum = 0;
    for (; open && !platform::recordset_eof(rows); platform::recordset_move_next(rows)) {
        const auto t = [&](const char16_t* name) {
            return platform::recordset_field_text(rows, QString::fromUtf16(name));
        };
        const auto n = [&](const char16_t* name) {
            return platform::recordset_field_number(rows, QString::fromUtf16(name));
        };
        const double received = n(u"实收金额");
        const double prepaid = n(u"预存扣款");
        received_sum += received;
        prepaid_sum += prepaid;
        const QString serial = t(u"流水号");
        out << QStringList{t(u"户号"),
                           t(u"用户名"),
                           t(u"居住街道"),
                           money(received),
                           money(prepaid),
                           money(received + prepaid),
                           date_cell(rows, QStringLiteral("收费日期")),
                           serial.isEmpty() ? QString()
                                            : number_display_text(static_cast<qint64>(n(u"流水号"))),
                           t(u"抄表人员"),
                           t(u"收费人员"),
                           t(u"收费项目"),
                           t(u"发票号")};
    }
    QStringList totals(12);
    totals[0] = QStringLiteral("合计");
    totals[1] = QStringLiteral("发票张数:") + QString::number(invoices);
    totals[2] = QStringLiteral("记录数:") + QString::number(count);
    totals[3] = money(received_sum);
    totals[4] = money(prepaid_sum);
    totals[5] = money(received_sum + prepaid_sum);
    out << totals;
    return out;
}

QString unpaid_work_table(const QString& operator_name) {
    QString name = QStringLiteral("T_WSFCX") + operator_name;
    name.remove(u'[');
    name.remove(u']');
    return name;
}

QString unpaid_list_statement(const QString& operator_name) {
    return QStringLiteral("select * from [") + unpaid_work_table(operator_name) +
           QStringLiteral("] order by 编号");
}

platform::Messages build_unpaid_charge_table(platform::Connection& connection,
                                             const QString& operator_name,
                                             const QString& arrears_statement) {
    platform::Messages failures;
    const QString table = u'[' + unpaid_work_table(operator_name) + u']';
    const auto run = [&](const QString& sql) {
        if (!platform::db_execute(connection, sql))
            failures << platform::database_error(platform::db_last_error(connection));
    };
    // No table yet on the first query: its drop has nothing to say.
    platform::db_execute(connection, QStringLiteral("drop table ") + table);
    run(QStringLiteral("CREATE TABLE ") + table +
        QStringLiteral("([编号] identity primary key,[户号] varchar(50),[用户名] varchar(50),"
                       "[价格类别] varchar(50),[居住街道] varchar(50),[详细地址] varchar(50),"
                       "[起数] float,[止数] float,[用量] float,[价格] float,[欠费金额] float,"
                       "[预存扣款] float,[抄表日期] date,[抄表人员] varchar(50),"
                       "[移动电话] varchar(50),[固定电话] varchar(50),[收费项目] varchar(50),"
                       "[收据号] int,[性质] bit)"));
    run(QStringLiteral("INSERT INTO ") + table +
        QStringLiteral("(户号,用户名,价格类别,居住街道,详细地址,起数,止数,用量,价格,欠费金额,预存扣款,"
                       "抄表日期,抄表人员,移动电话,固定电话,收费项目,性质,收据号) ") +
        arrears_statement);
    run(QStringLiteral("update ") + table + QStringLiteral(",抄表总表 set ") + table +
        QStringLiteral(".起数=抄表总表.起方,") + table +
        QStringLiteral(".止数=抄表总表.止方 where ") + table +
        QStringLiteral(".收据号=抄表总表.收据号"));
    return failures;
}

QList<QStringList> unpaid_charge_rows(platform::Connection& connection, const QString& statement) {
    QList<QStringList> out;
    platform::RecordSet rows;
    platform::query_open(rows, connection, statement, OnFailure::Quiet);
    const bool open = platform::recordset_is_open(rows);
    const int count = open ? platform::recordset_record_count(rows) : 0;
    out.reserve(count + 1);
    double usage_sum = 0;
    double owed_sum = 0;
    double prepaid_sum = 0;
    for (; open && !platform::recordset_eof(rows); platform::recordset_move_next(rows)) {
        const auto t = [&](const char16_t* name) {
            return platform::recordset_field_text(rows, QString::fromUtf16(name));
        };
        const auto n = [&](const char16_t* name) {
            return platform::recordset_field_number(rows, QString::fromUtf16(name));
        };
        const bool several_meters = platform::recordset_field_bool(rows, QStringLiteral("性质"));
        const double usage = n(u"用量");
        const double owed = n(u"欠费金额");
        const double prepaid = n(u"预存扣款");
        usage_sum += usage;
        owed_sum += owed;
        prepaid_sum += prepaid;
        out << QStringList{t(u"户号"),
                           t(u"用户名"),
                           t(u"居住街道"),
                           t(u"详细地址"),
                           t(u"固定电话"),
                           t(u"移动电话"),
                           several_meters ? QStringLiteral("--") : platform::to_text(n(u"起数")),
                           several_meters ? QStringLiteral("--") : platform::to_text(n(u"止数")),
                           platform::to_text(usage),
                           platform::format_number(n(u"价格"), 4),
                           money(owed),
                           money(prepaid),
                           t(u"抄表人员"),
                           date_cell(rows, QStringLiteral("抄表日期")),
                           t(u"收费项目"),
                           t(u"价格类别")};
    }
    QStringList totals(16);
    totals[0] = QStringLiteral("合计：");
    totals[1] = QString::number(count);
    totals[8] = platform::to_text(usage_sum);
    totals[10] = money(owed_sum);
    totals[11] = money(prepaid_sum);
    out << totals;
    return out;
}

}  // namespace charging
