#include "tariffs/invoices.h"

#include <cmath>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "shell/operation_log.h"
#include "shell/permissions.h"
#include "shell/session.h"
#include "store/main_database.h"

namespace tariffs {

namespace {

using platform::sql_number;
using platform::sql_quote;

const QString kLogGroup = QStringLiteral("打印设置");
const QString kLogItem = QStringLiteral("发票设置");

struct NumberUse {
    bool used = false;
    bool voided = false;
    double amount = 0;  // of the valid rows
};

// Who carries an invoice number: the bills are asked first, and a number they carry is counted
// from them alone; only a number no bill carries is looked for among the prepayments. A row that
// is not a valid one (标志 other than 1) voids it. Each number is one seek in the bills' and the
// prepayments' invoice indexes, so a recount costs the numbers of the open books, not the history.
class InvoiceNumberUses {
public:
    explicit InvoiceNumberUses(platform::Connection& connection)
        : bills_(connection, QStringLiteral("select 实收金额,标志 from 总收费 where 发票号=? and "
                                            "发票号<>''")),
          prepayments_(connection,
                       QStringLiteral("select 预存金额,标志 from 预存明细 where 发票号=?")) {}

    NumberUse find(const QString& number) {
        NumberUse use = rows_of(bills_, number);
        return use.used ? use : rows_of(prepayments_, number);
    }

private:
    // A search that cannot be run finds nothing: the number counts as free.
    static NumberUse rows_of(platform::PreparedStatement& statement, const QString& number) {
        NumberUse use;
        if (!statement.valid()) return use;
        statement.bind_text(1, number);
        for (const QStringList& row : platform::statement_rows(statement, platform::OnFailure::Quiet)) {
            use.used = true;
            if (std::fabs(platform::to_number(row.value(1)) - 1) < 0.5)
                use.amount += platform::to_number(row.value(0));
            else
                use.voided = true;
        }
        return use;
    }

