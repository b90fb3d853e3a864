#include "charging/prepayment_queries.h"

#include <charconv>
#include <cmath>
#include <string>

#include "charging/list_cells.h"
#include "charging/list_queries.h"
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
    const QString order = order_clause(
        query.order, {u" ORDER  BY 用户信息表.编号   ", u" ORDER  BY 用户信息表.编号 DESC",
                      u" ORDER  BY 预存明细.收据号   ", u" ORDER  BY 预存明细.收据号 DESC",
                      u" ORDER  BY 用户信息表.居住街道  ", u" ORDER  BY 用户信息表.居住街道 DESC"});
    QString status;
    if (query.status == 1) status = QStringLiteral(" and 预存明细.标志=1");
    if (query.status == 2) status = QStringLiteral(" and 预存明细.标志=2");

    const PrepayQueryBy by = query.by;
    const ChosenConditions chosen = choose_conditions({
        prepay_household_condition(by == PrepayQueryBy::Household,
                                   platform::text_trim(query.household)),
        prepay_name_condition(by == PrepayQueryBy::Name, query.name),
        prepay_street_condition(by == PrepayQueryBy::Street, query.street,
                                QStringLiteral("待查询的居住街道不能为空！")),
        prepay_collector_condition(by == PrepayQueryBy::Collector, query.collector),
        fixed_condition(by == PrepayQueryBy::Date,
                        QStringLiteral(" and 预存明细.预存日期 between ") +
                            ymd_literal(query.from) + QStringLiteral(" and ") +
                            ymd_literal(query.to)),
    });
    if (!chosen.ok) {
        out.refusal = chosen.refusal;
        return out;
    }
    out.ok = true;
    out.statement = prepayment_query_head() + chosen.clause + status + order;
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

PrepaymentListSummary read_prepayment_rows(platform::Connection& connection,
                                           const QString& statement,
                                           const std::function<void(int count)>& start,
                                           const std::function<void(const PrepaymentCells&)>& row) {
    PrepaymentListSummary summary;
    platform::RecordSet records;
    summary.opened =
        open_list_records(records, connection, statement, start, platform::OnFailure::Quiet);
    if (!summary.opened) return summary;
    const auto field = [&records](const char16_t* name) { return list_field(records, name); };
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
    return totals_row(kPrepayListCells, kTotalsCell, {{8, total}});
}

PrepaymentListRows prepayment_list_rows(platform::Connection& connection,
                                        const QString& statement) {
    PrepaymentListRows out;
    const PrepaymentListSummary summary = read_prepayment_rows(
        connection, statement, [&out](int count) { out.rows.reserve(count + 1); },
        [&out](const PrepaymentCells& cells) { out.rows << cell_texts(cells); });
    out.opened = summary.opened;
    out.total = summary.total;
    out.rows << prepayment_totals_row(summary.total);
    return out;
}

}  // namespace charging
