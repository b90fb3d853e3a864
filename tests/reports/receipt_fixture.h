#pragma once
// A program folder with one household (0001) and its two meter accounts (water 000101, tiered
// electricity 000102, multiplier 10), their price categories and tiers, and helpers that put
// readings, bills, surcharges, reductions and prepayments straight into the tables, as the
// charge engine and the payment windows would have left them.
#include <QDateTime>
#include <QString>

#include "harness/fixture.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/files.h"
#include "reports/print_database.h"
#include "shell/program_state.h"
#include "shell/run_context.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace reports_test {

inline QString s(const char* utf8) { return QString::fromUtf8(utf8); }

struct Reading {
    QString account;  // 户号
    QString parent;   // 父号
    double start, end, usage, loss;
    QString date;  // YYYY-MM-DD
    QString item, category;
    qint64 bill, serial;
};

struct Bill {
    QString household;
    qint64 bill, serial;
    QString item, category;
    double due, reduction;
    int reduced_quantity;
    double late_fee, carried_in, carried_out, paid, from_prepaid, loss;
    QString paid_on = QStringLiteral("2024-03-05");
    QString collector = QStringLiteral("李会计");
    QString invoice = QStringLiteral("FP001");
};

class ReceiptTest : public harness::ProgramFolderTest {
protected:
    // The moment the routines are handed (the windows' tests fix the program's clock on it).
    static inline const QDateTime kNow{QDate(2024, 3, 5), QTime(10, 0, 0)};
    shell::RunContext context() const {
        return {kNow, shell::system_parameters, shell::current_operator};
    }

