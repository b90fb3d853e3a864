// The database layer on real SQLCipher files in a temporary folder: opening, keys, the one-file
// rule, quoting, record sets, transactions, select-into and the Excel hook points.
#define SQLITE_HAS_CODEC 1
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <thread>
#include <vector>

#include "harness/file_helpers.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/excel_bridge.h"
#include "platform/files.h"

using namespace platform;

namespace {

// Records every message box and answers OK; anything else a database call should never do.
class BoxRecorder : public UiBackend {
public:
    struct Box {
        QString text, caption;
        MsgIcon icon;
    };
    BoxRecorder() : previous_(&ui_backend()) { set_ui_backend(this); }
    ~BoxRecorder() override { set_ui_backend(previous_); }

    MsgResult message_box(const QString& text, const QString& caption, MsgIcon icon, MsgButtons,
                          QWidget*) override {
        boxes.push_back({text, caption, icon});
        return MsgResult::Ok;
    }
    bool input_box(const QString&, const QString&, const QString&, QString*, QWidget*) override {
        ADD_FAILURE() << "unexpected input box";
        return false;
    }
    QString file_dialog(const FileDialogRequest&, QWidget*) override {
        ADD_FAILURE() << "unexpected file dialog";
        return QString();
    }
    int run_modal(QDialog*) override {
        ADD_FAILURE() << "unexpected modal window";
        return 0;
    }
    void beep() override {}
    void play_sound(const QString&) override {}
    [[noreturn]] void end_program(int code) override { throw ProgramEnded{code}; }

    std::vector<Box> boxes;

private:
    UiBackend* previous_;
};

// Makes a database file the way the build tool does: created and keyed through the C API.
void make_database(const QString& path, const QString& password, const char* schema) {
    harness::write_database(path, password.toUtf8(), {QString::fromUtf8(schema)});
}

const char kSchema[] =
    "CREATE TABLE 用户信息表 (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 户号 TEXT COLLATE NOCASE,"
    " 用户名 TEXT COLLATE NOCASE, 建档时间 DATE, 性质 INTEGER, 物业面积 REAL);"
    "CREATE TABLE 街道 (街道 TEXT COLLATE NOCASE);"
    "CREATE TABLE 日志管理 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 操作人员 TEXT COLLATE NOCASE,"
    " 发生时间 DATE, 备注 TEXT COLLATE NOCASE);"
    "CREATE TABLE 抄表总表 (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 户号 TEXT COLLATE NOCASE,"
    " 起方 REAL, 止方 REAL, 收据号 INTEGER);";

class DbTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("DATA.mdb"));
        make_database(path, QString::fromLatin1(kDatabasePassword), kSchema);
        ASSERT_TRUE(db_open_access_file(conn, path)) << db_last_error(conn).toStdString();
        recordset_bind_connection(rs, conn);
    }
    // A test's bridge lives on its stack: none may outlive it.
    void TearDown() override { set_excel_bridge(nullptr); }
    bool exec(const char* jet, qint64* rows = nullptr) {
        const bool ok = db_execute(conn, QString::fromUtf8(jet), rows);
        if (!ok) ADD_FAILURE() << jet << ": " << db_last_error(conn).toStdString();
        return ok;
    }
    int count(const char* jet) {
        RecordSet r;
        recordset_bind_connection(r, conn);
        if (!recordset_open(r, QString::fromUtf8(jet))) return -1;
        return recordset_record_count(r);
    }
    QString first_text(const char* jet) {
        RecordSet r;
        recordset_bind_connection(r, conn);
        if (!recordset_open(r, QString::fromUtf8(jet))) return QStringLiteral("<failed>");
        return recordset_field_text(r, 0);
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files); }
    // A connection setting as SQLite reports it ("PRAGMA synchronous" gives "2" for FULL).
    static QString pragma_value(const Connection& connection, const char* pragma) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db_handle(connection), pragma, -1, &statement, nullptr);
        const QString value = sqlite3_step(statement) == SQLITE_ROW
                                  ? QString::fromUtf8(reinterpret_cast<const char*>(
                                        sqlite3_column_text(statement, 0)))
                                  : QString();
        sqlite3_finalize(statement);
        return value;
    }

    BoxRecorder ui;
    QTemporaryDir dir;
    QString path;
    Connection conn;
    RecordSet rs;
};

