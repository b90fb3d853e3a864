// A power cut in the middle of a money action: a child process runs the month's commit, a
// counter payment, batch charging, 执行扣款 or a deposit on a copy of a small register and is
// killed at pseudo-random points (fixed seed), at a database progress tick or just before a
// commit. After each kill the database must be whole, hold no half-written bill, no bill number
// or payment serial used twice and no reading billed twice, and be either untouched or finished;
// running the action again then finishes the work exactly once.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <random>

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

namespace {

using namespace durability;

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

// What money is: the tables a money action writes, row by row in insertion order.
const char* const kMoneyTables[] = {"总收费", "抄表总表", "抄表管理", "月附加费", "减免明细",
                                    "预存明细"};

struct ChildRun {
    bool killed = false;
    int exit_code = 0;
    long long ticks = 0;
    long long commits = 0;
    QString error;
};

class KillTest : public harness::ProgramFolderTest {
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
        exec(s("insert into 预存明细 (户号,预存金额,收费人员,预存日期,收据号,发票号,标志,抄表户号) "
               "values ('0005',50,'李四','2024-3-19',1000000002,'',1,'')"));
        ASSERT_EQ(count(s("select count(*) from 总收费 where 收费标志=1")), 6);
        save_template(after_commit_);
    }

    void seed_register() {
        exec(s("insert into 抄表员(抄表员) values ('张三')"));
        exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
               "(9,'居民','水费',2.5,0,0)"));
        exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
               "(9,'照明','电费',0.6,0,0)"));
        exec(s("insert into 附加费 (附加费名称,价格,计费方式,水价类别,收费项目) values "
               "('污水费',0.8,'按用量','居民','水费')"));
        const char* names[] = {"甲", "乙", "丙", "丁", "戊", "己"};
        for (int i = 1; i <= 6; ++i) {
            const QString number = QStringLiteral("000%1").arg(i);
            exec(s("insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,建档时间,性质) "
                   "values (") +
                 platform::sql_quote(number) + s(",'0',") + platform::sql_quote(s(names[i - 1])) +
                 s(",'东区','1号楼','2024-1-1',0)"));
            meter(number + s("01"), number, s("水费"), s("居民"), i);
            pending(number + s("01"), number, 100, 110 + i, s("水费"), s("居民"), 2.5);
        }
        // 甲 has an electricity meter too; 丁 a permanent reduction by amount.
        meter(s("000102"), s("0001"), s("电费"), s("照明"), 7);
        pending(s("000102"), s("0001"), 0, 40, s("电费"), s("照明"), 0.6);
        exec(s("insert into 减免设置 (户号,减免方式,减免期限,减免类型,减免金额,减免用量,减免次数) "
               "values ('0004','部分减免','永久','按金额',5,0,0)"));
        // 乙's deposit covers its bill at the commit.
        exec(s("insert into 预存明细 (户号,预存金额,收费人员,预存日期,收据号,发票号,标志,抄表户号) "
               "values ('0002',100,'李四','2024-3-1',1000000001,'',1,'')"));
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

    static ChildRun run_child(const QString& folder, const char* action, long long kill) {
        QProcess child;
        child.start(QStringLiteral(DURABILITY_CHILD),
                    {folder, QString::fromLatin1(action), QString::number(kill)});
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

    // The money tables of a program folder's database, and what is wrong with them.
    struct State {
        QList<QList<QStringList>> tables;
        QStringList faults;
        bool operator==(const State& other) const { return tables == other.tables; }
    };
    static State read_state(const QString& folder) {
        State state;
        platform::Connection db;
        if (!platform::db_open_access_file(db, folder + u'/' + platform::kMainDatabaseFile)) {
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
             s("select 收据号 from 总收费 group by 收据号 having count(*)>1"));
        none(s("prepayment number twice"),
             s("select 收据号 from 预存明细 group by 收据号 having count(*)>1"));
        // A serial belongs to one payment of one household.
        none(s("serial of two households"),
             s("select 流水号 from 总收费 where 流水号>0 group by 流水号 having count(distinct ") +
                 tariffs::bill_household_expression(s("总收费.户号")) + s(")>1"));
        // Half a bill: a bill without its readings, a billed reading without its bill, a paid
        // bill whose readings do not carry its serial.
        none(s("bill without readings"),
             s("select 收据号 from 总收费 where 标志=1 and 收据号 not in (select 收据号 from "
               "抄表总表 where 收据号>0)"));
        none(s("billed reading without bill"),
             s("select 编号 from 抄表总表 where 是否收费=1 and 收据号 not in (select 收据号 from "
               "总收费)"));
        none(s("paid bill, readings without its serial"),
             s("select 总收费.收据号 from 总收费,抄表总表 where 抄表总表.收据号=总收费.收据号 and "
               "总收费.收费标志=0 and 总收费.流水号<>抄表总表.流水号"));
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

    // Kills the action `kills` times at points drawn with a fixed seed, checking each time.
    void kill_repeatedly(const QString& from, const char* action, int kills, bool rerun_when_done) {
        const QString untouched_folder = trial_folder(from);
        const State untouched = read_state(untouched_folder);
        ASSERT_TRUE(untouched.faults.isEmpty()) << untouched.faults.join(u'\n').toStdString();
        const QString done_folder = trial_folder(from);
        const ChildRun whole = run_child(done_folder, action, 0);
        ASSERT_FALSE(whole.killed) << whole.error.toStdString();
        ASSERT_EQ(whole.exit_code, 0) << whole.error.toStdString();
        ASSERT_GT(whole.ticks, 0);
        ASSERT_GT(whole.commits, 0);
        const State done = read_state(done_folder);
        ASSERT_TRUE(done.faults.isEmpty()) << done.faults.join(u'\n').toStdString();
        ASSERT_FALSE(done == untouched) << action << " changed nothing";

        std::mt19937_64 random(20240320 + static_cast<unsigned>(qHash(QByteArray(action))));
        int landed = 0;
        for (int trial = 0; trial < kills; ++trial) {
            // Most kills fall anywhere in the run; every third just before one of its commits,
            // each commit in turn.
            const bool at_commit = trial % 3 == 2;
            const long long point =
                at_commit ? -static_cast<long long>(1 + (trial / 3) % whole.commits)
                          : static_cast<long long>(1 + random() % whole.ticks);
            SCOPED_TRACE(std::string(action) + " killed at " + std::to_string(point));
            const QString folder = trial_folder(from);
            const ChildRun cut = run_child(folder, action, point);
            ASSERT_TRUE(cut.killed) << "not killed: " << cut.error.toStdString();
            ++landed;
            const State after = read_state(folder);
            EXPECT_TRUE(after.faults.isEmpty()) << after.faults.join(u'\n').toStdString();
            const bool finished = after == done;
            EXPECT_TRUE(finished || after == untouched) << "the action is half done";
            if (finished && !rerun_when_done) continue;
            // Doing it again (or once more when it was done) finishes the work exactly once.
            const ChildRun again = run_child(folder, action, 0);
            ASSERT_FALSE(again.killed);
            const State end = read_state(folder);
            EXPECT_TRUE(end.faults.isEmpty()) << end.faults.join(u'\n').toStdString();
            EXPECT_TRUE(end == done) << "the rerun did not end where one whole run ends";
        }
        EXPECT_EQ(landed, kills);
    }

    QString before_commit_, after_commit_;
    int templates_ = 0;
    int trials_ = 0;
};

TEST_F(KillTest, TheMonthsCommit) { kill_repeatedly(before_commit_, "commit", 12, true); }

TEST_F(KillTest, ACounterPayment) { kill_repeatedly(after_commit_, "payment", 10, true); }

TEST_F(KillTest, BatchCharging) { kill_repeatedly(after_commit_, "batch", 10, true); }

TEST_F(KillTest, PrepayDeductions) { kill_repeatedly(after_commit_, "deduct", 10, true); }

// A deposit is not repeated once it was stored: the cashier sees it in the list.
TEST_F(KillTest, ADeposit) {
    kill_repeatedly(after_commit_, "deposit", 10, false);
}

}  // namespace
