#include "reports/print_database.h"

#include <QSet>
#include <cmath>

#include "platform/convert.h"
#include "platform/files.h"
#include "platform/money.h"
#include "platform/query.h"
#include "shell/system_parameters.h"
#include "tariffs/base_quantity.h"
#include "tariffs/bills.h"
#include "tariffs/prepay_balances.h"
#include "tariffs/tiers.h"

namespace reports {

using platform::Connection;
using platform::OnFailure;
using platform::RecordSet;
using platform::sql_number;
using platform::sql_quote;

namespace {

void say(std::vector<ReceiptMessage>* messages, const QString& text,
         platform::MsgIcon icon = platform::MsgIcon::None) {
    if (messages) messages->push_back({text, icon});
}

// Runs one statement on the print database; a failure is told with the connection's text
// (and, when asked, the statement in a second box) and the build goes on.
bool print_execute(const QString& sql, ReceiptBuild& build, bool show_statement) {
    Connection& print = print_connection();
    if (platform::db_execute(print, sql)) return true;
    say(&build.messages, platform::db_last_error(print));
    if (show_statement) say(&build.messages, sql);
    return false;
}

QString num(double value) { return sql_number(value); }
QString num4(double value) { return sql_number(platform::round_to(value, 4)); }

}  // namespace

Connection& print_connection() {
    static Connection connection;
    return connection;
}

QString print_database_path() { return platform::app_path(platform::kPrintDatabaseFile); }

QString print_connection_text() {
    // The engine's own spelling; the report engine finds the file whatever its letter case.
    QString folder = platform::program_directory();
    return QStringLiteral("ODBC;DBQ=") + folder +
           QStringLiteral("/Print.mdb;Driver={Microsoft Access Driver (*.mdb)};");
}

QString office_name(Connection& main, const shell::SystemParameters& parameters) {
    if (!parameters.organisation_name.isEmpty()) return parameters.organisation_name;
    return platform::query_text(
        main, QStringLiteral("select 文本 from pz where 项目名称='单位信息'"), OnFailure::Quiet);
}

bool rebuild_print_database() {
    Connection& print = print_connection();
    platform::db_close(print);
    const QString target = print_database_path();
    const QString shipped = platform::app_path(platform::kShippedPrintDatabaseFile);
    platform::file_delete(target);
    // Journal files of a print database left open by a crash would be replayed into the fresh
    // copy.
    platform::file_delete(target + QStringLiteral("-wal"));
    platform::file_delete(target + QStringLiteral("-shm"));
    if (!platform::file_copy_scratch(shipped, target)) {
        print.last_error = QStringLiteral("不能从 %1 复制打印数据库").arg(shipped);
        return false;
    }
    return platform::db_open_scratch_file(print, target);
}

QString to_half_width(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(char16_t(u - 0xFEE0));
        else if (u == 0x3000)
            c = QChar(u' ');
    }
    return out;
}

QString plain_chinese_numeral(int number) {
    static const QString digits = QStringLiteral("零一二三四五六七八九");
    if (number < 0) return QString::number(number);
    if (number < 10) return digits.mid(number, 1);
    if (number < 100) {
        const int tens = number / 10, units = number % 10;
        QString out = tens == 1 ? QString() : digits.mid(tens, 1);
        out += QStringLiteral("十");
        if (units) out += digits.mid(units, 1);
        return out;
    }
    return QString::number(number);
}