TEST(DbOpen, NeverCreatesAMissingFile) {
    BoxRecorder ui;
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("DATA.mdb"));
    Connection conn;
    EXPECT_FALSE(db_open_access_file(conn, missing));
    EXPECT_FALSE(db_is_open(conn));
    EXPECT_TRUE(db_last_error(conn).contains(missing));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(DbTest, WrongKeyFailsAndLeavesTheFileUnchanged) {
    exec("insert into 街道(街道) values ('东街')");
    db_close(conn);
    const QByteArray before = harness::read_bytes(path);
    for (const QString& key : {QStringLiteral("wrong password!!!!"), QString()}) {
        EXPECT_FALSE(db_open_access_file(conn, path, key));
        EXPECT_FALSE(db_is_open(conn));
        EXPECT_FALSE(db_last_error(conn).isEmpty());
        EXPECT_EQ(harness::read_bytes(path), before);
        EXPECT_EQ(files(), QStringList{QStringLiteral("DATA.mdb")});
    }
    // A statement on the closed connection fails rather than touching anything.
    EXPECT_FALSE(db_execute(conn, QStringLiteral("delete from 街道")));
    ASSERT_TRUE(db_open_access_file(conn, path));
    EXPECT_EQ(count("select * from 街道"), 1);
}

TEST_F(DbTest, PlainFileOpensWithoutPassword) {
    const QString plain = dir.filePath(QStringLiteral("print.mdb"));
    make_database(plain, QString(), "CREATE TABLE t (a TEXT);");
    Connection print;
    ASSERT_TRUE(db_open_access_file(print, plain, QString()));
    EXPECT_TRUE(db_execute(print, QStringLiteral("insert into t values ('x')")));
    db_close(print);
    EXPECT_TRUE(harness::read_bytes(plain).startsWith("SQLite format 3"));
}

TEST_F(DbTest, QuotedValueRoundTripsAndAltersNothing) {
    exec("insert into 街道(街道) values ('东街')");
    exec("insert into 街道(街道) values ('西街')");
    const QString nasty = QStringLiteral("O'Brien'); delete from 街道; --'");
    ASSERT_TRUE(db_execute(
        conn, QStringLiteral("insert into 街道(街道) values (") + sql_quote(nasty) + ")"));
    EXPECT_EQ(sql_quote(QStringLiteral("it's")), QStringLiteral("'it''s'"));
    EXPECT_EQ(count("select * from 街道"), 3);
    ASSERT_TRUE(
        recordset_open(rs, QStringLiteral("select 街道 from 街道 where 街道=") + sql_quote(nasty)));
    ASSERT_EQ(recordset_record_count(rs), 1);
    EXPECT_EQ(recordset_field_text(rs, 0), nasty);
    qint64 changed = -1;
    ASSERT_TRUE(db_execute(conn, QStringLiteral("delete from 街道 where 街道=") + sql_quote(nasty),
                           &changed));
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(count("select * from 街道"), 2);
}

TEST_F(DbTest, OnlyOneStatementRuns) {
    exec("insert into 街道(街道) values ('东街')");
    EXPECT_FALSE(db_execute(conn, QStringLiteral("delete from 街道; drop table 街道")));
    EXPECT_EQ(count("select * from 街道"), 1);
    EXPECT_TRUE(db_execute(conn, QStringLiteral("delete from 街道 ;")));
    EXPECT_EQ(count("select * from 街道"), 0);
}

