#pragma once
// Households and meter accounts for the tests of every subsystem after the register: a program
// folder with the shipped database, the administrator logged in, the parameters loaded, a fixed
// clock (2024-03-05 10:00), the streets 东区 and 西区, the bank 工商银行 and a second property
// category 商铺, plus helpers that write household and meter-account rows directly.
//
// Header only: a test program that includes it links households_core (the mnemonic).
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include "harness/fixture.h"
#include "households/pinyin.h"
#include "platform/db.h"
#include "shell/program_state.h"
#include "shell/session.h"
#include "shell/system_parameters.h"

namespace harness {

class HouseholdSeedTest : public ProgramFolderTest {
protected:
    static QString u8(const char* utf8) { return QString::fromUtf8(utf8); }

    void SetUp() override {
        ProgramFolderTest::SetUp();
        shell::init_program_variables();
        shell::current_operator = u8("管理员");
        shell::load_system_parameters();
        set_clock(QDateTime(QDate(2024, 3, 5), QTime(10, 0, 0)));
        exec(u8("insert into 街道(街道) values ('东区')"));
        exec(u8("insert into 街道(街道) values ('西区')"));
        exec(u8("insert into 开户银行(开户银行) values ('工商银行')"));
        exec(u8("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
                "(2,'商铺','物业',2.5,0,0)"));
    }
    void TearDown() override {
        shell::free_program_variables();
        ProgramFolderTest::TearDown();
    }

    // A household row written directly (父号 "0", street 东区, category 住宅, single meter).
    void insert_household(const QString& number, const QString& name,
                          const QString& registered = QStringLiteral("2024-3-5"),
                          const QString& extra_columns = QString(),
                          const QString& extra_values = QString()) {
        exec(u8("insert into 用户信息表 (户号,父号,用户名,助记词,居住街道,建档时间,性质,物业类别") +
             extra_columns + u8(") values (") + platform::sql_quote(number) + u8(",'0',") +
             platform::sql_quote(name) + u',' +
             platform::sql_quote(households::make_pinyin_initials(name)) + u8(",'东区','") +
             registered + u8("',0,'住宅'") + extra_values + u')');
    }

    // A meter account row written directly (starting reading 0, multiplier 1).
    void insert_meter_account(const QString& number, const QString& household,
                              const QString& item, const QString& category,
                              const QString& reader, int order,
                              const QString& created = QStringLiteral("2024-1-1"),
                              const QString& state = u8("正常"),
                              const QString& meter_no = QStringLiteral("X")) {
        exec(u8("insert into 用户表管理 "
                "(户号,收费项目,价格类别,开始起数,抄表人员,倍率,计量编号,抄表序号,建表时间,父号,"
                "状态) values (") +
             platform::sql_quote(number) + u',' + platform::sql_quote(item) + u',' +
             platform::sql_quote(category) + u8(",0,") + platform::sql_quote(reader) + u8(",1,") +
             platform::sql_quote(meter_no) + u',' + QString::number(order) + u',' +
             platform::sql_quote(created) + u',' + platform::sql_quote(household) + u',' +
             platform::sql_quote(state) + u')');
    }
};

}  // namespace harness
