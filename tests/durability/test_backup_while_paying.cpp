// Backups taken while a second program pays on the same file, checkpointing every commit into
// it: every backup, manual (the program's own connection open) and automatic (closed, as at
// exit), is reported made only as a whole database, with no half payment in it (a paid bill
// whose readings lack its serial, an unpaid one whose readings carry one).
#include <QDir>

#include "durability_fixture.h"
#include "store/backup.h"

namespace {

using namespace durability;

// Years of paid bills with their readings before this month's: a database of some megabytes,
// so a copy takes long enough for the second program to commit and checkpoint meanwhile, and a
// payment's pages (its bill, its readings, their index entries) lie far apart in the file.
class BackupWhilePayingTest : public RegisterTest {
protected:
    void SetUp() override {
        RegisterTest::SetUp();
        if (HasFatalFailure()) return;
        exec(s("insert into 抄表总表 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,"
               "抄表人员,是否收费,收据号,流水号,价格,实收量) select substr('000'||(1+x%300),-4)"
               "||'01',substr('000'||(1+x%300),-4),0,10,10,0,date('1990-01-01','+'||(x/300)||"
               "' days'),'水费','居民','张三',1,1500000000+x,1+x,2.5,10 from (with recursive "
               "n(x) as (select 0 union all select x+1 from n where x<19999) select x from n)"));
        exec(s("insert into 总收费 (户号,收据号,流水号,发票号,标志,收费标志,收费项目,价格类别,"
               "抄表人员,抄表日期,收费日期,收费人员,实收量,价格,水费金额,附加费金额,成本金额,差额,"
               "应收金额,减免金额,减免用量,上月接转,本月接转,实收金额,预存扣款,滞纳金,水损) select "
               "户号,收据号,流水号,'',1,0,'水费','居民','张三',抄表日期,抄表日期,'李四',10,2.5,25,"
               "8,33,0,33,0,0,0,0,33,0,0,0 from 抄表总表 where 收据号>=1500000000"));
    }
};

TEST_F(BackupWhilePayingTest, EveryBackupIsWholeAndHoldsNoHalfPayment) {
    QProcess paying;
    start_child(paying, folder(), "paying", 0);
    // The first payment is in: the second program is at work.
    ASSERT_TRUE(paying.waitForReadyRead(60000)) << paying.readAllStandardError().toStdString();

    QStringList backups;
    for (int i = 0; i < 6; ++i) {
        const QString target = path(QStringLiteral("bak/手动%1.mdb").arg(i));
        const store::ManualBackupResult made = store::backup_main_database_to(target);
        ASSERT_TRUE(made.ok()) << made.reason.toStdString();
        backups << target;
    }
    store::close_main_database();
    platform::ini_write_text(s("备份方式"), s("备份路径"), path(s("bak")));
    for (int i = 0; i < 3; ++i) {
        set_clock(kToday.addSecs(i));
        const store::AutomaticBackupOutcome made = store::backup_database();
        ASSERT_TRUE(made.made) << made.message.text.toStdString();
        backups << platform::ini_read_text(s("备份方式"), s("备份文件"));
    }
    ASSERT_TRUE(store::reopen_main_database());

    QFile stop(path(s("stop")));
    ASSERT_TRUE(stop.open(QIODevice::WriteOnly));
    stop.close();
    ASSERT_TRUE(paying.waitForFinished(60000));
    EXPECT_EQ(paying.exitCode(), 0) << paying.readAllStandardError().toStdString();
    // It went on paying all the while (a payment and its void per line).
    EXPECT_GT(QString::fromLatin1(paying.readAllStandardOutput()).count(s("paid")), 1);
    for (const QString& backup : backups) {
        SCOPED_TRACE(backup.toStdString());
        const State state = read_database(backup);
        EXPECT_TRUE(state.faults.isEmpty()) << state.faults.join(u'\n').toStdString();
    }
    // Nothing but the backups themselves: no part of a copy, no journal.
    EXPECT_EQ(QDir(path(s("bak"))).entryList({s("*.mdb*")}, QDir::Files).size(), backups.size());
}

}  // namespace