TEST_F(DbTest, RecordSetFieldsByNameAndPosition) {
    exec(
        "insert into 用户信息表 (户号,用户名,建档时间,性质,物业面积) values "
        "('0001','张三','2024-1-5',1,10.5)");
    exec(
        "insert into 用户信息表 (户号,用户名,建档时间,性质,物业面积) values "
        "('0002','李四','2024-1-6 8:30:0',0,3)");
    exec("insert into 用户信息表 (户号) values ('0003')");
    exec("update 用户信息表 set 物业面积=0.1+0.2 where 户号='0002'");
    ASSERT_TRUE(recordset_open(
        rs, QStringLiteral(
                "select 编号,户号,用户名,建档时间,性质,物业面积 from 用户信息表 order by 编号")));
    EXPECT_EQ(recordset_record_count(rs), 3);
    EXPECT_EQ(recordset_field_count(rs), 6);
    EXPECT_EQ(recordset_field_name(rs, 1), QStringLiteral("户号"));

    EXPECT_FALSE(recordset_eof(rs));
    EXPECT_EQ(recordset_field_text(rs, QStringLiteral("户号")), QStringLiteral("0001"));
    EXPECT_EQ(recordset_field_text(rs, 1), QStringLiteral("0001"));
    EXPECT_EQ(recordset_field_text(rs, QStringLiteral("编号")), QStringLiteral("1"));
    EXPECT_EQ(recordset_field_text(rs, QStringLiteral("物业面积")), QStringLiteral("10.5"));
    EXPECT_DOUBLE_EQ(recordset_field_number(rs, 5), 10.5);
    EXPECT_DOUBLE_EQ(recordset_field_number(rs, QStringLiteral("户号")), 1.0);  // leading zeros
    EXPECT_EQ(recordset_field_text(rs, QStringLiteral("建档时间")), QStringLiteral("2024-01-05"));
    EXPECT_EQ(recordset_field_date(rs, QStringLiteral("建档时间")),
              QDateTime(QDate(2024, 1, 5), QTime(0, 0)));
    EXPECT_TRUE(recordset_field_bool(rs, QStringLiteral("性质")));
    EXPECT_FALSE(recordset_field_is_null(rs, 2));
    EXPECT_DOUBLE_EQ(recordset_field_number(rs, QStringLiteral("用户名")), 0.0);  // not a number

    recordset_move_next(rs);
    EXPECT_EQ(recordset_field_text(rs, 5), QStringLiteral("0.3"));  // 0.30000000000000004
    EXPECT_EQ(recordset_field_date(rs, 3), QDateTime(QDate(2024, 1, 6), QTime(8, 30)));
    EXPECT_FALSE(recordset_field_bool(rs, 4));

    recordset_move_next(rs);  // the row of NULLs
    for (int i = 2; i < 6; ++i) {
        EXPECT_TRUE(recordset_field_is_null(rs, i));
        EXPECT_EQ(recordset_field_text(rs, i), QString());
        EXPECT_EQ(recordset_field_number(rs, i), 0.0);
        EXPECT_FALSE(recordset_field_date(rs, i).isValid());
        EXPECT_FALSE(recordset_field_bool(rs, i));
    }
    recordset_move_next(rs);
    EXPECT_TRUE(recordset_eof(rs));
    EXPECT_EQ(recordset_field_text(rs, 1), QString());  // past the end reads like NULL
    recordset_move_first(rs);
    EXPECT_EQ(recordset_field_text(rs, 1), QStringLiteral("0001"));
    recordset_close(rs);
    EXPECT_FALSE(recordset_is_open(rs));
    EXPECT_TRUE(recordset_eof(rs));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(DbTest, FieldNamesWithoutRegardToCaseAndQualified) {
    exec("create table t (Amount float, Flag text)");
    exec("insert into t values (3, '真')");
    exec("insert into t values (-2.5, 'false')");
    ASSERT_TRUE(recordset_open(rs, QStringLiteral("select * from t")));
    EXPECT_EQ(recordset_field_text(rs, QStringLiteral("AMOUNT")), QStringLiteral("3"));
    EXPECT_EQ(recordset_field_text(rs, QStringLiteral("t.amount")), QStringLiteral("3"));
    EXPECT_TRUE(recordset_field_bool(rs, QStringLiteral("flag")));
    EXPECT_EQ(recordset_field_index(rs, QStringLiteral("nothing")), -1);
    EXPECT_EQ(recordset_field_text(rs, QStringLiteral("nothing")), QString());
    recordset_move_next(rs);
    EXPECT_EQ(recordset_field_text(rs, 0), QStringLiteral("-2.5"));
    EXPECT_TRUE(recordset_field_bool(rs, 0));
    EXPECT_FALSE(recordset_field_bool(rs, 1));
}

TEST_F(DbTest, WholeTableByName) {
    exec("insert into 街道(街道) values ('东街')");
    exec("insert into 街道(街道) values ('西街')");
    ASSERT_TRUE(recordset_open_table(rs, QStringLiteral("街道")));
    EXPECT_EQ(recordset_record_count(rs), 2);
    EXPECT_EQ(recordset_field_text(rs, 0), QStringLiteral("东街"));  // insertion order
}

TEST_F(DbTest, FailedOpenShowsTheProviderErrorInAPlainBox) {
    EXPECT_FALSE(recordset_open(rs, QStringLiteral("select * from 没有的表")));
    EXPECT_FALSE(recordset_is_open(rs));
    EXPECT_EQ(recordset_record_count(rs), 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(ui.boxes[0].text.contains(QStringLiteral("no such table: 没有的表")));
    EXPECT_EQ(ui.boxes[0].caption, QString());
    EXPECT_EQ(ui.boxes[0].icon, MsgIcon::None);
    EXPECT_EQ(db_last_error(conn), ui.boxes[0].text);

    EXPECT_FALSE(recordset_open_table(rs, QStringLiteral("没有的表")));
    EXPECT_EQ(ui.boxes.size(), 2u);

    RecordSet unbound;
    EXPECT_FALSE(recordset_open(unbound, QStringLiteral("select * from 街道")));
    EXPECT_EQ(ui.boxes.size(), 3u);
}

TEST_F(DbTest, TransactionsRollBackOrCommit) {
    {
        Transaction tx(conn);
        ASSERT_TRUE(tx.active());
        exec("insert into 街道(街道) values ('东街')");
        exec("insert into 街道(街道) values ('西街')");
        EXPECT_EQ(count("select * from 街道"), 2);
        tx.rollback();
        EXPECT_FALSE(tx.active());
    }
    EXPECT_EQ(count("select * from 街道"), 0);
    {
        Transaction tx(conn);
        exec("insert into 街道(街道) values ('南街')");
    }  // not committed: rolled back
    EXPECT_EQ(count("select * from 街道"), 0);
    {
        Transaction tx(conn);
        exec("insert into 街道(街道) values ('东街')");
        // A failing statement inside keeps what was written before it.
        EXPECT_FALSE(db_execute(conn, QStringLiteral("insert into 没有的表 values (1)")));
        {
            Transaction inner(conn);
            exec("insert into 街道(街道) values ('内街')");
        }
        EXPECT_TRUE(tx.commit());
    }
    EXPECT_EQ(count("select * from 街道"), 1);
    db_close(conn);
    ASSERT_TRUE(db_open_access_file(conn, path));
    EXPECT_EQ(first_text("select 街道 from 街道"), QStringLiteral("东街"));
}

// A transaction of work tables commits without waiting for the disk; every other commit, and
// one nested in a transaction of the register, still waits.
TEST_F(DbTest, OnlyAnOutermostWorkTableTransactionCommitsWithoutWaitingForTheDisk) {
    const auto sync = [this] { return pragma_value(conn, "PRAGMA synchronous"); };
    const QString full = QStringLiteral("2"), normal = QStringLiteral("1");
    EXPECT_EQ(sync(), full);
    {
        Transaction work(conn, Commit::WorkTablesOnly);
        ASSERT_TRUE(work.active());
        EXPECT_EQ(sync(), normal);
        exec("insert into 街道(街道) values ('东街')");
        EXPECT_TRUE(work.commit());
        EXPECT_EQ(sync(), full);
    }
    {
        Transaction work(conn, Commit::WorkTablesOnly);
        EXPECT_EQ(sync(), normal);
    }  // rolled back
    EXPECT_EQ(sync(), full);
    {
        Transaction money(conn);
        Transaction work(conn, Commit::WorkTablesOnly);
        EXPECT_EQ(sync(), full);
        EXPECT_TRUE(work.commit());
        EXPECT_TRUE(money.commit());
    }
    EXPECT_EQ(sync(), full);
    EXPECT_EQ(count("select * from 街道"), 1);
}

// The print database is a scratch file: laid afresh over the last one, written without a
// journal file or a wait for the disk, and left as one file that a fresh open reads.
TEST_F(DbTest, AScratchFileIsLaidAfreshAndLeftAsOneFile) {
    const QString shipped = dir.filePath(QStringLiteral("print.bak"));
    const QString scratch = dir.filePath(QStringLiteral("print.mdb"));
    sqlite3* plain = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(shipped).constData(), &plain), SQLITE_OK);
    sqlite3_exec(plain, "create table 用户信息 (户号 text)", nullptr, nullptr, nullptr);
    sqlite3_close(plain);
    QFile last(scratch);
    ASSERT_TRUE(last.open(QIODevice::WriteOnly));
    last.write("what the last receipt left");
    last.close();

    ASSERT_TRUE(file_copy_scratch(shipped, scratch));
    Connection print;
    ASSERT_TRUE(db_open_scratch_file(print, scratch)) << db_last_error(print).toStdString();
    EXPECT_EQ(pragma_value(print, "PRAGMA journal_mode"), QStringLiteral("memory"));
    EXPECT_EQ(pragma_value(print, "PRAGMA synchronous"), QStringLiteral("0"));
    EXPECT_TRUE(db_execute(print, QStringLiteral("insert into 用户信息 (户号) values ('0001')")));
    db_close(print);
    for (const QString& file : files()) EXPECT_FALSE(file.startsWith(QStringLiteral("print.mdb-")));
    Connection again;
    ASSERT_TRUE(db_open_scratch_file(again, scratch));
    RecordSet rows;
    recordset_bind_connection(rows, again);
    ASSERT_TRUE(recordset_open(rows, QStringLiteral("select 户号 from 用户信息")));
    EXPECT_EQ(recordset_record_count(rows), 1);
    db_close(again);
}

