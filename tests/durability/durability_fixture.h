#pragma once
// The register the durability tests run on and the ways they look at it: a program folder with
// kHouseholds households (a water meter each, 0001 an electricity meter too, pending readings of
// the 5th, a permanent reduction of 0004, deposits of 0002 and 0005, an invoice book), saved as
// a template before and after the month's commit; program folders of their own for a child
// program to run in; and the money tables of a folder's database with what is wrong with them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "durability_register.h"
#include "harness/fixture.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/files.h"
#include "platform/query.h"
#include "reading/monthly_commit.h"
#include "shell/session.h"
#include "store/main_database.h"
#include "tariffs/household_bills.h"

namespace durability {

inline QString s(const char* utf8) { return QString::fromUtf8(utf8); }

// What money is: the tables a money action writes, row by row in insertion order, and the log
// rows written with it.
inline const char* const kMoneyTables[] = {"总收费",   "抄表总表", "抄表管理", "月附加费",
                                           "减免明细", "预存明细", "日志管理"};

struct ChildRun {
    bool killed = false;
    int exit_code = 0;
    long long ticks = 0;
    long long commits = 0;
    QString error;
};

class RegisterTest : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        set_clock(kToday);
        apply_parameters();
        shell::current_operator = s("管理员");
        seed_register();
        // Before the month's commit: the batch pending.
        save_template(before_commit_);
        // After it: every household billed, some bills covered by deposits, and one deposit
        // that no bill has used yet (执行扣款 settles it).
        reading::commit_month(store::main_connection(), shell::program_context());
        exec(
            s("insert into 预存明细 (户号,预存金额,收费人员,预存日期,收据号,发票号,标志,抄表户号) "
              "values ('0005',50,'李四','2024-3-19',1000000002,'',1,'')"));
        // 0002's bill was settled from its deposit; 0001 has two.
        ASSERT_EQ(count(s("select count(*) from 总收费 where 收费标志=1")), kHouseholds);
        ASSERT_EQ(count(s("select count(*) from 总收费 where 减免金额>0")), 1);
        save_template(after_commit_);
    }

    static QString household_number(int i) { return QString::number(i).rightJustified(4, u'0'); }

    void seed_register() {
        exec(s("insert into 抄表员(抄表员) values ('张三')"));
        exec(
            s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
              "(9,'居民','水费',2.5,0,0)"));
        exec(
            s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
              "(9,'照明','电费',0.6,0,0)"));
        exec(
            s("insert into 附加费 (附加费名称,价格,计费方式,水价类别,收费项目) values "
              "('污水费',0.8,'按用量','居民','水费')"));
        platform::Transaction seed(store::main_connection());
        for (int i = 1; i <= kHouseholds; ++i) {
            const QString number = household_number(i);
            exec(s("insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,建档时间,性质) "
                   "values (") +
                 platform::sql_quote(number) + s(",'0',") + platform::sql_quote(s("户") + number) +
                 s(",'东区','1号楼','2024-1-1',0)"));
            meter(number + s("01"), number, s("水费"), s("居民"), i);
            pending(number + s("01"), number, 100, 110 + i % 50, s("水费"), s("居民"), 2.5);
        }
        ASSERT_TRUE(seed.commit());
        // 0001 has an electricity meter too; 0004 a permanent reduction by amount.
        meter(s("000102"), s("0001"), s("电费"), s("照明"), kHouseholds + 1);
        pending(s("000102"), s("0001"), 0, 40, s("电费"), s("照明"), 0.6);
        exec(
            s("insert into 减免设置 (户号,减免方式,减免期限,减免类型,减免金额,减免用量,减免次数) "
              "values ('0004','部分减免','永久','按金额',5,0,0)"));
        // 0002's deposit covers its bill at the commit.
        exec(
            s("insert into 预存明细 (户号,预存金额,收费人员,预存日期,收据号,发票号,标志,抄表户号) "
              "values ('0002',100,'李四','2024-3-1',1000000001,'',1,'')"));
        // The collector's invoice book.
        exec(
            s("insert into 发票设置 (领取时间,发票代码,发票起号,发票止号,发票类型,总张数,收费人员,"
              "用完标志,当前发票号,已使用,作废,总开票金额) values ('2024-1-1','A01','00001001',"
              "'00001999','普通',999,'李四',0,'00001001',0,0,0)"));
    }
    void meter(const QString& account, const QString& household, const QString& item,
               const QString& category, int order) {
        exec(s("insert into 用户表管理 (户号,收费项目,价格类别,开始起数,抄表人员,倍率,计量编号,"
               "抄表序号,建表时间,父号,状态) values (") +
             platform::sql_quote(account) + u',' + platform::sql_quote(item) + u',' +
             platform::sql_quote(category) + s(",0,'张三',1,'M1',") + QString::number(order) +
             s(",'2024-1-1',") + platform::sql_quote(household) + s(",'正常')"));
    }
    void pending(const QString& account, const QString& household, double start, double end,
                 const QString& item, const QString& category, double price) {
        exec(s("insert into 抄表管理 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,"
               "抄表人员,价格) values (") +
             platform::sql_quote(account) + u',' + platform::sql_quote(household) + u',' +
             platform::sql_number(start) + u',' + platform::sql_number(end) + u',' +
             platform::sql_number(end - start) + s(",0,'2024-3-5',") + platform::sql_quote(item) +
             u',' + platform::sql_quote(category) + s(",'张三',") + platform::sql_number(price) +
             u')');
    }

    // A closed copy of the main database as it is now.
    void save_template(QString& file) {
        store::close_main_database();
        file = path(QStringLiteral("template%1.mdb").arg(++templates_));
        ASSERT_TRUE(QFile::copy(path(platform::kMainDatabaseFile), file));
        ASSERT_TRUE(store::reopen_main_database());
    }

    // A program folder of its own for one run of the child, its database a copy of `from`.
    QString trial_folder(const QString& from) {
        const QString folder = path(QStringLiteral("trial%1").arg(++trials_));
        QDir().mkpath(folder + s("/DATA"));
        QFile::copy(from, folder + u'/' + platform::kMainDatabaseFile);
        QFile::setPermissions(folder + u'/' + platform::kMainDatabaseFile,
                              QFile::ReadOwner | QFile::WriteOwner);
        QFile ini(folder + u'/' + platform::kIniFile);
        (void)ini.open(QIODevice::WriteOnly);
        return folder;
    }

    static void start_child(QProcess& child, const QString& folder, const char* action,
                            long long kill) {
        child.start(QStringLiteral(DURABILITY_CHILD),
                    {folder, QString::fromLatin1(action), QString::number(kill)});
    }

    static ChildRun run_child(const QString& folder, const char* action, long long kill) {
        QProcess child;
        start_child(child, folder, action, kill);
        ChildRun run;
        if (!child.waitForFinished(60000)) {
            child.kill();
            child.waitForFinished();
            run.error = s("the child did not finish");
            return run;
        }
        run.killed = child.exitStatus() == QProcess::CrashExit;
        run.exit_code = child.exitCode();
        const QStringList counts =
            QString::fromLatin1(child.readAllStandardOutput()).simplified().split(u' ');
        run.ticks = counts.value(0).toLongLong();
        run.commits = counts.value(1).toLongLong();
        run.error = QString::fromLocal8Bit(child.readAllStandardError());
        return run;
    }

    // The money tables of a database file, and what is wrong with them.
    struct State {
        QList<QList<QStringList>> tables;
        QStringList faults;
        bool operator==(const State& other) const { return tables == other.tables; }
    };
    static State read_database(const QString& file) {
        State state;
        platform::Connection db;
        if (!platform::db_open_access_file(db, file)) {
            state.faults << s("open: ") + platform::db_last_error(db);
            return state;
        }
        for (const char* table : kMoneyTables)
            state.tables << platform::query_rows(db, s("select * from ") + s(table));
        const auto none = [&](const QString& what, const QString& sql) {
            const QList<QStringList> found = platform::query_rows(db, sql);
            if (!found.isEmpty()) state.faults << what + s(": ") + found.first().join(u',');
        };
        const QString integrity = platform::query_text(db, s("PRAGMA integrity_check"));
        if (integrity != s("ok")) state.faults << s("integrity: ") + integrity;
        none(s("bill number twice"),
             s("select 收据号 from 总收费 where 收据号 is not null group by 收据号 having "
               "count(*)>1"));
        none(s("prepayment number twice"),
             s("select 收据号 from 预存明细 group by 收据号 having count(*)>1"));
        // A serial belongs to one payment of one household.
        none(s("serial of two households"),
             s("select 流水号 from 总收费 where 流水号>0 group by 流水号 having count(distinct ") +
                 tariffs::bill_household_expression(s("总收费.户号")) + s(")>1"));
        // Half a bill: a bill without its readings, a billed reading without its bill, a paid
        // bill whose readings do not carry its serial, an unpaid one whose readings carry one.
        none(s("bill without readings"),
             s("select 收据号 from 总收费 where 标志=1 and 收据号 not in (select 收据号 from "
               "抄表总表 where 收据号>0)"));
        none(s("billed reading without bill"),
             s("select 编号 from 抄表总表 where 是否收费=1 and 收据号 not in (select 收据号 from "
               "总收费)"));
        none(s("paid bill, readings without its serial"),
             s("select 总收费.收据号 from 总收费,抄表总表 where 抄表总表.收据号=总收费.收据号 and "
               "总收费.收费标志=0 and 总收费.流水号<>抄表总表.流水号"));
        none(s("unpaid bill, readings with a serial"),
             s("select 总收费.收据号 from 总收费,抄表总表 where 抄表总表.收据号=总收费.收据号 and "
               "总收费.标志=1 and 总收费.收费标志=1 and 抄表总表.流水号>0"));
        // A reading billed twice shows as two valid bills of one meter and month.
        none(s("billed twice"),
             s("select 户号,收费项目,抄表日期 from 总收费 where 标志=1 group by 户号,收费项目,"
               "抄表日期 having count(*)>1"));
        none(s("surcharge line without bill"),
             s("select 收据号 from 月附加费 where 收据号 not in (select 收据号 from 总收费)"));
        none(s("reduction record without bill"),
             s("select 收据号 from 减免明细 where 收据号 not in (select 收据号 from 总收费)"));
        return state;
    }
    static State read_state(const QString& folder) {
        return read_database(folder + u'/' + platform::kMainDatabaseFile);
    }

    QString before_commit_, after_commit_;
    int templates_ = 0;
    int trials_ = 0;
};

}  // namespace durability
