#pragma once
// A program folder with the shipped database, and the run the engine is handed held by the test:
// its day (2024-03-20) and its parameters (carry-over off, no rounding, nine-digit numbering,
// late fees off), with helpers that seed readings, prices, tiers, surcharges, prepayments and
// settings, and read a written row back column by column.
#include <QMap>
#include <QString>
#include <utility>
#include <vector>

#include "harness/fixture.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "shell/run_context.h"
#include "store/main_database.h"

namespace tariffs_test {

inline QString s(const char* utf8) { return QString::fromUtf8(utf8); }
inline QString q(const QString& text) { return platform::sql_quote(text); }
inline QString n(double value) { return platform::sql_number(value); }

inline const QDate kToday{2024, 3, 20};

// Expected columns of one row: column name and the text the database gives back ("" for NULL).
using Columns = std::vector<std::pair<const char*, const char*>>;

class EngineTest : public harness::ProgramFolderTest {
public:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        params.personal_account = s("关闭");
        params.rounding_enabled = s("假");
        params.rounding_position = s("十分位");
        params.payment_serial_digits = 9;
        params.late_fee_enabled = s("关闭");
    }

    platform::Connection& db() { return store::main_connection(); }
    using ProgramFolderTest::count;
    using ProgramFolderTest::exec;
    using ProgramFolderTest::rows;
    using ProgramFolderTest::value;

    void category(const char* name, const char* item, double price, double base = 0) {
        exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values (9,") +
             q(s(name)) + u',' + q(s(item)) + u',' + n(price) + u',' + n(base) + s(",0)"));
    }
    // A reading of meter account `meter` of `household`; returns its 编号.
    qint64 reading(const char* household, const char* meter, double usage, const char* item,
                   const char* cat, double price, const char* date = "2024-3-1",
                   double loss = 0, const char* reader = "张三") {
        exec(s("insert into 抄表总表 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,"
               "抄表人员,是否收费,价格) values (") +
             q(s(meter)) + u',' + q(s(household)) + s(",0,") + n(usage) + u',' + n(usage) + u',' +
             n(loss) + u',' + q(s(date)) + u',' + q(s(item)) + u',' + q(s(cat)) + u',' +
             q(s(reader)) + s(",0,") + n(price) + u')');
        return value(s("select max(编号) from 抄表总表")).toLongLong();
    }
    void tier(const char* cat, const char* item, int order, double stop, double price) {
        exec(s("insert into 阶梯信息 (类别名称,收费项目,阶梯序号,阶梯起量,阶梯止量,类别价格) values (") +
             q(s(cat)) + u',' + q(s(item)) + u',' + QString::number(order) + s(",0,") + n(stop) +
             u',' + n(price) + u')');
    }
    void surcharge(const char* name, double price, const char* mode, const char* cat,
                   const char* item) {
        exec(s("insert into 附加费 (附加费名称,价格,计费方式,水价类别,收费项目) values (") + q(s(name)) +
             u',' + n(price) + u',' + q(s(mode)) + u',' + q(s(cat)) + u',' + q(s(item)) + u')');
    }
    void prepayment(qint64 receipt, const char* household, double amount, int flag = 1) {
        exec(s("insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,标志) values (") +
             QString::number(receipt) + u',' + q(s(household)) + u',' + n(amount) +
             s(",'2024-2-1','甲',") + QString::number(flag) + u')');
    }
    // An earlier bill of `number` (paid unless said otherwise).
    void earlier_bill(const char* number, qint64 receipt, double carry_out, double prepaid = 0,
                      int unpaid = 0, double to_collect = 0) {
        exec(s("insert into 总收费 (户号,收据号,标志,收费标志,收费项目,抄表日期,应收金额,本月接转,"
               "预存扣款,实收金额) values (") +
             q(s(number)) + u',' + QString::number(receipt) + s(",1,") + QString::number(unpaid) +
             s(",'水费','2024-1-1',10,") + n(carry_out) + u',' + n(prepaid) + u',' +
             n(to_collect) + u')');
    }
    void reduction_setting(const char* number, const char* mode, const char* term,
                           const char* type, double amount, int quantity, int times = 0) {
        exec(s("insert into 减免设置 (户号,减免方式,减免期限,减免类型,减免金额,减免用量,减免次数) "
               "values (") +
             q(s(number)) + u',' + q(s(mode)) + u',' + q(s(term)) + u',' + q(s(type)) + u',' +
             n(amount) + u',' + QString::number(quantity) + u',' + QString::number(times) + u')');
    }
    void reduction_record(const char* number, qint64 receipt) {
        exec(s("insert into 减免明细 (户号,减免金额,抄表ID,减免日期,收据号,减免类型) values (") +
             q(s(number)) + s(",1,'',") + q(s("2024-1-1")) + u',' + QString::number(receipt) +
             s(",'按金额')"));
    }

    // Every column of the first row of a query, by name.
    QMap<QString, QString> row(const QString& sql) {
        QMap<QString, QString> out;
        platform::RecordSet rs;
        platform::recordset_bind_connection(rs, db());
        EXPECT_TRUE(platform::recordset_open(rs, sql)) << sql.toStdString();
        if (platform::recordset_record_count(rs) == 0) return out;
        for (int i = 0; i < platform::recordset_field_count(rs); ++i)
            out[platform::recordset_field_name(rs, i)] = platform::recordset_field_text(rs, i);
        return out;
    }
    // Compares the named columns of the first row of `sql`.
    void expect_columns(const QString& sql, const Columns& expected, const std::string& label) {
        const QMap<QString, QString> actual = row(sql);
        ASSERT_FALSE(actual.isEmpty()) << label << ": no row for " << sql.toStdString();
        for (const auto& [column, text] : expected) {
            const QString name = s(column);
            EXPECT_TRUE(actual.contains(name)) << label << ": no column " << column;
            EXPECT_EQ(actual.value(name).toStdString(), std::string(text))
                << label << ": column " << column;
        }
    }

    // The run the engine is handed: today at nine, the test's parameters, the administrator.
    shell::RunContext context() const {
        return {QDateTime(kToday, QTime(9, 0, 0)), params, s("管理员")};
    }

    shell::SystemParameters params;
};

}  // namespace tariffs_test