// A second program on the same file: its work waits for the first program's write to end
// instead of failing at once with "数据库正被占用", also when it read before it wrote.
TEST_F(DbTest, ASecondConnectionWaitsForTheFilesWriteLock) {
    Connection other;
    ASSERT_TRUE(db_open_access_file(other, path));
    sqlite3* holder = db_handle(other);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE; INSERT INTO 街道(街道) VALUES ('先')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    // The holder lets go a moment after the waiting side has asked for the lock.
    std::thread release([holder] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    });
    bool begun = false, written = false, committed = false;
    {
        Transaction tx(conn);
        begun = tx.active();
        written = begun && db_execute(conn, QStringLiteral("insert into 街道(街道) values ('后')"));
        committed = written && tx.commit();
    }
    release.join();
    EXPECT_TRUE(begun) << db_last_error(conn).toStdString();
    EXPECT_TRUE(written) << db_last_error(conn).toStdString();
    EXPECT_TRUE(committed) << db_last_error(conn).toStdString();
    EXPECT_EQ(count("select * from 街道"), 2);
    db_close(other);
}

TEST_F(DbTest, ClosedDatabaseIsOneFile) {
    exec("insert into 街道(街道) values ('东街')");
    EXPECT_TRUE(QFile::exists(path + QStringLiteral("-wal")));  // the journal is in use while open
    db_close(conn);
    EXPECT_FALSE(db_is_open(conn));
    EXPECT_EQ(files(), QStringList{QStringLiteral("DATA.mdb")});
    // The copy is a complete database on its own.
    const QString copy = dir.filePath(QStringLiteral("copy.mdb"));
    ASSERT_TRUE(QFile::copy(path, copy));
    Connection other;
    ASSERT_TRUE(db_open_access_file(other, copy));
    RecordSet r;
    recordset_bind_connection(r, other);
    ASSERT_TRUE(recordset_open(r, QStringLiteral("select * from 街道")));
    EXPECT_EQ(recordset_record_count(r), 1);
}