    platform::PreparedStatement bills_;
    platform::PreparedStatement prepayments_;
};

// The next number of a book: the last run of digits counted up by one, its width kept
// ("0099" -> "0100") and widened only when it overflows ("99" -> "100").
QString next_invoice_number(const QString& number) {
    QString next = number;
    int i = next.size() - 1;
    while (i >= 0 && !next.at(i).isDigit()) --i;
    if (i < 0) return next + u'1';
    for (; i >= 0 && next.at(i).isDigit(); --i) {
        if (next.at(i) != u'9') {
            next[i] = QChar(next.at(i).unicode() + 1);
            return next;
        }
        next[i] = u'0';
    }
    next.insert(i + 1, u'1');
    return next;
}

bool all_digits(const QString& text) {
    if (text.isEmpty()) return false;
    for (const QChar ch : text)
        if (ch < u'0' || ch > u'9') return false;
    return true;
}

}  // namespace

QStringList invoice_book_numbers(const QString& first, qint64 count) {
    QStringList numbers;
    QString number = first;
    for (qint64 i = 0; i < count; ++i) {
        numbers << number;
        number = next_invoice_number(number);
    }
    return numbers;
}

InvoiceRecount refresh_current_invoice_number(platform::Connection& connection) {
    InvoiceRecount recount;
    InvoiceNumberUses uses(connection);
    const QList<QStringList> books = platform::query_rows(
        connection, QStringLiteral("select 编号,发票起号,总张数 from [发票设置] where [用完标志]=0 ORDER  BY [编号]"));
    platform::Transaction transaction(connection);
    // Only the failed closing of a book shows its statement too.
    auto run = [&](const QString& sql, bool show_statement = false) {
        if (platform::db_execute(connection, sql)) return;
        recount.failures << platform::db_last_error(connection);
        if (show_statement) recount.failures << sql;
    };
    for (const QStringList& book : books) {
        const QString& id = book.at(0);
        const qint64 total = static_cast<qint64>(std::llround(platform::to_number(book.at(2))));
        QString current = book.at(1);
        qint64 used = 0;
        qint64 voided = 0;
        double amount = 0;
        for (qint64 i = 0; i < total; ++i) {
            const NumberUse found = uses.find(current);
            if (!found.used) break;
            ++used;
            if (found.voided)
                ++voided;
            else
                amount += found.amount;
            // The last number stays current once the book is used up.
            if (i + 1 < total) current = next_invoice_number(current);
        }
        // A book of no numbers (or a negative count from a mistyped book) has nothing to hand out.
        run(QStringLiteral("update [发票设置] set [用完标志]=") + (used >= total ? u'1' : u'0') +
                QStringLiteral(" where [编号]=") + id,
            used >= total);
        run(QStringLiteral("update [发票设置] set [当前发票号]=") + sql_quote(current) + QStringLiteral(",[已使用]=") +
            QString::number(used) + QStringLiteral(",[作废]=") + QString::number(voided) +
            QStringLiteral(",[总开票金额]=") + sql_number(amount) +
            QStringLiteral(" where [编号]=") + id);
    }
    if (!transaction.commit()) recount.failures << platform::db_last_error(connection);
    recount.current = platform::query_text(
        connection, QStringLiteral("select [当前发票号] from [发票设置] where [用完标志]<>1 ORDER  BY [编号]"));
    shell::current_invoice_number = recount.current;
    return recount;
}

InvoiceRecount refresh_current_invoice_number() { return refresh_current_invoice_number(store::main_connection()); }

QString current_invoice_number() { return shell::current_invoice_number; }

QStringList invoice_collectors(platform::Connection& connection, const QString& operator_name) {
    if (operator_name != shell::kAdministrator) return {operator_name};
    return platform::query_column(connection, QStringLiteral("select * from 收费员 where 收费人员<>") +
                                                  sql_quote(shell::kAdministrator));
}

Outcome add_invoice_book(platform::Connection& connection, const InvoiceBook& book,
                         const shell::RunContext& context) {
    if (book.code.isEmpty()) return Outcome::refused(QStringLiteral("发票代码不能为空!"), Field::Code);
    if (book.first.isEmpty()) return Outcome::refused(QStringLiteral("发票起号不能为空!"), Field::First);
    if (book.last.isEmpty()) return Outcome::refused(QStringLiteral("发票止号不能为空!"), Field::Last);
    if (book.type.isEmpty()) return Outcome::refused(QStringLiteral("发票类型不能为空!"), Field::Type);
    if (book.collector.isEmpty()) return Outcome::refused(QStringLiteral("收费人员不能为空!"), Field::Collector);
    const QString code = platform::text_trim(book.code);
    const QString first = platform::text_trim(book.first);
    const QString last = platform::text_trim(book.last);
    const QString type = platform::text_trim(book.type);
    // The recount counts a book's numbers up digit by digit, so they must be digits, and a
    // book whose last number lies below its first would hold no number at all.
    bool first_ok = all_digits(first) && first.size() <= 18;
    bool last_ok = all_digits(last) && last.size() <= 18;
    if (!first_ok) return Outcome::refused(QStringLiteral("发票起号只能是数字!"), Field::First, true);
    if (!last_ok) return Outcome::refused(QStringLiteral("发票止号只能是数字!"), Field::Last, true);
    const qint64 first_value = first.toLongLong();
    const qint64 last_value = last.toLongLong();
    if (last_value < first_value)
        return Outcome::refused(QStringLiteral("发票止号不能小于发票起号!"), Field::Last, true);
    const qint64 total = last_value - first_value + 1;

    Outcome outcome;
    const QString sql =
        QStringLiteral("insert into 发票设置 (领取时间,发票代码,发票起号,发票止号,发票类型,总张数,收费人员,用完标志) values ( ") +
        platform::date_to_quoted(book.received) + u',' + sql_quote(code) + u',' + sql_quote(first) + u',' +
        sql_quote(last) + u',' + sql_quote(type) + u',' + QString::number(total) + u',' + sql_quote(book.collector) +
        QStringLiteral(",0)");
    if (!platform::db_execute(connection, sql)) {
        outcome.say_plain(platform::db_last_error(connection));
        return outcome;
    }
    outcome.done = true;
    if (!shell::write_operation_log(
            connection, context, kLogGroup, kLogItem,
            QStringLiteral("添加发票起：") + first + QStringLiteral(" 止：") + last))
        outcome.say(QStringLiteral("添加日志失败！"));
    outcome.say(QStringLiteral("添加成功!"));
    return outcome;
}

QString invoice_delete_refusal(platform::Connection& connection, const QString& number, const QString& operator_name) {
    if (number.isEmpty()) return QStringLiteral("请选择待删除的发票编号！");
    if (operator_name == shell::kAdministrator) return {};
    const QList<QStringList> holders = platform::query_rows(
        connection, QStringLiteral("select 收费人员 from 发票设置 where 编号=") + sql_number(platform::to_number(number)));
    if (holders.size() != 1) return QStringLiteral("取收费人员失败！");
    if (holders.first().value(0) != operator_name) return QStringLiteral("只有管理员或该条记录的收费人员才能删除。");
    return {};
}

Question invoice_delete_question(const QString& number) {
    return {QStringLiteral("确定删除编号为【") + number + QStringLiteral("】的记录吗？"), QStringLiteral("警告"), true};
}

Outcome delete_invoice_book(platform::Connection& connection, const QString& number,
                            const shell::RunContext& context) {
    Outcome outcome;
    const QString id = sql_number(platform::to_number(number));
    // Numbers are handed out from the first on, so a book whose first number nobody carries
    // is taken as unused.
    const QString first =
        platform::query_text(connection, QStringLiteral("select 发票起号 from 发票设置 where 编号=") + id);
    const QString condition = QStringLiteral("发票号=") + sql_quote(first);
    for (const QString& table : {QStringLiteral("总收费"), QStringLiteral("预存明细")}) {
        if (platform::query_exists(connection, QStringLiteral("select 收费人员 from ") + table +
                                                   QStringLiteral(" where ") + condition)) {
            outcome.say(QStringLiteral("发票已经使用，不能删除！"));
            return outcome;
        }
    }
    if (!platform::db_execute(connection, QStringLiteral("Delete  from 发票设置 where 编号=") + id)) {
        outcome.say_plain(platform::db_last_error(connection));
        return outcome;
    }
    outcome.done = true;
    if (!shell::write_operation_log(
            connection, context, kLogGroup, kLogItem,
            QStringLiteral("删除编号：") + number + QStringLiteral("信息。")))
        outcome.say(QStringLiteral("添加日志失败！"));
    outcome.say(QStringLiteral("删除成功！"));
    return outcome;
}

}  // namespace tariffs