ReceiptBuild build_charge_receipt(Connection& main, qint64 serial) {
    ReceiptBuild build;
    const QString serial_text = QString::number(serial);

    // 1. The payment's readings and the household they belong to.
    RecordSet readings;
    platform::query_open(
        readings, main,
        "select 抄表总表.户号,用户信息表.用户名,抄表总表.父号,抄表总表.起方,抄表总表.止方,"
        "抄表总表.用量,抄表总表.抄表日期,用户信息表.居住街道,用户信息表.性质,抄表总表.水损,"
        "用户信息表.磁卡号码,用户信息表.详细地址,抄表总表.收据号,抄表总表.抄表人员 from "
        "抄表总表,用户信息表 where 抄表总表.父号=用户信息表.户号  and 抄表总表.流水号=" +
            serial_text + " order by 抄表总表.户号");
    QString household, street, card, address, name, first_parent;
    const int reading_count = platform::recordset_record_count(readings);
    if (reading_count > 0) {
        household = to_half_width(platform::recordset_field_text(readings, "户号"));
        first_parent = platform::recordset_field_text(readings, "父号");
        if (first_parent != QLatin1String("0")) household = first_parent;
        street = platform::recordset_field_text(readings, "居住街道");
        card = platform::recordset_field_text(readings, "磁卡号码");
        address = platform::recordset_field_text(readings, "详细地址");
        name = platform::recordset_field_text(readings, "用户名");
    }

    // 2. A fresh print database.
    if (!rebuild_print_database())
        say(&build.messages, platform::db_last_error(print_connection()));

    // 3. One reading line per reading, further tier lines after it.
    std::vector<qint64> bills;  // in the order first met
    QSet<qint64> seen_bills;
    for (int r = 0; r < reading_count; ++r, platform::recordset_move_next(readings)) {
        const double start = platform::recordset_field_number(readings, "起方");
        const double end = platform::recordset_field_number(readings, "止方");
        const double usage = platform::recordset_field_number(readings, "用量");
        const double loss = platform::recordset_field_number(readings, "水损");
        const QDate date = platform::recordset_field_date(readings, "抄表日期").date();
        // A household whose flag cannot be read counts as one with a master meter.
        const bool master = platform::recordset_field_is_null(readings, "性质") ||
                            platform::recordset_field_bool(readings, "性质");
        const qint64 bill = platform::recordset_field_text(readings, "收据号").toLongLong();
        const double u = usage + loss;
        if (!seen_bills.contains(bill)) {
            seen_bills.insert(bill);
            bills.push_back(bill);
        }

        const QStringList bill_row =
            platform::query_rows(
                main, "select 收费项目,价格类别 from 总收费 where 收据号=" + QString::number(bill))
                .value(0);
        const QString item = bill_row.value(0), category = bill_row.value(1);
        const double multiplier = platform::query_number(
            main, "select 倍率,计量编号 from 用户表管理 where 父号=" + sql_quote(household) +
                      " and 价格类别=" + sql_quote(category) + " and 收费项目=" + sql_quote(item));
        const QStringList mode_row =
            platform::query_rows(
                main, "select 计费模式,阶梯收费 from 收费项目 where 项目名称=" + sql_quote(item))
                .value(0);
        const QString billing_mode = mode_row.value(0), tiered = mode_row.value(1);

        double difference = end - start;
        if (difference < -platform::kMoneyTolerance) difference = end + 10000 - start;

        double q = u;
        if (billing_mode == QStringLiteral("基本用量模式")) {
            // The bill's own base: the engine's look-up, matched with the fee item.
            double base =
                tariffs::category_base_quantity(main, category, item, date).value_or(0);
            if (master)
                base *= platform::query_rows(
                            main, "select * from 用户表  where 父号=" + sql_quote(household) +
                                      " and 目前状态='正常'")
                            .size();
            if (u - base < -platform::kMoneyTolerance) q = base;
        }

        // A reduction granted on the bill is shared out over the readings it covered.
        const QStringList reduction =
            platform::query_rows(main,
                                 "select 抄表ID,减免类型,减免用量 from 减免明细 where 收据号=" +
                                     QString::number(bill))
                .value(0);
        if (!reduction.isEmpty()) {
            int ids = 0;
            for (const QString& id : reduction.value(0).split(QLatin1Char('|')))
                if (!platform::text_trim(id).isEmpty()) ++ids;
            if (ids > 0) q -= std::trunc(platform::to_number(reduction.value(2)) / ids);
        }

        const QString reading_day = "'" + platform::date_ymd_text(date) + "'";
        const QString base_extra = num(q - u);
        if (tiered == QStringLiteral("开启")) {
            std::vector<double> quantities, prices;
            tariffs::split_usage_into_tiers(main, category, q, quantities, prices, item);
            for (size_t k = 0; k < quantities.size() && k < prices.size(); ++k) {
                const struct {
                    double quantity, price;
                } tier{quantities[k], prices[k]};
                QString sql;
                if (k == 0) {
                    sql =
                        "insert into 电表信息 "
                        "(起数,止数,用量,倍率,损耗,基本度数,实收,价格,金额,抄表日期,收费项目,"
                        "价格类别) values (" +
                        sql_quote(platform::to_text(start)) + "," +
                        sql_quote(platform::to_text(end)) + "," +
                        sql_quote(platform::to_text(difference)) + "," +
                        sql_quote(platform::to_text(multiplier)) + "," +
                        sql_quote(platform::to_text(loss)) + "," + base_extra + "," +
                        num(tier.quantity) + "," + num4(tier.price) + "," +
                        num4(tier.quantity * tier.price) + "," + reading_day + "," +
                        sql_quote(item) + "," + sql_quote(category) + ")";
                } else {
                    sql =
                        "insert into 电表信息 (实收,价格,金额,收费项目) values (" +
                        num(tier.quantity) + "," + num4(tier.price) + "," +
                        num4(tier.quantity * tier.price) + "," +
                        sql_quote("第" + plain_chinese_numeral(static_cast<int>(k) + 1) + "阶梯") +
                        ")";
                }
                print_execute(sql, build, true);
            }
        } else {
            const double price = platform::query_number(
                main, "select 价格 from 水价类别 where 水价类别=" + sql_quote(category) +
                          " and 收费项目=" + sql_quote(item));
            print_execute(
                "insert into 电表信息 "
                "(起数,止数,用量,倍率,损耗,基本度数,实收,价格,金额,抄表日期,收费项目,价格类别) "
                "values (" +
                    num(start) + "," + num(end) + "," + num(difference) + "," + num(multiplier) +
                    "," + num(loss) + "," + base_extra + "," + num(q) + "," + num4(price) + "," +
                    num4(q * price) + "," + reading_day + "," + sql_quote(item) + "," +
                    sql_quote(category) + ")",
                build, false);
        }
    }

    // 4. Each bill's surcharges, once per bill.
    for (qint64 bill : bills) {
        RecordSet surcharges;
        platform::query_open(
            surcharges, main,
            "select 附加费名称,价格,收费项目,价格类别,用量,金额 from 月附加费 where 收据号=" +
                QString::number(bill));
        for (; !platform::recordset_eof(surcharges); platform::recordset_move_next(surcharges)) {
            print_execute(
                "insert into 电表信息 (起数,实收,价格,金额,收费项目,价格类别) values (" +
                    sql_quote(platform::recordset_field_text(surcharges, "附加费名称")) + "," +
                    num(platform::recordset_field_number(surcharges, "用量")) + "," +
                    num4(platform::recordset_field_number(surcharges, "价格")) + "," +
                    num4(platform::recordset_field_number(surcharges, "金额")) + "," +
                    sql_quote(platform::recordset_field_text(surcharges, "收费项目")) + "," +
                    sql_quote(platform::recordset_field_text(surcharges, "价格类别")) + ")",
                build, false);
        }
    }

    // 5. Sums over the payment's bills.
    RecordSet totals;
    platform::query_open(
        totals, main,
        "select sum(实收金额) as 实收金额,sum(预存扣款) as 预存扣款,sum(应收金额) as 应收金额,"
        "sum(滞纳金) as 滞纳金,sum(减免金额) as 减免金额,sum(水损) as 水损,"
        "sum(减免用量) as 减免用量 from 总收费 where 流水号= " +
            serial_text);
    const double paid = platform::recordset_field_number(totals, "实收金额");

    // 6. Balances, collector and date: first and last bill of the payment.
    double before = 0, after = 0;
    QString collector, paid_on, invoice;
    {
        RecordSet balances;
        if (reading_count > 0 && first_parent == QLatin1String("0"))
            platform::query_open(
                balances, main,
                "select 收费日期,收费人员,上月接转,本月接转 from 总收费 where 流水号= " +
                    serial_text + " order by 收据号");
        else if (reading_count > 0)
            platform::query_open(
                balances, main,
                "select "
                "总收费.收费日期,总收费.收费人员,总收费.上月接转,总收费.本月接转,抄表总表.抄表日期 "
                "from 总收费,抄表总表 where 抄表总表.收据号= 总收费.收据号 and  抄表总表.流水号= " +
                    serial_text + " order by 总收费.收据号");
        const int n = platform::recordset_record_count(balances);
        if (n > 0) {
            before = platform::recordset_field_number(balances, "上月接转");
            for (int i = 1; i < n; ++i) platform::recordset_move_next(balances);
            after = platform::recordset_field_number(balances, "本月接转");
            collector = platform::recordset_field_text(balances, "收费人员");
            paid_on = platform::to_text(platform::recordset_field_date(balances, "收费日期"));
        }
    }
    // The invoice number the payment wrote into its bills (the last one's, as the date).
    invoice = platform::query_text(
        main, "select 发票号 from 总收费 where 流水号= " + serial_text + " order by 收据号 desc");

    // 7. The receipt's one 用户信息 row.
    print_execute(
        "insert into 用户信息 "
        "(户号,用户名,居住街道,详细地址,磁卡号码,系统流水,缴费性质,收费日期,上期结余,本期结余,"
        "应收金额,实收金额,预存扣款,减免金额,滞纳金,减免用量,收费人员,实收大写,发票号) values (" +
            sql_quote(household) + "," + sql_quote(name) + "," + sql_quote(street) + "," +
            sql_quote(address) + "," + sql_quote(card) + "," +
            sql_quote(tariffs::serial_display_text(serial)) + ",'现金缴费'," + sql_quote(paid_on) +
            "," + num(before) + "," + num(after) + "," +
            num(platform::recordset_field_number(totals, "应收金额")) + "," + num(paid) + "," +
            num(platform::recordset_field_number(totals, "预存扣款")) + "," +
            num(platform::recordset_field_number(totals, "减免金额")) + "," +
            num(platform::recordset_field_number(totals, "滞纳金")) + "," +
            num(std::trunc(platform::recordset_field_number(totals, "减免用量"))) + "," +
            sql_quote(collector) + "," +
            sql_quote(platform::amount_in_words(platform::to_text(paid))) + "," +
            sql_quote(invoice) + ")",
        build, false);
    platform::db_close(print_connection());
    return build;
}

