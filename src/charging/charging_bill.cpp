#include "charging/charging_bill.h"

#include <memory>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "tariffs/household_bills.h"

#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

namespace charging {

namespace {

QString two(double value) { return platform::format_number(value, 2); }

// The statements of one look-up read one snapshot of the database: the bills, their lines and
// their sums agree even while another seat pays, and the database's locks are taken once for
// all of them instead of once per statement. Inside a caller's transaction that one holds.
class ReadSnapshot {
public:
    explicit ReadSnapshot(platform::Connection& connection)
        : handle_(platform::db_handle(connection)) {
        own_ = handle_ && sqlite3_get_autocommit(handle_) &&
               sqlite3_exec(handle_, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~ReadSnapshot() {
        if (own_ && !sqlite3_get_autocommit(handle_))
            sqlite3_exec(handle_, "COMMIT", nullptr, nullptr, nullptr);
    }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    sqlite3* handle_;
    bool own_ = false;
};

}  // namespace

HouseholdFound find_household(platform::Connection& connection, LookupBy by, const QString& key) {
    // Prepared once per connection for each way of looking up, and bound to the key: the counter
    // runs these for every household it shows.
    HouseholdFound out;
    const ReadSnapshot snapshot(connection);
    const QString column = by == LookupBy::Number ? QStringLiteral("户号")
                           : by == LookupBy::Name ? QStringLiteral("用户名")
                                                  : QStringLiteral("磁卡号码");
    platform::PreparedStatement household(
        connection,
        QStringLiteral("select 用户名,详细地址,居住街道,性质,户号 from 用户信息表  where ") +
            column + QStringLiteral("=?"));
    household.bind_text(1, platform::text_trim(key));
    const QList<QStringList> rows = platform::statement_rows(household, platform::OnFailure::Quiet);
    if (rows.isEmpty()) return out;
    const QStringList& r = rows.first();
    out.found = true;
    out.name = r.value(0);
    out.address = r.value(1);
    out.street = r.value(2);
    out.number = r.value(4);
    platform::PreparedStatement meters(
        connection,
        QStringLiteral("select count(*) from 用户表管理  where 父号=? and 状态='正常'"));
    meters.bind_text(1, out.number);
    out.active_meters =
        platform::statement_rows(meters, platform::OnFailure::Quiet).value(0).value(0).toInt();
    return out;
}

qint64 count_unpaid_bills(platform::Connection& connection, const QString& household) {
    static const QString sql =
        QStringLiteral("select count(*) from 总收费 where 收费标志=1 and 标志=1 and ") +
        tariffs::households_bills_condition(QStringLiteral("?"));
    platform::PreparedStatement count(connection, sql);
    const QString h = platform::text_trim(household);
    count.bind_text(1, h);
    count.bind_text(2, h);
    return platform::statement_rows(count, platform::OnFailure::Quiet)
        .value(0)
        .value(0)
        .toLongLong();
}

QString ChargingBill::amount_billed_text() const { return two(amount_billed); }
QString ChargingBill::to_collect_text() const { return two(to_collect); }
QString ChargingBill::late_fee_text() const { return two(late_fee); }
QString ChargingBill::carry_in_text() const { return two(carry_in); }
QString ChargingBill::carry_out_text() const { return two(carry_out); }
QString ChargingBill::due_text() const { return two(amount_billed - carry_in + late_fee); }
QString ChargingBill::reduction_text() const { return two(reduction); }
QString ChargingBill::prepaid_text() const { return two(prepaid); }

ChargingBill load_charging_bill(platform::Connection& connection, const QString& household) {
    // Every statement is prepared once per connection and bound to the household or the bill:
    // the counter runs them for every household looked up.
    ChargingBill bill;
    const ReadSnapshot snapshot(connection);
    static const QString bills_of =
        tariffs::households_bills_condition(QStringLiteral("?"), QStringLiteral("总收费.户号"));
    const auto of_household = [&connection, &household](const QString& sql) {
        auto statement = std::make_unique<platform::PreparedStatement>(connection, sql);
        statement->bind_text(1, household);
        statement->bind_text(2, household);
        return statement;
    };
    // The bills in receipt order with their carry-overs: the first bill's carry-in and the last
    // one's carry-out are the household's.
    const auto bills = of_household(
        QStringLiteral("select 总收费.收据号,总收费.上月接转,总收费.本月接转 from 总收费 where "
                       "总收费.收费标志=1 and 总收费.标志=1 and ") +
        bills_of + QStringLiteral(" order by 总收费.收据号"));
    const QList<QStringList> listed = platform::statement_rows(*bills, platform::OnFailure::Quiet);
    for (const QStringList& b : listed) bill.bill_numbers.push_back(b.value(0).toLongLong());

    double reading_total = 0;
    platform::PreparedStatement readings(
        connection, QStringLiteral("select 户号,起方,止方,用量,水损,实收量,价格类别,价格,抄表日期,"
                                   "收费项目 from 抄表总表 where 收据号=?"));
    for (qint64 b : bill.bill_numbers) {
        platform::RecordSet rs;
        readings.bind_integer(1, b);
        if (!readings.open(rs, platform::OnFailure::Quiet)) continue;
        for (; !platform::recordset_eof(rs); platform::recordset_move_next(rs)) {
            const double price = platform::recordset_field_number(rs, QStringLiteral("价格"));
            const double quantity = platform::recordset_field_number(rs, QStringLiteral("实收量"));
            const double amount = platform::round_to(price * quantity, 4);
            reading_total += amount;
            bill.readings.append(
                {platform::recordset_field_text(rs, QStringLiteral("收费项目")),
                 platform::to_text(platform::recordset_field_number(rs, QStringLiteral("起方"))),
                 platform::to_text(platform::recordset_field_number(rs, QStringLiteral("止方"))),
                 platform::to_text(quantity),
                 QStringLiteral("￥") + platform::format_number(price, 4),
                 QStringLiteral("￥") + platform::format_number(amount, 4),
                 platform::to_text(
                     platform::recordset_field_date(rs, QStringLiteral("抄表日期")))});
        }
    }
    bill.readings.append(
        {QStringLiteral("合计"), {}, {}, {}, {}, platform::format_number(reading_total, 4), {}});

    double surcharge_total = 0;
    platform::PreparedStatement surcharges(
        connection,
        QStringLiteral("select 附加费名称,价格,用量,金额,收费项目 from 月附加费 where 收据号=?"));
    for (qint64 b : bill.bill_numbers) {
        surcharges.bind_integer(1, b);
        for (const QStringList& r :
             platform::statement_rows(surcharges, platform::OnFailure::Quiet)) {
            const double price = platform::to_number(r.value(1));
            const double quantity = platform::to_number(r.value(2));
            const double amount = platform::round_to(quantity * price, 4);
            surcharge_total += amount;
            bill.surcharges.append({r.value(4), r.value(0), platform::to_text(quantity),
                                    platform::format_number(price, 4),
                                    platform::format_number(amount, 4)});
        }
    }
    bill.surcharges.append(
        {QStringLiteral("合计"), {}, {}, {}, platform::format_number(surcharge_total, 4)});

    const auto totals = of_household(
        QStringLiteral(
            "select sum(实收金额) as 实收金额,sum(预存扣款) as 预存扣款,sum(应收金额) as "
            "应收金额,sum(滞纳金) as 滞纳金,sum(减免金额) as 减免金额,sum(水损) as "
            "水损,sum(减免用量) as 减免用量 from 总收费 where 收费标志=1 and 标志=1 and ") +
        bills_of);
    const QList<QStringList> sums = platform::statement_rows(*totals, platform::OnFailure::Quiet);
    if (!sums.isEmpty()) {
        const QStringList& r = sums.first();
        bill.to_collect = platform::to_number(r.value(0));
        bill.prepaid = platform::to_number(r.value(1));
        bill.amount_billed = platform::to_number(r.value(2));
        bill.late_fee = platform::to_number(r.value(3));
        bill.reduction = platform::to_number(r.value(4));
    }
    if (!listed.isEmpty()) {
        bill.carry_in = platform::to_number(listed.first().value(1));
        bill.carry_out = platform::to_number(listed.last().value(2));
    }
    return bill;
}

QString carry_over_after_received(const QString& received, const QString& due,
                                  const QString& reduction, const QString& prepaid) {
    return two(platform::to_number(received) - platform::to_number(due) +
               platform::to_number(reduction) + platform::to_number(prepaid));
}

int receipt_copies(const QString& copies_text) {
    const double copies = platform::to_number(copies_text);
    return copies < 1 ? 0 : static_cast<int>(copies);
}

QList<QStringList> search_households(platform::Connection& connection, const QString& mode,
                                     const QString& content) {
    QString condition;
    if (mode == kSearchByName) {
        const QString like = platform::sql_quote(content + u'%');
        condition = QStringLiteral("用户信息表.父号='0' and (用户信息表.用户名 like ") + like +
                    QStringLiteral(" or 用户信息表.助记词 like ") + like + u')';
    } else if (mode == kSearchByMeter) {
        condition =
            QStringLiteral("用户表管理.计量编号 like ") + platform::sql_quote(content + u'%');
    } else if (mode == kSearchByStreet) {
        const int at = content.indexOf(QStringLiteral("and"), 0, Qt::CaseInsensitive);
        condition = QStringLiteral("用户信息表.父号='0' and 用户信息表.居住街道=") +
                    platform::sql_quote(at < 0 ? content : content.left(at));
        if (at >= 0)
            condition += QStringLiteral(" and 用户信息表.详细地址=") +
                         platform::sql_quote(content.mid(at + 3));
    } else {
        return {};
    }
    return platform::query_rows(
        connection,
        QStringLiteral(
            "select 用户信息表.户号,用户信息表.用户名,用户表管理.计量编号,用户信息表.居住街道,"
            "用户信息表.详细地址 from 用户信息表,用户表管理 where "
            "用户信息表.户号=用户表管理.父号 and ") +
            condition + QStringLiteral(" order by 用户信息表.编号"),
        platform::OnFailure::Quiet);
}

}  // namespace charging
