#include "charging/charge_queries.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <unordered_set>

#include "charging/list_cells.h"
#include "charging/list_queries.h"
#include "charging/receipt_reprint.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "tariffs/bills.h"
#include "tariffs/household_bills.h"

namespace charging {

namespace {

using platform::OnFailure;
using platform::sql_quote;

// Each bill with the household it belongs to: a bill keyed by a meter account's number (as a
// database may still hold from when a reading correction keyed its bill so) is its household's.
// The join goes either way, so a street's bills are found from its households.
QString bill_household_join() {
    return tariffs::household_bills_join(QStringLiteral("用户信息表.户号"),
                                         QStringLiteral("总收费.户号"));
}

}  // namespace

QString paid_select() {
    return QStringLiteral(
               "select "
               "用户信息表.户号,用户信息表.用户名,用户信息表.居住街道,总收费.抄表人员,总收费."
               "收费人员,"
               "总收费.收费日期,总收费.实收金额,总收费.发票号,总收费.预存扣款,总收费.流水号,总收费."
               "收费项目 "
               "from 用户信息表,总收费 where ") +
           bill_household_join();
}

PaidQueryOutcome paid_query_statement(const PaidQueryForm& f) {
    using Focus = PaidQueryOutcome::Focus;
    // Each ticked condition adds its column with a blank after it; the focus goes to the box of
    // the first one left empty.
    const ChosenConditions chosen = choose_conditions({
        quoted_condition(f.by_collector, f.collector, QStringLiteral("收费人费不能为空!"),
                         QStringLiteral(" and 总收费.收费人员="), QStringLiteral(" ")),
        quoted_condition(f.by_street, f.street, QStringLiteral("居住街道不能为空!"),
                         QStringLiteral(" and 用户信息表.居住街道="), QStringLiteral(" ")),
        quoted_condition(f.by_reader, f.reader, QStringLiteral("抄表人员不能为空!"),
                         QStringLiteral(" and 总收费.抄表人员="), QStringLiteral(" ")),
        quoted_condition(f.by_fee_item, f.fee_item, QStringLiteral("收费项目不能为空!"),
                         QStringLiteral(" and 总收费.收费项目="), QStringLiteral(" ")),
    });
    PaidQueryOutcome out;
    if (!chosen.ok) {
        constexpr Focus kFocus[] = {Focus::Collector, Focus::Street, Focus::Reader, Focus::FeeItem};
        out.message = chosen.refusal;
        out.focus = kFocus[chosen.refused];
        return out;
    }
    out.statement = paid_select() + u' ' + chosen.clause +
                    QStringLiteral(" and 总收费.收费日期>=") +
                    platform::date_to_sql_literal(f.from) +
                    QStringLiteral(" and 总收费.收费日期<=") + platform::date_to_sql_literal(f.to) +
                    QStringLiteral(" and 总收费.收费标志=0 ORDER  BY 总收费.流水号,总收费.收据号");
    return out;
}

QString unpaid_query_statement(const UnpaidQueryForm& f) {
    QString sql =
        QStringLiteral(
            "select "
            "用户信息表.户号,用户信息表.用户名,总收费.价格类别,用户信息表.居住街道,用户信息表."
            "详细地址,"
            "0,0,"
            "总收费.实收量,总收费.价格,总收费.实收金额,总收费.预存扣款,总收费.抄表日期,总收费."
            "抄表人员,"
            "用户信息表.移动电话,用户信息表.固定电话,总收费.收费项目,用户信息表.性质,总收费.收据号 "
            "from 用户信息表,总收费 where ") +
        bill_household_join() + QStringLiteral(" and 总收费.收费标志=1 and 总收费.标志=1 ");
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
    const QString h = platform::text_trim(household);
    return paid_select() + QStringLiteral(" and 用户信息表.户号=") + sql_quote(h) +
           QStringLiteral(" and ") +
           tariffs::household_bills_condition(h, QStringLiteral("总收费.户号")) +
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

qint64 paid_serial_from_text(platform::Connection& connection, const QString& text) {
    // Voided bills carry serial 0: a text that is no serial finds nothing.
    const auto paid = [&connection](qint64 serial) {
        return serial > 0 && platform::query_exists(connection, serial_lookup_statement(serial),
                                                    OnFailure::Quiet);
    };
    const qint64 stored = tariffs::serial_from_display_text(text);
    if (paid(stored)) return stored;
    const qint64 shown =
        reprint_number_from_text(text, reprint_series_width(connection, ReprintScheme::Charge));
    return paid(shown) ? shown : 0;
}

int TextRowSink::add_row() {
    rows_.append(QStringList());
    return static_cast<int>(rows_.size()) - 1;
}

void TextRowSink::put(int row, int column, std::string_view utf8) {
    QStringList& cells = rows_[row];
    while (cells.size() <= column) cells.append(QString());
    cells[column] = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

namespace {

// Opens one list's statement quietly, tells the sink how many rows follow (the totals row
// included) and writes the cells from the current record: field texts, amounts and dates without
// a QString per cell, since query lists run to a hundred thousand rows.
class CellWriter {
public:
    CellWriter(platform::Connection& connection, const QString& statement, ListRowSink& sink)
        : sink_(sink) {
        open_ = open_list_records(
            rows_, connection, statement,
            [this](int records) {
                count_ = records;
                sink_.begin(records + 1);
            },
            OnFailure::Quiet);
    }

    platform::RecordSet& rows() { return rows_; }
    // Whether a record is current (false throughout when the statement could not be opened).
    bool at_row() const { return open_ && !platform::recordset_eof(rows_); }
    int count() const { return count_; }

    int field(const char16_t* name) const {
        return platform::recordset_is_open(rows_)
                   ? platform::recordset_field_index(rows_, QString::fromUtf16(name))
                   : -1;
    }
    double number(int f) const { return f < 0 ? 0.0 : platform::recordset_field_number(rows_, f); }
    std::string_view text(int f) {
        if (f < 0) return {};
        return platform::recordset_field_utf8(rows_, f, scratch_);
    }
    void put_text(int row, int column, int f) { sink_.put(row, column, text(f)); }
    void put_money(int row, int column, double value, int decimals = 2) {
        char buf[kAmountCellSize];
        sink_.put(row, column, amount_cell(value, buf, decimals));
    }
    void put_date(int row, int column, int f) {
        platform::DateParts parts;
        if (f < 0 || !platform::recordset_field_date_parts(rows_, f, &parts)) return;
        scratch_.clear();
        platform::append_date_text(scratch_, parts, true);
        sink_.put(row, column, scratch_);
    }
    void put(int row, int column, const QString& value) {
        const QByteArray utf8 = value.toUtf8();
        sink_.put(row, column,
                  std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    }

private:
    platform::RecordSet rows_;
    ListRowSink& sink_;
    bool open_ = false;
    int count_ = 0;
    std::string scratch_;
};

// A list's rows as texts, each row `width` cells wide.
QList<QStringList> rows_as_texts(int (*write)(platform::Connection&, const QString&, ListRowSink&),
                                 platform::Connection& connection, const QString& statement,
                                 int width) {
    TextRowSink sink;
    write(connection, statement, sink);
    QList<QStringList> rows = sink.rows();
    for (QStringList& row : rows)
        while (row.size() < width) row.append(QString());
    return rows;
}

}  // namespace

int write_paid_charge_rows(platform::Connection& connection, const QString& statement,
                           ListRowSink& sink) {
    CellWriter w(connection, statement, sink);
    const int f_household = w.field(u"户号"), f_name = w.field(u"用户名"),
              f_street = w.field(u"居住街道"), f_received = w.field(u"实收金额"),
              f_prepaid = w.field(u"预存扣款"), f_date = w.field(u"收费日期"),
              f_serial = w.field(u"流水号"), f_reader = w.field(u"抄表人员"),
              f_collector = w.field(u"收费人员"), f_item = w.field(u"收费项目"),
              f_invoice = w.field(u"发票号");
    // The invoice count is the number of distinct serials among these very rows (an empty
    // serial counting once, as the distinct select counts its NULL), so it is counted here
    // rather than by a second pass over the tables.
    std::unordered_set<std::string> serials;
    double received_sum = 0;
    double prepaid_sum = 0;
    for (; w.at_row(); platform::recordset_move_next(w.rows())) {
        const int row = sink.add_row();
        const double received = w.number(f_received);
        const double prepaid = w.number(f_prepaid);
        received_sum += received;
        prepaid_sum += prepaid;
        w.put_text(row, 0, f_household);
        w.put_text(row, 1, f_name);
        w.put_text(row, 2, f_street);
        w.put_money(row, 3, received);
        w.put_money(row, 4, prepaid);
        w.put_money(row, 5, received + prepaid);
        w.put_date(row, 6, f_date);
        const std::string serial(w.text(f_serial));
        serials.insert(serial);
        if (!serial.empty())
            w.put(row, 7, tariffs::serial_display_text(static_cast<qint64>(w.number(f_serial))));
        w.put_text(row, 8, f_reader);
        w.put_text(row, 9, f_collector);
        w.put_text(row, 10, f_item);
        w.put_text(row, 11, f_invoice);
    }
    const int totals = sink.add_row();
    w.put(totals, 0, QStringLiteral("合计"));
    w.put(totals, 1, QStringLiteral("发票张数:") + QString::number(serials.size()));
    w.put(totals, 2, QStringLiteral("记录数:") + QString::number(w.count()));
    w.put_money(totals, 3, received_sum);
    w.put_money(totals, 4, prepaid_sum);
    w.put_money(totals, 5, received_sum + prepaid_sum);
    return totals;
}

QList<QStringList> paid_charge_rows(platform::Connection& connection, const QString& statement) {
    return rows_as_texts(write_paid_charge_rows, connection, statement, 12);
}

QString unpaid_work_table(const QString& operator_name) {
    const bool plain = std::all_of(operator_name.cbegin(), operator_name.cend(),
                                   [](QChar c) { return c.isLetterOrNumber(); });
    if (plain && !operator_name.isEmpty()) return QStringLiteral("T_WSFCX") + operator_name;
    // Any other character could end or break the name in a statement (a bracket, a quote, NUL,
    // half a surrogate pair). Its hex bytes cannot, and the "_" keeps them apart from the plain
    // names: two operators never share a table.
    return QStringLiteral("T_WSFCX_") + QString::fromLatin1(operator_name.toUtf8().toHex());
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
        QStringLiteral(
            "(户号,用户名,价格类别,居住街道,详细地址,起数,止数,用量,价格,欠费金额,预存扣款,"
            "抄表日期,抄表人员,移动电话,固定电话,收费项目,性质,收据号) ") +
        arrears_statement);
    run(QStringLiteral("update ") + table + QStringLiteral(",抄表总表 set ") + table +
        QStringLiteral(".起数=抄表总表.起方,") + table +
        QStringLiteral(".止数=抄表总表.止方 where ") + table +
        QStringLiteral(".收据号=抄表总表.收据号"));
    return failures;
}

int write_unpaid_charge_rows(platform::Connection& connection, const QString& statement,
                             ListRowSink& sink) {
    CellWriter w(connection, statement, sink);
    const int f_household = w.field(u"户号"), f_name = w.field(u"用户名"),
              f_street = w.field(u"居住街道"), f_address = w.field(u"详细地址"),
              f_phone = w.field(u"固定电话"), f_mobile = w.field(u"移动电话"),
              f_start = w.field(u"起数"), f_end = w.field(u"止数"), f_usage = w.field(u"用量"),
              f_price = w.field(u"价格"), f_owed = w.field(u"欠费金额"),
              f_prepaid = w.field(u"预存扣款"), f_reader = w.field(u"抄表人员"),
              f_date = w.field(u"抄表日期"), f_item = w.field(u"收费项目"),
              f_category = w.field(u"价格类别"), f_meters = w.field(u"性质");
    double usage_sum = 0;
    double owed_sum = 0;
    double prepaid_sum = 0;
    for (; w.at_row(); platform::recordset_move_next(w.rows())) {
        const int row = sink.add_row();
        const bool several_meters = f_meters >= 0 && platform::recordset_field_bool(w.rows(), f_meters);
        const double usage = w.number(f_usage);
        const double owed = w.number(f_owed);
        const double prepaid = w.number(f_prepaid);
        usage_sum += usage;
        owed_sum += owed;
        prepaid_sum += prepaid;
        w.put_text(row, 0, f_household);
        w.put_text(row, 1, f_name);
        w.put_text(row, 2, f_street);
        w.put_text(row, 3, f_address);
        w.put_text(row, 4, f_phone);
        w.put_text(row, 5, f_mobile);
        // A household of several meters has no single start and end reading.
        w.put(row, 6, several_meters ? QStringLiteral("--") : platform::to_text(w.number(f_start)));
        w.put(row, 7, several_meters ? QStringLiteral("--") : platform::to_text(w.number(f_end)));
        w.put(row, 8, platform::to_text(usage));
        w.put_money(row, 9, w.number(f_price), 4);
        w.put_money(row, 10, owed);
        w.put_money(row, 11, prepaid);
        w.put_text(row, 12, f_reader);
        w.put_date(row, 13, f_date);
        w.put_text(row, 14, f_item);
        w.put_text(row, 15, f_category);
    }
    const int totals = sink.add_row();
    w.put(totals, 0, QStringLiteral("合计："));
    w.put(totals, 1, QString::number(w.count()));
    w.put(totals, 8, platform::to_text(usage_sum));
    w.put_money(totals, 10, owed_sum);
    w.put_money(totals, 11, prepaid_sum);
    return totals;
}

QList<QStringList> unpaid_charge_rows(platform::Connection& connection, const QString& statement) {
    return rows_as_texts(write_unpaid_charge_rows, connection, statement, 16);
}

}  // namespace charging
