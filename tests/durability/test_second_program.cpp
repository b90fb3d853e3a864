// A second program on the same file while this one restores, initialises or makes its exit
// backup: the file is never pulled from under the other program, and the other program is never
// held up by the backup.
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <cstdio>

#include "durability_fixture.h"
#include "platform/db_copy.h"
#include "store/backup.h"

namespace {

using namespace durability;

class SecondProgramTest : public RegisterTest {
protected:
    qint64 unpaid_bills_of(const QString& household) {
        return count(s("select count(*) from 总收费 where 收费标志=1 and 标志=1 and ") +
                     tariffs::household_bills_condition(household));
    }
    qint64 payment_logs() {
        return count(s("select count(*) from 日志管理 where 备注 like '添加收费记录%'"));
    }
};

// While the other program has the database open, restore and initialisation are refused with
// the reason, and both programs' data stay whole: this program's rows, and the other's payments
// (it pays and voids, and would fail at the first void that found no payment). Once it is
// closed, the restore goes ahead.
TEST_F(SecondProgramTest, RestoreAndInitialisationWaitUntilTheOtherProgramIsClosed) {
    const QString backup = path(s("bak/之前.mdb"));
    ASSERT_TRUE(store::backup_main_database_to(backup).ok());
    exec(s("insert into 收费员 (收费人员,密码,许可) values ('王五','y',1)"));
    const qint64 logs_before = payment_logs();

    QProcess paying;
    start_child(paying, folder(), "paying", 0);
    ASSERT_TRUE(paying.waitForReadyRead(60000)) << paying.readAllStandardError().toStdString();
    const struct {
        const char* what;
        QString source;
        store::ReplaceSource kind;
        const char* reason;
    } asked[] = {
        {"restore", backup, store::ReplaceSource::Backup,
         "其他程序正在使用数据库，请先关闭其他所有收费程序，再恢复数据。"},
        {"initialisation", path(s("bak/data.bak")), store::ReplaceSource::Shipped,
         "其他程序正在使用数据库，请先关闭其他所有收费程序，再初始化。"},
    };
    for (const auto& a : asked) {
        SCOPED_TRACE(a.what);
        const store::ReplaceOutcome outcome = store::replace_main_database(a.source);
        EXPECT_EQ(outcome, store::ReplaceOutcome::InUse);
        EXPECT_EQ(store::replace_outcome_reason(outcome, a.kind), s(a.reason));
        EXPECT_TRUE(platform::db_is_open(store::main_connection()));
        EXPECT_EQ(count(s("select count(*) from 收费员 where 收费人员='王五'")), 1);
        EXPECT_EQ(QDir(path(s("DATA"))).entryList(QDir::Files).filter(s(".mdb.")), QStringList{});
    }

    QFile stop(path(s("stop")));
    ASSERT_TRUE(stop.open(QIODevice::WriteOnly));
    stop.close();
    ASSERT_TRUE(paying.waitForFinished(60000));
    EXPECT_EQ(paying.exitCode(), 0) << paying.readAllStandardError().toStdString();
    const State state = read_state(folder());
    EXPECT_TRUE(state.faults.isEmpty()) << state.faults.join(u'\n').toStdString();
    EXPECT_GT(payment_logs(), logs_before);
    EXPECT_EQ(count(s("select count(*) from 收费员 where 收费人员='王五'")), 1);

    EXPECT_EQ(store::replace_main_database(backup), store::ReplaceOutcome::Replaced);
    EXPECT_EQ(count(s("select count(*) from 收费员 where 收费人员='王五'")), 0);
}

// The exit backup of a program that had the file alone (so the close left the log) while a
// second program starts and takes a payment: the payment commits, and the backup is made.
TEST_F(SecondProgramTest, AProgramStartingDuringTheExitBackupTakesItsPayment) {
    ASSERT_GT(unpaid_bills_of(kPayingHousehold), 0);
    store::close_main_database();
    ChildRun payment;
    bool started = false;
    const store::AutomaticBackupOutcome made = store::backup_database([&](int, int) {
        if (started) return;
        started = true;
        payment = run_child(folder(), "payment", 0);
    });
    EXPECT_TRUE(made.made) << made.message.text.toStdString();
    ASSERT_TRUE(started);
    EXPECT_EQ(payment.exit_code, 0) << payment.error.toStdString();
    ASSERT_TRUE(store::reopen_main_database());
    EXPECT_EQ(unpaid_bills_of(kPayingHousehold), 0);
    const State state = read_state(folder());
    EXPECT_TRUE(state.faults.isEmpty()) << state.faults.join(u'\n').toStdString();
}

// A program that opens the file just as a restore renames the new one over it waits on the old
// file while the restore holds it; once the hold ends it works on the new file, never on the old
// one that nobody will see again.
TEST_F(SecondProgramTest, AProgramOpeningDuringTheSwapWorksOnTheNewFile) {
    const QString live = path(s("DATA/DATA.mdb"));
    const QString fresh = path(s("新的.mdb"));
    store::close_main_database();
    ASSERT_TRUE(QFile::copy(live, fresh));
    {
        platform::Connection old;
        ASSERT_TRUE(platform::db_open_access_file(old, live));
        ASSERT_TRUE(platform::db_execute(
            old, s("insert into 收费员 (收费人员,密码,许可) values ('旧文件','x',1)")));
    }

    QProcess child;
    {
        const platform::DatabaseFileHold hold(live);
        ASSERT_TRUE(hold.held());
        start_child(child, folder(), "payment", 0);
        ASSERT_TRUE(child.waitForStarted());
        // The child has the old file open (and waits for its first read).
        const QString fds = QStringLiteral("/proc/%1/fd").arg(child.processId());
        const QString target = QFileInfo(live).canonicalFilePath();
        bool opened = false;
        for (int i = 0; i < 30000 && !opened; ++i) {
            for (const QFileInfo& fd : QDir(fds).entryInfoList(QDir::System | QDir::Files))
                opened = opened || fd.symLinkTarget() == target;
            if (!opened) QThread::msleep(1);
        }
        ASSERT_TRUE(opened);
        ASSERT_EQ(std::rename(QFile::encodeName(fresh).constData(),
                              QFile::encodeName(live).constData()),
                  0);
    }
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();

    ASSERT_TRUE(store::reopen_main_database());
    EXPECT_EQ(count(s("select count(*) from 收费员 where 收费人员='旧文件'")), 0);
    EXPECT_EQ(unpaid_bills_of(kPayingHousehold), 0);
}

}  // namespace