TEST_F(DbTest, FileHoldsNoReadableText) {
    const QString secret = QStringLiteral("机密户名ZhangSan12345");
    ASSERT_TRUE(
        db_execute(conn, QStringLiteral("insert into 用户信息表 (户号,用户名) values ('0001',") +
                             sql_quote(secret) + ")"));
    db_close(conn);
    const QByteArray bytes = harness::read_bytes(path);
    ASSERT_GT(bytes.size(), 0);
    EXPECT_FALSE(bytes.contains(secret.toUtf8()));
    EXPECT_FALSE(bytes.contains("ZhangSan12345"));
    EXPECT_FALSE(bytes.contains("SQLite format 3"));
    EXPECT_FALSE(bytes.contains(QStringLiteral("用户信息表").toUtf8()));
}

TEST_F(DbTest, RecordSetsWorkAfterReopen) {
    exec("insert into 街道(街道) values ('东街')");
    db_close(conn);
    ASSERT_TRUE(db_open_access_file(conn, path));
    ASSERT_TRUE(recordset_open(rs, QStringLiteral("select * from 街道")));
    EXPECT_EQ(recordset_record_count(rs), 1);
}

TEST_F(DbTest, DatesAreStoredSortableAndFoundByLiterals) {
    exec("insert into 日志管理 (操作人员,发生时间,备注) values ('张三','2012-9-8 7:5:3','a')");
    exec("insert into 日志管理 (操作人员,发生时间,备注) values ('张三','2012-9-10','b')");
    exec("insert into 日志管理 (操作人员,发生时间,备注) values ('李四','2012-10-1 0:0:0','c')");
    EXPECT_EQ(first_text("select 发生时间 from 日志管理 where 备注='a'"),
              QStringLiteral("2012-09-08 07:05:03"));
    EXPECT_EQ(first_text("select 发生时间 from 日志管理 where 备注='c'"),
              QStringLiteral("2012-10-01"));
    EXPECT_EQ(count("select * from 日志管理 where 发生时间>=#2012-9-8 0:0:0# and "
                    "发生时间<=#2012-9-8 23:59:59#"),
              1);
    EXPECT_EQ(
        count("select * from 日志管理 where 发生时间 between '2012-9-1' and '2012-9-30 23:59:59'"),
        2);
    EXPECT_EQ(first_text("select top 1 备注 from 日志管理 order by 发生时间 DESC"),
              QStringLiteral("c"));
    EXPECT_EQ(count("select * from 日志管理 where 操作人员='张三'"), 2);
    EXPECT_EQ(count("select * from 日志管理 where 操作人员='ZHANG'"), 0);
    exec("insert into 日志管理 (操作人员) values ('x')");
    EXPECT_EQ(count("select * from 日志管理 where 发生时间=null"), 1);
    EXPECT_EQ(count("select * from 日志管理 where 发生时间<>null"), 3);
}

