#include "charging/prepayment_queries.h"

#include <charconv>
#include <cmath>
#include <string>

#include "charging/list_cells.h"
#include "charging/prepayments.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "tariffs/bills.h"

namespace charging {

namespace {

QString ymd_literal(const QDate& date) { return platform::date_to_sql_literal(date); }

}  // namespace

QString prepayment_query_head() {
    return QStringLiteral(
        "select 预存明细.收据号,预存明细.户号,预存明细.预存金额,预存明细.预存日期,"
        "预存明细.收费人员,用户信息表.用户名,用户信息表.居住街道,用户信息表.详细地址,"
        "用户信息表.固定电话,用户信息表.移动电话,预存明细.发票号,预存明细.标志,"
        "用户信息表.磁卡号码 from 预存明细,用户信息表 where 用户信息表.户号=预存明细.户号 ");
}

PrepaymentQueryOutcome build_prepayment_query(const PrepaymentQuery& query) {
    PrepaymentQueryOutcome out;
    static const char* const orders[] = {
        " ORDER  BY 用户信息表.编号   ",    " ORDER  BY 用户信息表.编号 DESC",
        " ORDER  BY 预存明细.收据号   ",    " ORDER  BY 预存明细.收据号 DESC",
        " ORDER  BY 用户信息表.居住街道  ", " ORDER  BY 用户信息表.居住街道 DESC"};
    const QString order =
        query.order >= 0 && query.order < 6 ? QString::fromUtf8(orders[query.order]) : QString();
    QString status;
    if (query.status == 1) status = QStringLiteral(" and 预存明细.标志=1");
    if (query.status == 2) status = QStringLiteral(" and 预存明细.标志=2");

    QString condition;
    switch (query.by) {
        case PrepayQueryBy::Household: {
            const QString number = platform::text_trim(query.household);
            if (number.isEmpty()) {
                out.refusal = QStringLiteral("待查询的户号不能为空！");
                return out;
            }
            condition = QStringLiteral(" and 用户信息表.户号  = ") + platform::sql_quote(number);
            break;
        }
        case PrepayQueryBy::Name:
            if (query.name.isEmpty()) {
                out.refusal = QStringLiteral("待查询的户名不能为空！");
                return out;
            }
            condition = QStringLiteral(" and 用户信息表.用户名  LIKE ") +
                        platform::sql_quote(query.name + u'%');
            break;
        case PrepayQueryBy::Street:
            if (query.street.isEmpty()) {
                out.refusal = QStringLiteral("待查询的居住街道不能为空！");
                return out;
            }
            condition =
                QStringLiteral(" and 用户信息表.居住街道=") + platform::sql_quote(query.street);
            break;
        case PrepayQueryBy::Collector:
            if (query.collector.isEmpty()) {
                out.refusal = QStringLiteral("待查询的收费人员不能为空！");
                return out;
            }
            condition =
                QStringLiteral(" and 预存明细.收费人员=") + platform::sql_quote(query.collector);
            break;
        case PrepayQueryBy::Date:
            condition = QStringLiteral(" and 预存明细.预存日期 between ") +
                        ymd_literal(query.from) + QStringLiteral(" and ") + ymd_literal(query.to);
            break;
        case PrepayQueryBy::None:
            break;
    }
    out.ok = true;
    out.statement = prepayment_query_head() + condition + status + order;
    return out;
}

QString prepayments_by_card_statement(const QString& card) {
    return prepayment_query_head() + QStringLiteral(" and 用户信息表.磁卡号码=") +
           platform::sql_quote(card) + QStringLiteral(" ORDER  BY 预存明细.收据号");
}

QString prepayments_by_invoice_statement(const QString& invoice) {
    return prepayment_query_head() + QStringLiteral(" and 预存明细.发票号=") +
           platform::sql_quote(invoice) + QStringLiteral(" ORDER  BY 预存明细.收据号");
}

QString prepayments_of_day_statement(const QDate& day) {
    return QStringLiteral(
               "select 预存明细.收据号,预存明细.户号,预存明细.预存金额,预存明细.预存日期,"
               "预存明细.收费人员,用户表.用户名,用户表.水价类别,用户表.居住街道,用户表.详细地址,"
               "用户表.联系电话,用户表.水表编号,预存明细.发票号,预存明细.标志 from 预存明细,用户表 "
               "where 用户表.户号=预存明细.户号  and 预存明细.预存日期=") +
           ymd_literal(day) + QStringLiteral(" ORDER  BY 预存明细.收据号 DESC");
}

namespace {



}  // namespace

PrepaymentListSummary read_prepayment_rows(platform::Connection& connection,
                                           const QString& statement,
                                           const std::function<void(int count)>& start,
                                           const std::function<void(const PrepaymentCells&)>& row) {
    PrepaymentListSummary summary;
    platform::RecordSet records;
    summary.opened =
        platform::query_open(records, connection, statement, platform::OnFailure::Quiet);
    if (!summary.opened) {
        if (start) start(0);
        return summary;
    }
    if (start) start(platform::recordset_record_count(records));
    const auto field = [&records](const char16_t* name) {
        return platform::recordset_field_index(records, QString::fromUtf16(name));
    };
    const int receipt = field(u"收据号"), number = field(u"户号"), name = field(u"用户名"),
              card = field(u"磁卡号码"), street = field(u"居住街道"), address = field(u"详细地址"),
              phone = field(u"固定电话"), mobile = field(u"移动电话"), amount = field(u"预存金额"),
              day = field(u"预存日期"), collector = field(u"收费人员"), invoice = field(u"发票号"),
              flag = field(u"标志");
    // Cells read as text, by position in the list, with the field each comes from.
    const std::array<std::pair<int, int>, 8> texts = {{{2, name},
                                                       {3, card},
                                                       {4, street},
                                                       {5, address},
                                                       {6, phone},
                                                       {7, mobile},
                                                       {10, collector},
                                                       {11, invoice}}};
    std::string scratch[kPrepayListCells];
    std::string receipt_text, number_text, date_text;
    char amount_text[kAmountCellSize];
    const std::string_view mark = "\xE2\x84\x96";  // №
    const std::string_view void_text = "作废", valid_text = "正常";
    PrepaymentCells cells;
    for (; !platform::recordset_eof(records); platform::recordset_move_next(records)) {
        receipt_text.clear();
        if (receipt >= 0) {
            receipt_text = platform::recordset_field_utf8(records, receipt, scratch[0]);
            const size_t one = receipt_text.find('1');
            if (one != std::string::npos) receipt_text.replace(one, 1, mark);
        }
        cells[0] = receipt_text;
        cells[1] = {};
        if (number >= 0) {
            cells[1] = half_width_cell(
                platform::recordset_field_utf8(records, number, scratch[1]), number_text);
        }
        for (const auto& [position, index] : texts)
            cells[static_cast<size_t>(position)] =
                index >= 0 ? platform::recordset_field_utf8(records, index,
                                                            scratch[static_cast<size_t>(position)])
                           : std::string_view();
        const double value = amount >= 0 ? platform::recordset_field_number(records, amount) : 0;
        summary.total += value;
        cells[8] = amount_cell(value, amount_text);
        date_text.clear();
        platform::DateParts parts;
        if (day >= 0 && platform::recordset_field_date_parts(records, day, &parts))
            platform::append_date_text(date_text, parts, false);
        cells[9] = date_text;
        cells[12] = flag >= 0 && platform::recordset_field_number(records, flag) == 2 ? void_text
                                                                                      : valid_text;
        ++summary.rows;
        if (row) row(cells);
    }
    return summary;
}

QStringList prepayment_totals_row(double total) {
    QStringList totals(kPrepayListCells);
    totals[0] = kTotalsCell;
    totals[8] = platform::format_number(total, 2);
    return totals;
}

PrepaymentListRows prepayment_list_rows(platform::Connection& connection,
                                        const QString& statement) {
    PrepaymentListRows out;
    const PrepaymentListSummary summary = read_prepayment_rows(
        connection, statement, [&out](int count) { out.rows.reserve(count + 1); },
        [&out](const PrepaymentCells& cells) {
            QStringList texts;
            texts.reserve(kPrepayListCells);
            for (std::string_view cell : cells)
                texts << QString::fromUtf8(cell.data(), static_cast<qsizetype>(cell.size()));
            out.rows << texts;
        });
    out.opened = summary.opened;
    out.total = summary.total;
    out.rows << prepayment_totals_row(summary.total);
    return out;
}

}  // namespace charging
