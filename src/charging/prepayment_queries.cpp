#include "charging/prepayment_queries.h"

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
    const QString order = query.order >= 0 && query.order < 6
                              ? QString::fromUtf8(orders[query.order])
                              : QString();
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
        condition =
            QStringLiteral(" and 用户信息表.用户名  LIKE ") + platform::sql_quote(query.name + u'%');
        break;
    case PrepayQueryBy::Street:
        if (query.street.isEmpty()) {
            out.refusal = QStringLiteral("待查询的居住街道不能为空！");
            return out;
        }
        condition = QStringLiteral(" and 用户信息表.居住街道=") + platform::sql_quote(query.street);
        break;
    case PrepayQueryBy::Collector:
        if (query.collector.isEmpty()) {
            out.refusal = QStringLiteral("待查询的收费人员不能为空！");
            return out;
        }
        condition = QStringLiteral(" and 预存明细.收费人员=") + platform::sql_quote(query.collector);
        break;
    case PrepayQueryBy::Date:
        condition = QStringLiteral(" and 预存明细.预存日期 between ") + ymd_literal(query.from) +
                    QStringLiteral(" and ") + ymd_literal(query.to);
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

PrepaymentListRows prepayment_list_rows(platform::Connection& connection,
                                        const QString& statement) {
    PrepaymentListRows out;
    platform::RecordSet records;
    out.opened = platform::query_open(records, connection, statement, platform::OnFailure::Quiet);
    if (out.opened) {
        out.rows.reserve(platform::recordset_record_count(records) + 1);
        auto text = [&records](const char* name) {
            return platform::recordset_field_text(records, QString::fromUtf8(name));
        };
        for (; !platform::recordset_eof(records); platform::recordset_move_next(records)) {
            const QString receipt = text("收据号");
            const double amount =
                platform::recordset_field_number(records, QStringLiteral("预存金额"));
            const QDateTime day = platform::recordset_field_date(records, QStringLiteral("预存日期"));
            const int flag = static_cast<int>(
                platform::recordset_field_number(records, QStringLiteral("标志")));
            out.rows.append(
                {receipt.isEmpty() ? QString() : receipt_display_text(receipt.toLongLong()),
                 tariffs::half_width(text("户号")), text("用户名"), text("磁卡号码"),
                 text("居住街道"), text("详细地址"), text("固定电话"), text("移动电话"),
                 platform::format_number(amount, 2),
                 day.isValid() ? platform::to_text(day.date()) : QString(), text("收费人员"),
                 text("发票号"), flag == 2 ? QStringLiteral("作废") : QStringLiteral("正常")});
            out.total += amount;
        }
    }
    QStringList totals(kPrepayListCells);
    totals[0] = kTotalsCell;
    totals[8] = platform::format_number(out.total, 2);
    out.rows.append(totals);
    return out;
}

}  // namespace charging
