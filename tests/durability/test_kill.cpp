// A power cut in the middle of a money action: a child process runs the month's commit, a
// counter payment, batch charging, 执行扣款 or a deposit on a copy of a register of more
// households than one batch holds, with invoices, late fees and a reduction, and is killed at
// pseudo-random points (fixed seed), at a database progress tick or just before a commit. After
// each kill the database must be whole, hold no half-written bill, no bill number or payment
// serial used twice and no reading billed twice, and be either untouched or finished, log rows
// included; running the action again then finishes the work exactly once.
#include <random>

#include "durability_fixture.h"

namespace {

using namespace durability;

class KillTest : public RegisterTest {
protected:
    // Kills the action `kills` times at points drawn with a fixed seed, checking each time.
    // `shows_work`: a count query that finds what the whole run is meant to write (a late fee,
    // an invoice number, a log row), so the runs that are killed do the work that matters.
    void kill_repeatedly(const QString& from, const char* action, int kills, bool rerun_when_done,
                         const char* shows_work) {
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
        {
            platform::Connection db;
            ASSERT_TRUE(platform::db_open_access_file(
                db, done_folder + u'/' + platform::kMainDatabaseFile));
            EXPECT_GT(platform::query_integer(db, s(shows_work)), 0) << shows_work;
        }

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
};

// The commit writes more bills than one batch of the bill run holds, 0004's with its reduction.
TEST_F(KillTest, TheMonthsCommit) {
    kill_repeatedly(before_commit_, "commit", 12, true,
                    "select count(*) from 总收费 where 户号='0004' and 减免金额>0");
}

TEST_F(KillTest, ACounterPayment) {
    kill_repeatedly(after_commit_, "payment", 10, true,
                    "select count(*) from 总收费,日志管理 where 总收费.收费标志=0 and "
                    "总收费.发票号='00001001' and 日志管理.当前项目='窗口收费'");
}

// Late fees are added to every unpaid bill before it is charged, batch after batch.
TEST_F(KillTest, BatchCharging) {
    kill_repeatedly(after_commit_, "batch", 10, true,
                    "select count(*) from 总收费,日志管理 where 总收费.收费标志=0 and "
                    "总收费.滞纳金>0 and 日志管理.当前项目='批量收费'");
}

TEST_F(KillTest, PrepayDeductions) {
    kill_repeatedly(after_commit_, "deduct", 10, true,
                    "select count(*) from 总收费 where 户号 like '0005%' and 预存扣款>0");
}

// A deposit is not repeated once it was stored: the cashier sees it in the list.
TEST_F(KillTest, ADeposit) {
    kill_repeatedly(after_commit_, "deposit", 10, false,
                    "select count(*) from 预存明细,日志管理 where 预存明细.户号='0003' and "
                    "预存明细.发票号='00001001' and 日志管理.当前项目='预存添加'");
}

}  // namespace
