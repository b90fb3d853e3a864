#pragma once
// A program folder with the run the charging routines are handed (2024-03-20 at nine, the
// administrator, late fees off, nine-digit coded serials, invoices off), the same parameters and
// operator in the program-wide values for the windows, and helpers that
// seed households, meter accounts, bills with their readings and surcharge lines, and a fault
// that makes one bill's writes fail. The program-wide objects are made afresh for each test and
// no receipt printer or settlement hook outlives the test that set it.
#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include <QString>

#include "charging/batch_charging.h"
#include "charging/charging_hooks.h"
#include "charging/receipt_reprint.h"
#include "harness/fixture.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "shell/program_state.h"
#include "shell/run_context.h"
#include "shell/session.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "tariffs/household_bills.h"

namespace charging_test {

inline QString s(const char* utf8) { return QString::fromUtf8(utf8); }
inline QString q(const QString& text) { return platform::sql_quote(text); }
inline QString n(double value) { return platform::sql_number(value); }

inline const QDateTime kNow{QDate(2024, 3, 20), QTime(9, 0, 0)};

class ChargingTest : public harness::ProgramFolderTest {
public:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        shell::init_program_variables();
        clear_hooks();
        params.payment_serial_digits = 9;
        params.late_fee_enabled = s("关闭");
        params.invoice_management = s("关闭");
        params.household_number_prefix.clear();
        shell::system_parameters = params;
        shell::current_operator = operator_name;
    }

    void TearDown() override {
        clear_hooks();
        shell::free_program_variables();
        ProgramFolderTest::TearDown();
    }

    static void clear_hooks() {
        charging::charge_receipt_printer() = nullptr;
        charging::prepay_receipt_printer() = nullptr;
        charging::batch_pay_from_prepayments_hook() = nullptr;
        charging::reprint_waiter() = nullptr;
    }

    platform::Connection& db() { return store::main_connection(); }

    // The run a routine is handed: the fixture's moment, parameters and operator.
    shell::RunContext context() const { return {kNow, params, operator_name}; }

    shell::SystemParameters params;
    QString operator_name = s("管理员");

    void household(const char* number, const char* name, const char* street = "东区",
                   const char* address = "1号楼", const char* card = "") {
        exec(s("insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,磁卡号码,助记词,性质) "
               "values (") +
             q(s(number)) + s(",'0',") + q(s(name)) + u',' + q(s(street)) + u',' + q(s(address)) +
             u',' + q(s(card)) + s(",'',0)"));
    }
    void meter(const char* household, const char* account, const char* reader = "张三",
               const char* meter_number = "M1", const char* state = "正常") {
        exec(s("insert into 用户表管理 (户号,父号,收费项目,抄表人员,状态,计量编号) values (") +
             q(s(account)) + u',' + q(s(household)) + s(",'水费',") + q(s(reader)) + u',' +
             q(s(state)) + u',' + q(s(meter_number)) + u')');
    }
    // An unpaid valid bill with one reading (usage × price) keyed by `number`.
    void bill(const char* number, qint64 receipt, double billed, double to_collect,
              double carry_in = 0, double carry_out = 0, double usage = 10, double price = 1.5,
              const char* item = "水费") {
        exec(s("insert into 总收费 (户号,收据号,标志,收费标志,收费人员,收费项目,抄表日期,收费日期,"
               "应收金额,实收金额,上月接转,本月接转,滞纳金,减免金额,预存扣款) values (") +
             q(s(number)) + u',' + QString::number(receipt) + s(",1,1,'未知',") + q(s(item)) +
             s(",'2024-3-1','2024-3-1',") + n(billed) + u',' + n(to_collect) + u',' + n(carry_in) +
             u',' + n(carry_out) + s(",0,0,0)"));
        exec(s("insert into 抄表总表 "
               "(户号,父号,起方,止方,用量,水损,实收量,价格类别,价格,抄表日期,收费项目,"
               "是否收费,收据号) values (") +
             q(s(number)) + u',' + q(s(number)) + s(",100,") + n(100 + usage) + u',' + n(usage) +
             s(",0,") + n(usage) + s(",'居民',") + n(price) + s(",'2024-3-1',") + q(s(item)) +
             s(",1,") + QString::number(receipt) + u')');
    }
    void surcharge_line(const char* number, qint64 receipt, const char* name, double quantity,
                        double price) {
        exec(s("insert into 月附加费 (户号,附加费名称,用量,价格,金额,收据号,收费标志,收费项目) "
               "values (") +
             q(s(number)) + u',' + q(s(name)) + u',' + n(quantity) + u',' + n(price) + u',' +
             n(quantity * price) + u',' + QString::number(receipt) + s(",1,'水费')"));
    }
    // The household a bill belongs to, as the windows show it before a payment: the owner of
    // its 户号 (a meter account's household, or the number itself); empty when no bill has it.
    QString owner_of_bill(qint64 receipt) {
        return value(s("select ") + tariffs::bill_household_expression(s("总收费.户号")) +
                     s(" from 总收费 where 收据号=") + QString::number(receipt));
    }
    // Any write to the readings of bill `receipt` fails with "boom", as a full disk would.
    void fail_readings_of(qint64 receipt) {
        const QByteArray sql =
            (s("create trigger 坏 before update on 抄表总表 when new.收据号=") +
             QString::number(receipt) + s(" begin select raise(abort,'boom'); end"))
                .toUtf8();
        ASSERT_EQ(
            sqlite3_exec(platform::db_handle(db()), sql.constData(), nullptr, nullptr, nullptr),
            SQLITE_OK);
    }
};

// The windows read the program's clock: fixed on the fixture's moment.
class ChargingWindowTest : public ChargingTest {
public:
    void SetUp() override {
        ChargingTest::SetUp();
        set_clock(kNow);
    }
};

}  // namespace charging_test
