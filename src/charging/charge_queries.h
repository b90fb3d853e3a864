#pragma once
// Queries of bills for content page 6 (收费查询): paid bills and void rows in one form, arrears
// in the other, each list ending in a totals row. The statements are built here from the
// query window's conditions and the quick look-ups' entries (every typed text quoted), the
// list rows are worked out here, and the arrears go through the operator's own work table
// T_WSFCX<operator>. The page only reads its boxes and shows what comes back.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <string_view>

#include "platform/messages.h"

namespace platform {
struct Connection;
}

namespace charging {

inline const QString kPaidChargeKind = QStringLiteral("已收费查询");
inline const QString kUnpaidChargeKind = QStringLiteral("未收费查询");
// The 查询列 classes of the two forms.
inline const QString kPaidChargeClass = QStringLiteral("收费查询");
inline const QString kUnpaidChargeClass = QStringLiteral("未收费查询");
// The paid form's column that holds the payment serial.
inline const QString kSerialColumnTitle = QStringLiteral("系统流水");

// ---- statements ----
// The select of bills with their household, which every paid-form statement starts with.
QString paid_select();

// The paid tab's conditions.
struct PaidQueryForm {
    bool by_collector = false;
    QString collector;
    bool by_street = false;
    QString street;
    bool by_reader = false;
    QString reader;
    bool by_fee_item = false;
    QString fee_item;
    QDate from, to;  // 收费日期, bounds included
};
struct PaidQueryOutcome {
    QString statement;  // empty: refused
    QString message;    // the refusal
    enum class Focus { None, Collector, Street, Reader, FeeItem } focus = Focus::None;
};
// A ticked condition with an empty value is refused (collector, street, reader, fee item, in
// that order).
PaidQueryOutcome paid_query_statement(const PaidQueryForm& form);

// The arrears tab's conditions; an empty value is taken as it is.
struct UnpaidQueryForm {
    bool by_reading_date = false;
    QDate from, to;
    bool by_reader = false;
    QString reader;
    bool by_street = false;
    QString street;
    bool by_fee_item = false;
    QString fee_item;
};
// The arrears select, whose columns fill the work table in its insert order.
QString unpaid_query_statement(const UnpaidQueryForm& form);

// The void tab: the void rows of one month, or of all dates.
QString void_rows_statement(bool all_dates, int year, int month);

// The quick look-ups (entries trimmed). The household's and the card's give the statement at
// once; the invoice's and the serial's first need their look-up to find a row.
QString household_paid_statement(const QString& household);
QString card_paid_statement(const QString& card_number);
QString invoice_lookup_statement(const QString& invoice_number);
QString invoice_paid_statement(const QString& invoice_number);
QString serial_lookup_statement(qint64 serial);
QString serial_paid_statement(qint64 serial);
// The payment serial a 系统流水 look-up names, 0 when no payment carries it. The text is first
// read as a stored serial with its "№" taken for "1", and a payment so found is the one meant;
// otherwise it is read as receipts show it (the digits after "№", typed with or without it, in
// display width or short: "№000000007", "000000007" and "7" all name the receipt shown as
// "№000000007"), as receipt reprinting reads it.
qint64 paid_serial_from_text(platform::Connection& connection, const QString& text);

// ---- rows ----
// Where a list's rows go: a page's list (written cell by cell, as long lists must be) or a
// table of texts.
class ListRowSink {
public:
    virtual ~ListRowSink() = default;
    // Called once, before the first row, with the number of rows to come (totals included).
    virtual void begin(int rows) = 0;
    // A new empty row; its index.
    virtual int add_row() = 0;
    virtual void put(int row, int column, std::string_view utf8) = 0;
};
// Collects the rows as texts.
class TextRowSink : public ListRowSink {
public:
    void begin(int rows) override { rows_.reserve(rows); }
    int add_row() override;
    void put(int row, int column, std::string_view utf8) override;
    const QList<QStringList>& rows() const { return rows_; }

private:
    QList<QStringList> rows_;
};

// The paid form's rows, twelve cells by position, then the totals row ("合计", "发票张数:"
// with the distinct serials, "记录数:" with the rows, the two sums and their total). A
// statement that cannot be opened gives the totals row alone. Returns the totals row's index.
int write_paid_charge_rows(platform::Connection& connection, const QString& statement,
                           ListRowSink& sink);
QList<QStringList> paid_charge_rows(platform::Connection& connection, const QString& statement);

// ---- arrears through the work table ----
// "T_WSFCX" + the operator's name when it is made of letters and digits only; otherwise
// "T_WSFCX_" + the hex digits of the name's UTF-8 bytes, so that no character of a name can
// break the statements and each operator keeps a table of its own.
QString unpaid_work_table(const QString& operator_name);
// "select * from [T_WSFCX<operator>] order by 编号".
QString unpaid_list_statement(const QString& operator_name);
// Replaces the operator's work table with the arrears of the statement, the start and end
// readings taken from the bills' readings. Each failing step (create, insert, update) adds
// the connection's error text and the next step runs all the same.
platform::Messages build_unpaid_charge_table(platform::Connection& connection,
                                             const QString& operator_name,
                                             const QString& arrears_statement);
// The arrears form's rows, sixteen cells by position, then the totals row ("合计：", the
// count, the sums of 用量, 欠费金额 and 预存扣款). Returns the totals row's index.
int write_unpaid_charge_rows(platform::Connection& connection, const QString& statement,
                             ListRowSink& sink);
QList<QStringList> unpaid_charge_rows(platform::Connection& connection, const QString& statement);

}  // namespace charging
