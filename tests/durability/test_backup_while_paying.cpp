// Backups taken while a second program pays on the same file, checkpointing every commit into
// it: every backup, manual (the program's own connection open) and automatic (closed, as at
// exit), is reported made only as a whole database, with no half payment in it (a paid bill
// whose readings lack its serial, an unpaid one whose readings carry one).
#include <QDir>

#include "durability_fixture.h"
#include "store/backup.h"

namespace {

using namespace durability;

class BackupWhilePayingTest : public RegisterTest {};

TEST_F(BackupWhilePayingTest, EveryBackupIsWholeAndHoldsNoHalfPayment) {
    QProcess paying;
    start_child(paying, folder(), "paying", 0);
    // The first payment is in: the second program is at work.
    ASSERT_TRUE(paying.waitForReadyRead(60000)) << paying.readAllStandardError().toStdString();

    QStringList backups;
    for (int i = 0; i < 12; ++i) {
        const QString target = path(QStringLiteral("bak/手动%1.mdb").arg(i));
        const store::ManualBackupResult made = store::backup_main_database_to(target);
        ASSERT_TRUE(made.ok()) << made.reason.toStdString();
        backups << target;
    }
    store::close_main_database();
    platform::ini_write_text(s("备份方式"), s("备份路径"), path(s("bak")));
    for (int i = 0; i < 6; ++i) {
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