double household_prepay_balance(Connection& main, const QString& household,
                                std::vector<ReceiptMessage>* messages) {
    const QString h = sql_quote(household);
    if (!platform::query_exists(
            main, "select 收据号,户号,预存金额 from 预存明细 where 户号=" + h + " and 标志=1"))
        return 0;
    // The household's valid prepayments, merged into one row, less what its bills and those of
    // its meter accounts took from them.
    const tariffs::BalanceOutcome rebuilt = tariffs::recompute_prepay_balances(
        main, "INSERT INTO 预存结余 (编号,户号,预存金额) select 收据号,户号,预存金额 from 预存明细 "
              "where 户号=" + h + " and 标志=1");
    for (const auto& message : rebuilt.messages)
        say(messages, message.text,
            message.plain ? platform::MsgIcon::None : platform::MsgIcon::Information);
    const QStringList balance =
        platform::query_column(main, "select 结余金额 from 预存结余 where 户号=" + h);
    return balance.size() == 1 ? platform::to_number(balance.first()) : 0;
}

ReceiptBuild build_prepay_receipt(Connection& main, qint64 receipt_number,
                                  double settled_with_it) {
    ReceiptBuild build;
    RecordSet row;
    platform::query_open(
        row, main,
        "select "
        "用户信息表.户号,用户信息表.用户名,用户信息表.居住街道,预存明细.预存金额,预存明细.预存日期,"
        "预存明细.收费人员,用户信息表.详细地址,用户信息表.磁卡号码 from 用户信息表,预存明细  where "
        "用户信息表.户号=预存明细.户号 and 收据号=" +
            QString::number(receipt_number));
    const QString household = to_half_width(platform::recordset_field_text(row, "户号"));
    const double amount = platform::recordset_field_number(row, "预存金额");
    const QDate paid_on = platform::recordset_field_date(row, "预存日期").date();

    const double balance = household_prepay_balance(main, household, &build.messages);

    if (!rebuild_print_database())
        say(&build.messages, platform::db_last_error(print_connection()));
    const QString sql =
        "insert into 预存信息 "
        "(户号,用户名,居住街道,详细地址,系统流水,缴费性质,预存日期,上期结余,本期结余,"
        "预存金额,收费人员,磁卡号码,预存大写) values (" +
        sql_quote(household) + "," + sql_quote(platform::recordset_field_text(row, "用户名")) +
        "," + sql_quote(platform::recordset_field_text(row, "居住街道")) + "," +
        sql_quote(platform::recordset_field_text(row, "详细地址")) + "," +
        sql_quote(tariffs::serial_display_text(receipt_number)) + ",'预存缴费'," +
        sql_quote(paid_on.isValid() ? platform::date_ymd_text(paid_on) : QString()) + "," +
        num(settled_with_it == 0 ? balance - amount
                                 : platform::round_cents(balance - amount + settled_with_it)) +
        "," + num(balance) + "," + num(amount) + "," +
        sql_quote(platform::recordset_field_text(row, "收费人员")) + "," +
        sql_quote(platform::recordset_field_text(row, "磁卡号码")) + "," +
        sql_quote(platform::amount_in_words(platform::to_text(amount))) + ")";
    if (!platform::db_execute(print_connection(), sql)) {
        say(&build.messages, sql);
        say(&build.messages, platform::db_last_error(print_connection()),
            platform::MsgIcon::Information);
        build.printable = false;
    }
    platform::db_close(print_connection());
    return build;
}

}  // namespace reports