// NUL ends a text in SQLite's tokenizer, a lone surrogate half has no UTF-8 form: both are
// dropped where a value enters a statement, and the rest of the text goes in whole.
TEST_F(DbTest, NulAndLoneSurrogatesNeverReachTheDatabase) {
    QString odd = QStringLiteral("王");
    odd += QChar(0);
    odd += QStringLiteral("小");
    odd += QChar(0xD800);
    odd += QStringLiteral("明");
    odd += QChar(0xDC00);
    odd += QStringLiteral("😀");
    EXPECT_TRUE(db_execute(conn, QStringLiteral("insert into 街道(街道) values (") + sql_quote(odd) +
                                     u')'))
        << db_last_error(conn).toStdString();
    EXPECT_EQ(first_text("select 街道 from 街道"), QStringLiteral("王小明😀"));
    EXPECT_EQ(clean_text(odd), QStringLiteral("王小明😀"));
    EXPECT_TRUE(text_is_clean(QStringLiteral("王小明😀")));
    EXPECT_FALSE(text_is_clean(odd));
}

TEST_F(DbTest, TextComparesWithoutRegardToCase) {
    exec("insert into 用户信息表 (户号,用户名) values ('A01','Wang')");
    EXPECT_EQ(count("select * from 用户信息表 where 户号='a01' and 用户名 like 'WA%'"), 1);
}

TEST_F(DbTest, DuplicateColumnIsRecognised) {
    EXPECT_TRUE(exec("ALTER TABLE 用户信息表 ADD COLUMN 停车费 float"));
    EXPECT_FALSE(db_error_is_duplicate_column(conn));
    EXPECT_FALSE(
        db_execute(conn, QStringLiteral("ALTER TABLE 用户信息表 ADD COLUMN 停车费 float")));
    EXPECT_TRUE(db_error_is_duplicate_column(conn)) << db_last_error(conn).toStdString();
    EXPECT_FALSE(db_execute(conn, QStringLiteral("select * from 没有的表")));
    EXPECT_FALSE(db_error_is_duplicate_column(conn));
}

