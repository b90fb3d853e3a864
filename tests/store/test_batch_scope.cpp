// The batch scope on a real database file: a failing row keeps the rows before it and nothing
// of it or after it, whatever batch it falls in; each row is told once, in order, when it went
// in; finish commits; a failed commit keeps nothing; no finish keeps nothing.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <vector>

#include "harness/file_helpers.h"
#include "platform/db.h"
#include "platform/query.h"
#include "store/batch_scope.h"

namespace {

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

class BatchScopeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("b.mdb"));
        harness::write_database(path, QByteArray(platform::kDatabasePassword),
                                {s("CREATE TABLE 行 (号 INTEGER UNIQUE, 备注 TEXT)"),
                                 s("CREATE TABLE 副 (号 INTEGER)")});
        ASSERT_TRUE(platform::db_open_access_file(conn, path));
    }
    // The numbers in the table, read on a connection of its own: only what was committed.
    std::vector<int> committed() {
        platform::Connection other;
        EXPECT_TRUE(platform::db_open_access_file(other, path));
        std::vector<int> out;
        for (const QString& n : platform::query_column(other, s("select 号 from 行 order by 号")))
            out.push_back(n.toInt());
        return out;
    }
    // Row n writes two statements (its row and a side row), the second one failing for n in
    // `failing` (the number is taken already).
    QStringList row(int n) {
        return {s("insert into 副 (号) values (%1)").arg(n),
                s("insert into 行 (号) values (%1)").arg(n)};
    }

    QTemporaryDir dir;
    QString path;
    platform::Connection conn;
};

TEST_F(BatchScopeTest, AFailingRowKeepsTheRowsBeforeItWhereverItFalls) {
    struct Case {
        const char* what;
        size_t batch_rows;
        int failing;  // the row whose number is taken beforehand
    } cases[] = {
        {"first row of a batch", 4, 5},
        {"inside a batch", 4, 7},
        {"last row of a batch", 4, 8},
        {"in the rest finish applies", 4, 10},
        {"a batch of one", 1, 3},
        {"one batch for the run", 100, 2},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(platform::db_execute(conn, s("delete from 行")));
        ASSERT_TRUE(platform::db_execute(conn, s("delete from 副")));
        // The taken number sits in the table under a row number no row uses.
        ASSERT_TRUE(platform::db_execute(conn, s("insert into 行 (号,备注) values (%1,'占')").arg(c.failing)));
        std::vector<int> told;
        bool stopped = false;
        {
            store::BatchScope scope(conn, c.batch_rows);
            ASSERT_TRUE(scope.active());
            for (int n = 1; n <= 10 && !stopped; ++n)
                stopped = !scope.add_statements(row(n), [&told, n] { told.push_back(n); });
            EXPECT_FALSE(scope.finish()) << c.what;
            EXPECT_TRUE(scope.error().contains(s("UNIQUE"))) << c.what;
            EXPECT_EQ(scope.rows_applied(), c.failing - 1) << c.what;
        }
        std::vector<int> expected;
        for (int n = 1; n < c.failing; ++n) expected.push_back(n);
        EXPECT_EQ(told, expected) << c.what;
        expected.push_back(c.failing);  // the row that was there before
        EXPECT_EQ(committed(), expected) << c.what;
        // Nothing of the failing row: its side row went with it.
        EXPECT_EQ(platform::query_integer(conn, s("select count(*) from 副")), c.failing - 1) << c.what;
    }
}

TEST_F(BatchScopeTest, FinishCommitsEveryRowAndTellsEachOnceInOrder) {
    std::vector<int> told;
    store::BatchScope scope(conn, 3);
    for (int n = 1; n <= 7; ++n)
        EXPECT_TRUE(scope.add_statements(row(n), [&told, n] { told.push_back(n); }));
    // Rows of full batches are in, the last one waits for finish; nothing is committed yet.
    EXPECT_EQ(told, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(committed().empty());
    EXPECT_TRUE(scope.finish());
    EXPECT_EQ(told, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(scope.rows_applied(), 7);
    EXPECT_EQ(committed(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_FALSE(scope.finish());  // once only
}

TEST_F(BatchScopeTest, ACallersOwnFaultKeepsWhatWentIn) {
    store::BatchScope scope(conn, 4);
    for (int n = 1; n <= 2; ++n) EXPECT_TRUE(scope.add_statements(row(n)));
    EXPECT_FALSE(scope.finish(true));
    EXPECT_EQ(committed(), (std::vector<int>{1, 2}));
}

TEST_F(BatchScopeTest, AFailedCommitOrNoFinishKeepsNothing) {
    {
        store::BatchScope scope(conn, 2);
        for (int n = 1; n <= 5; ++n) EXPECT_TRUE(scope.add_statements(row(n)));
    }
    EXPECT_TRUE(committed().empty());

    // A deferred foreign key is checked at the commit, and fails it.
    ASSERT_TRUE(platform::db_execute(conn, s("PRAGMA foreign_keys=ON")));
    ASSERT_TRUE(platform::db_execute(
        conn, s("CREATE TABLE 子 (号 INTEGER REFERENCES 行(号) DEFERRABLE INITIALLY DEFERRED)")));
    store::BatchScope scope(conn, 2);
    for (int n = 1; n <= 3; ++n) EXPECT_TRUE(scope.add_statements(row(n)));
    EXPECT_TRUE(scope.add_statements({s("insert into 子 (号) values (99)")}));
    EXPECT_FALSE(scope.finish());
    EXPECT_EQ(scope.rows_applied(), 0);
    EXPECT_TRUE(scope.error().contains(s("FOREIGN KEY"))) << scope.error().toStdString();
    EXPECT_TRUE(committed().empty());
}

}  // namespace
