#include "charging/deduction_query.h"

#include <charconv>
#include <cmath>
#include <string>

#include "charging/list_cells.h"
#include "charging/list_queries.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "tariffs/household_bills.h"

namespace charging {

namespace {

// Each bill with the household it belongs to: a bill keyed by a meter account's number is its
// household's.
const QString kSelect =
    QStringLiteral(
        "select 用户信息表.户号,用户信息表.用户名,用户信息表.居住街道,用户信息表.详细地址,"
        "总收费.预存扣款,总收费.收费日期 from 总收费,用户信息表 where ") +
    tariffs::household_bills_join(QStringLiteral("用户信息表.户号"), QStringLiteral("总收费.户号"));
// The receipt order is a sort of the rows found (the unary plus keeps SQLite from reading every
// bill of the history in receipt order to spare that sort): a period is read through its days, a
// household through its numbers.
const QString kValidInReceiptOrder = QStringLiteral(" and 总收费.标志=1 ORDER  BY +总收费.收据号");

}  // namespace

QString deduction_period_statement(const QDate& from, const QDate& to) {
    return kSelect + QStringLiteral(" and 总收费.预存扣款>0") +
           QStringLiteral(" and 总收费.收费日期>=#") + platform::date_ymd_text(from) +
           QStringLiteral("# and 总收费.收费日期<=#") + platform::date_ymd_text(to) + u'#' +
           kValidInReceiptOrder;
}

QString deduction_household_statement(const QString& household) {
    return kSelect + QStringLiteral("  and 总收费.预存扣款>0 and 用户信息表.户号=") +
           platform::sql_quote(household) + QStringLiteral(" and ") +
           tariffs::household_bills_condition(household, QStringLiteral("总收费.户号")) +
           kValidInReceiptOrder;
}

QString deduction_card_statement(const QString& card) {
    return kSelect + QStringLiteral(" and 总收费.预存扣款>0 and 用户信息表.磁卡号码=") +
           platform::sql_quote(card) + kValidInReceiptOrder;
}

DeductionListSummary read_deduction_rows(platform::Connection& connection, const QString& statement,
                                         const std::function<void(int count)>& start,
                                         const std::function<void(const DeductionCells&)>& row) {
    DeductionListSummary summary;
    platform::RecordSet records;
    summary.opened = open_list_records(records, connection, statement, start);
    if (!summary.opened) return summary;
    const auto field = [&records](const char16_t* name) { return list_field(records, name); };
    const int number = field(u"户号"), name = field(u"用户名"), street = field(u"居住街道"),
              address = field(u"详细地址"), deducted = field(u"预存扣款"),
              date = field(u"收费日期");
    // Four texts may need scratch room at once (a number stored in a text column).
    std::string scratch[4];
    std::string date_text;
    char amount[kAmountCellSize];
    DeductionCells cells;
    for (; !platform::recordset_eof(records); platform::recordset_move_next(records)) {
        cells[0] = platform::recordset_field_utf8(records, number, scratch[0]);
        cells[1] = platform::recordset_field_utf8(records, name, scratch[1]);
        cells[2] = platform::recordset_field_utf8(records, street, scratch[2]);
        cells[3] = platform::recordset_field_utf8(records, address, scratch[3]);
        const double value = platform::recordset_field_number(records, deducted);
        summary.total += value;
        cells[4] = amount_cell(value, amount);
        date_text.clear();
        platform::DateParts parts;
        if (platform::recordset_field_date_parts(records, date, &parts))
            platform::append_date_text(date_text, parts, true);
        cells[5] = date_text;
        ++summary.rows;
        if (row) row(cells);
    }
    return summary;
}

QStringList deduction_totals_row(double total) {
    return totals_row(kDeductionCellCount, kDeductionTotalsCaption, {{4, total}});
}

QList<QStringList> deduction_list_rows(platform::Connection& connection, const QString& statement) {
    QList<QStringList> rows;
    const DeductionListSummary summary = read_deduction_rows(
        connection, statement, [&rows](int count) { rows.reserve(count + 1); },
        [&rows](const DeductionCells& cells) { rows << cell_texts(cells); });
    rows << deduction_totals_row(summary.total);
    return rows;
}

}  // namespace charging