    void SetUp() override {
        ProgramFolderTest::SetUp();
        shell::init_program_variables();
        shell::current_operator = s("管理员");
        shell::load_system_parameters();
        exec(
            s("insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,磁卡号码,性质,目前状态) "
              "values "
              "('0001','0','张三','东区','1号楼101','C001',0,'正常')"));
        exec(
            s("insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,磁卡号码,性质,目前状态) "
              "values "
              "('0002','0','李四','西区','2号楼202','C002',0,'正常')"));
        exec(
            s("insert into 用户表管理 (户号,收费项目,价格类别,倍率,父号,状态) values "
              "('000101','水费','居民水',1,'0001','正常')"));
        exec(
            s("insert into 用户表管理 (户号,收费项目,价格类别,倍率,父号,状态) values "
              "('000102','电费','居民电',10,'0001','正常')"));
        exec(
            s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
              "(2,'居民水','水费',2.5,0,0)"));
        exec(
            s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
              "(3,'居民电','电费',0.52,0,0)"));
        exec(s("update 收费项目 set 阶梯收费='开启' where 项目名称='电费'"));
        exec(
            s("insert into 阶梯信息 (类别名称,收费项目,阶梯序号,阶梯起量,阶梯止量,类别价格) values "
              "('居民电','电费',1,0,100,0.5)"));
        exec(
            s("insert into 阶梯信息 (类别名称,收费项目,阶梯序号,阶梯起量,阶梯止量,类别价格) values "
              "('居民电','电费',2,100,200,0.6)"));
        exec(
            s("insert into 阶梯信息 (类别名称,收费项目,阶梯序号,阶梯起量,阶梯止量,类别价格) values "
              "('居民电','电费',3,200,99999,0.8)"));
    }

    void TearDown() override {
        platform::db_close(reports::print_connection());
        shell::free_program_variables();
        ProgramFolderTest::TearDown();
    }

    void add_reading(const Reading& r) {
        exec(s("insert into 抄表总表 "
               "(户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,抄表人员,是否收费,收据号,"
               "流水号,价格) values (") +
             platform::sql_quote(r.account) + "," + platform::sql_quote(r.parent) + "," +
             platform::sql_number(r.start) + "," + platform::sql_number(r.end) + "," +
             platform::sql_number(r.usage) + "," + platform::sql_number(r.loss) + ",'" + r.date +
             "'," + platform::sql_quote(r.item) + "," + platform::sql_quote(r.category) +
             s(",'王抄表',1,") + QString::number(r.bill) + "," + QString::number(r.serial) +
             ",9.99)");
    }

    void add_bill(const Bill& b) {
        exec(s("insert into 总收费 "
               "(户号,收据号,流水号,发票号,标志,收费标志,收费项目,价格类别,收费日期,收费人员,"
               "应收金额,减免金额,减免用量,"
               "滞纳金,上月接转,本月接转,实收金额,预存扣款,水损) values (") +
             platform::sql_quote(b.household) + "," + QString::number(b.bill) + "," +
             QString::number(b.serial) + "," + platform::sql_quote(b.invoice) + ",1,0," +
             platform::sql_quote(b.item) + "," + platform::sql_quote(b.category) + ",'" +
             b.paid_on + "'," + platform::sql_quote(b.collector) + "," +
             platform::sql_number(b.due) + "," + platform::sql_number(b.reduction) + "," +
             QString::number(b.reduced_quantity) + "," + platform::sql_number(b.late_fee) + "," +
             platform::sql_number(b.carried_in) + "," + platform::sql_number(b.carried_out) + "," +
             platform::sql_number(b.paid) + "," + platform::sql_number(b.from_prepaid) + "," +
             platform::sql_number(b.loss) + ")");
    }

    void add_surcharge(qint64 bill, const QString& name, double quantity, double price,
                       double amount, const QString& item, const QString& category) {
        exec(s("insert into 月附加费 "
               "(户号,附加费名称,用量,价格,金额,收据号,收费标志,收费项目,价格类别) values "
               "('0001',") +
             platform::sql_quote(name) + "," + platform::sql_number(quantity) + "," +
             platform::sql_number(price) + "," + platform::sql_number(amount) + "," +
             QString::number(bill) + ",0," + platform::sql_quote(item) + "," +
             platform::sql_quote(category) + ")");
    }

    void add_prepayment(qint64 receipt, const QString& household, double amount,
                        const QString& date, int flag) {
        exec(s("insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志) values "
               "(") +
             QString::number(receipt) + "," + platform::sql_quote(household) + "," +
             platform::sql_number(amount) + ",'" + date + s("','李会计','',") +
             QString::number(flag) + ")");
    }

    // The payment of the examples: serial 1000000001 over two bills of household 0001.
    //   bill 501 (water, 居民水): readings 100 -> 120 (usage 20) and 80 -> 100 (usage 20, loss 1),
    //     a reduction of 5 over both readings, a late fee of 1.50, two surcharges;
    //   bill 502 (tiered electricity): 9950 -> 200 (the meter went round, usage 250), one
    //     surcharge, 5.00 paid from the prepaid balance.
    static constexpr qint64 kSerial = 1000000001;
    void add_two_bill_payment() {
        add_reading({"000101", "0001", 100, 120, 20, 0, "2024-02-20", s("水费"), s("居民水"), 501,
                     kSerial});
        add_reading(
            {"000101", "0001", 80, 100, 20, 1, "2024-01-20", s("水费"), s("居民水"), 501, kSerial});
        add_reading({"000102", "0001", 9950, 200, 250, 0, "2024-02-21", s("电费"), s("居民电"), 502,
                     kSerial});
        add_bill(
            {"0001", 501, kSerial, s("水费"), s("居民水"), 131.5, 10, 5, 1.5, 0.3, 0, 123, 0, 1});
        add_bill({"0001", 502, kSerial, s("电费"), s("居民电"), 155, 0, 0, 0, 0, 0.45, 150, 5, 0});
        add_surcharge(501, s("污水处理费"), 39, 0.8, 31.2, s("水费"), s("居民水"));
        add_surcharge(501, s("水资源费"), 39, 0.2, 7.8, s("水费"), s("居民水"));
        add_surcharge(502, s("电力附加"), 250, 0.02, 5, s("电费"), s("居民电"));
        exec(
            s("insert into 减免明细 (户号,减免金额,减免用量,抄表ID,收据号,减免类型) values "
              "('0001',10,5,'1|2|',501,'按用量')"));
    }

    // Rows of a print database table as texts, in insertion order.
    QList<QStringList> print_rows(const QString& sql) {
        QList<QStringList> result;
        platform::Connection print;
        if (!platform::db_open_access_file(print, path(platform::kPrintDatabaseFile), QString())) {
            ADD_FAILURE() << "print database does not open";
            return result;
        }
        platform::RecordSet rs;
        platform::recordset_bind_connection(rs, print);
        EXPECT_TRUE(platform::recordset_open(rs, sql));
        for (; !platform::recordset_eof(rs); platform::recordset_move_next(rs)) {
            QStringList row;
            for (int i = 0; i < platform::recordset_field_count(rs); ++i)
                row << platform::recordset_field_text(rs, i);
            result << row;
        }
        platform::recordset_close(rs);
        platform::db_close(print);
        return result;
    }
};

}  // namespace reports_test