TEST_F(DbTest, SelectIntoKeepsDateColumns) {
    exec("insert into 用户信息表 (户号,用户名,建档时间,性质) values ('0001','张三','2024-1-5',0)");
    exec("insert into 用户信息表 (户号,用户名,建档时间,性质) values ('0002','李四','2024-2-5',1)");
    qint64 rows = 0;
    ASSERT_TRUE(exec("select 户号,建档时间,性质 into 备份 from 用户信息表 where 性质=0", &rows));
    EXPECT_EQ(rows, 1);
    ASSERT_TRUE(recordset_open(rs, QStringLiteral("PRAGMA table_info(备份)")));
    QStringList types;
    for (; !recordset_eof(rs); recordset_move_next(rs))
        types << recordset_field_text(rs, QStringLiteral("type"));
    EXPECT_EQ(types, (QStringList{QStringLiteral("TEXT"), QStringLiteral("DATE"),
                                  QStringLiteral("INTEGER")}));
    // The new table's date column is known at once: a quoted date written into it is stored
    // in the sortable form, and its text column compares without regard to case.
    exec("insert into 备份 (户号,建档时间) values ('X9','2024-3-7')");
    EXPECT_EQ(first_text("select 建档时间 from 备份 where 户号='x9'"),
              QStringLiteral("2024-03-07"));
    // A table that exists already is not overwritten.
    EXPECT_FALSE(db_execute(conn, QStringLiteral("select 户号 into 备份 from 用户信息表")));
    EXPECT_EQ(count("select * from 备份"), 2);
}

TEST_F(DbTest, CreateTableWithAccessTypes) {
    exec(
        "CREATE TABLE [T_WSFCX张三]([编号] identity primary key,[户号] varchar(50),[起数] float,"
        "[抄表日期] date,[收据号] int,[性质] bit)");
    exec(
        "INSERT INTO [T_WSFCX张三](户号,起数,抄表日期,收据号,性质) values "
        "('a1',1.5,'2024-1-5',7,true)");
    exec(
        "INSERT INTO [T_WSFCX张三](户号,起数,抄表日期,收据号,性质) values "
        "('a2',2,'2024-1-6',8,false)");
    ASSERT_TRUE(recordset_open(
        rs, QStringLiteral("select * from [T_WSFCX张三] where 户号='A1' order by 编号")));
    ASSERT_EQ(recordset_record_count(rs), 1);
    EXPECT_EQ(recordset_field_text(rs, QStringLiteral("编号")), QStringLiteral("1"));
    EXPECT_EQ(recordset_field_text(rs, QStringLiteral("抄表日期")), QStringLiteral("2024-01-05"));
    EXPECT_TRUE(recordset_field_bool(rs, QStringLiteral("性质")));
}

TEST_F(DbTest, MultiTableUpdateChangesMatchedRowsOnly) {
    exec(
        "create table 抄表信息 (编号 identity primary key,户号 varchar(50),起方 float,用量 float)");
    exec("insert into 抄表信息 (户号,起方,用量) values ('01',0,0)");
    exec("insert into 抄表信息 (户号,起方,用量) values ('02',0,0)");
    exec("insert into 抄表信息 (户号,起方,用量) values ('03',-1,-1)");
    exec("insert into 抄表总表 (户号,起方,止方,收据号) values ('01',0,10,1)");
    exec("insert into 抄表总表 (户号,起方,止方,收据号) values ('01',10,25,2)");
    exec("insert into 抄表总表 (户号,起方,止方,收据号) values ('02',5,7,3)");
    qint64 rows = 0;
    ASSERT_TRUE(
        exec("update 抄表信息,(select 户号,止方,止方-起方 as 用量 from 抄表总表 where 编号 in "
             "(select max(编号) from 抄表总表 group by 户号)) as T1 set "
             "抄表信息.起方=T1.止方,抄表信息.用量=T1.用量 where 抄表信息.户号=T1.户号",
             &rows));
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(first_text("select 起方 from 抄表信息 where 户号='01'"), QStringLiteral("25"));
    EXPECT_EQ(first_text("select 用量 from 抄表信息 where 户号='01'"), QStringLiteral("15"));
    EXPECT_EQ(first_text("select 起方 from 抄表信息 where 户号='02'"), QStringLiteral("7"));
    EXPECT_EQ(first_text("select 起方 from 抄表信息 where 户号='03'"), QStringLiteral("-1"));
    ASSERT_TRUE(
        exec("update 抄表信息,抄表总表 set 抄表信息.用量=抄表总表.收据号 where "
             "抄表信息.户号=抄表总表.户号 and 抄表总表.收据号=3",
             &rows));
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(first_text("select 用量 from 抄表信息 where 户号='02'"), QStringLiteral("3"));
    // Two columns of a work table from the readings its receipts name; a receipt without a
    // reading keeps its values.
    exec("create table T_WSFCX张三 (收据号 int,起数 float,止数 float)");
    for (const char* receipt : {"2", "9", "3"})
        exec(QStringLiteral("insert into T_WSFCX张三 values (%1,-1,-1)").arg(receipt).toUtf8());
    ASSERT_TRUE(
        exec("update T_WSFCX张三,抄表总表 set T_WSFCX张三.起数=抄表总表.起方,"
             "T_WSFCX张三.止数=抄表总表.止方 where T_WSFCX张三.收据号=抄表总表.收据号",
             &rows));
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(count("select * from T_WSFCX张三 where 收据号=2 and 起数=10 and 止数=25"), 1);
    EXPECT_EQ(count("select * from T_WSFCX张三 where 收据号=3 and 起数=5 and 止数=7"), 1);
    EXPECT_EQ(count("select * from T_WSFCX张三 where 收据号=9 and 起数=-1 and 止数=-1"), 1);
    // A failing joined update leaves nothing behind, not even its scratch table.
    EXPECT_FALSE(db_execute(
        conn,
        QStringLiteral(
            "update 抄表信息,抄表总表 set 抄表信息.没有=1 where 抄表信息.户号=抄表总表.户号")));
    EXPECT_TRUE(
        exec("update 抄表信息,抄表总表 set 抄表信息.用量=0 where 抄表信息.户号=抄表总表.户号"));
}

// A bridge that records what it was asked.
class FakeBridge : public ExcelBridge {
public:
    bool read_sheet(Connection& c, const QString& f, const QString& s, const QString& t,
                    QString* error) override {
        calls << QStringLiteral("read|%1|%2|%3").arg(f, s, t);
        if (fail) {
            *error = QStringLiteral("External table is not in the expected format.");
            return false;
        }
        // A bridge makes the table through the layer; its date column is known afterwards.
        return db_execute(c, QStringLiteral("create table [%1] (户号 text, 日期 date)").arg(t)) &&
               db_execute(c, QStringLiteral("insert into [%1] values ('1','2024-1-2')").arg(t));
    }
    bool write_sheet(Connection&, const QString& f, const QString& s, const QString& sql,
                     QString*) override {
        calls << QStringLiteral("write|%1|%2|%3").arg(f, s, sql);
        return true;
    }
    QStringList calls;
    bool fail = false;
};

TEST_F(DbTest, ExcelStatementsGoToTheBridge) {
    const char read[] =
        "SELECT * INTO 导入暂存表 FROM [Excel 8.0;DATABASE=/tmp/户 表.xls].[Sheet1$] ";
    const char write[] =
        "SELECT 户号,用户名 INTO [Excel 8.0;Database=/tmp/out.xlsx].[Sheet1] FROM 用户信息表  "
        "ORDER BY 编号";
    set_excel_bridge(nullptr);
    EXPECT_FALSE(db_execute(conn, QString::fromUtf8(read)));
    EXPECT_TRUE(db_last_error(conn).contains(QStringLiteral("Excel")));

    FakeBridge bridge;
    set_excel_bridge(&bridge);
    qint64 rows = 0;
    EXPECT_TRUE(exec(read, &rows));
    EXPECT_EQ(rows, 1);
    EXPECT_TRUE(exec(write));
    ASSERT_EQ(bridge.calls.size(), 2);
    EXPECT_EQ(bridge.calls[0], QStringLiteral("read|/tmp/户 表.xls|Sheet1|导入暂存表"));
    EXPECT_EQ(bridge.calls[1],
              QStringLiteral(
                  "write|/tmp/out.xlsx|Sheet1|SELECT 户号,用户名 FROM 用户信息表  ORDER BY 编号"));
    exec("insert into 导入暂存表 values ('2','2024-3-4')");
    EXPECT_EQ(count("select * from 导入暂存表 where 日期=#2024-3-4#"), 1);

    bridge.fail = true;
    EXPECT_FALSE(db_execute(conn, QString::fromUtf8(read)));
    EXPECT_EQ(db_last_error(conn), QStringLiteral("External table is not in the expected format."));
}

}  // namespace
