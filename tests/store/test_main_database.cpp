// The main database: opening with the key only, one file after closing, and the schema upgrade.
#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>

#include "harness/file_helpers.h"
#include "harness/fixture.h"
#include "platform/db.h"
#include "platform/db_key.h"
#include "platform/files.h"
#include "store/main_database.h"

namespace {

using harness::ProgramFolderTest;

class MainDatabaseTest : public ProgramFolderTest {};

// Replaces DATA.mdb by a keyed database made of the given statements.
void write_database(const QString& path, const QStringList& statements) {
    QFile::remove(path);
    harness::write_database(path, platform::kDatabasePassword, statements);
}

// The tables the upgrade touches, as a version 2.0 database has them.
QStringList version_2_0_schema(bool with_property_category) {
    QStringList s = {
        "CREATE TABLE 版本 (版本号 TEXT)",
        "INSERT INTO 版本 VALUES ('2.0')",
        QString("CREATE TABLE 用户信息表 (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 户号 TEXT, 用户名 TEXT%1)")
            .arg(with_property_category ? ", 物业类别 TEXT" : ""),
        "CREATE TABLE 查询列 (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 类名 TEXT, 列名 TEXT, 显示 TEXT, "
        "列宽 INTEGER, 排序 INTEGER)",
        "INSERT INTO 查询列 (类名,列名,显示,列宽,排序) VALUES ('用户信息','户号','真',80,1)",
        "INSERT INTO 查询列 (类名,列名,显示,列宽,排序) VALUES ('用户信息','备注','真',80,15)",
        "INSERT INTO 查询列 (类名,列名,显示,列宽,排序) VALUES ('已抄表查询','收费项目','真',70,1)",
        "INSERT INTO 查询列 (类名,列名,显示,列宽,排序) VALUES ('已抄表查询','户号','真',80,2)",
        "INSERT INTO 查询列 (类名,列名,显示,列宽,排序) VALUES ('已抄表查询','抄表日期','真',90,3)",
        "CREATE TABLE 抄表员 (抄表员 TEXT)",
        "CREATE TABLE 权限项目 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 项目名称 TEXT, 父项目 TEXT, 首项 INTEGER)",
        "CREATE TABLE 总收费 (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 收据号 INTEGER)",
        "CREATE TABLE 抄表总表 (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 户号 TEXT)",
        "CREATE TABLE 抄表管理 (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 户号 TEXT)",
    };
    return s;
}

TEST_F(MainDatabaseTest, ShippedDatabaseOpensOnlyWithTheKeyAndHoldsNoReadableText) {
    EXPECT_EQ(value("select 版本号 from 版本"), "2.2");
    store::close_main_database();

    QFile file(path(platform::kMainDatabaseFile));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    for (const char* text : {"SQLite format", "管理员", "查询列", "用户信息表", "CREATE TABLE"})
        EXPECT_FALSE(bytes.contains(QByteArray(text))) << text;

    platform::Connection other;
    EXPECT_FALSE(platform::db_open_access_file(other, path(platform::kMainDatabaseFile),
                                               QStringLiteral("not the password!!")));
    EXPECT_FALSE(platform::db_is_open(other));
    // The failed open changed nothing.
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes);
    file.close();
    EXPECT_TRUE(store::reopen_main_database());
}

TEST_F(MainDatabaseTest, ClosingLeavesOneFileAndReopenRebindsTheRecordSets) {
    exec("insert into 街道 (街道) values ('东风路')");
    store::close_main_database();
    const QStringList files = QDir(path("DATA")).entryList(QDir::Files);
    EXPECT_EQ(files, QStringList{"DATA.mdb"});

    ASSERT_TRUE(store::reopen_main_database());
    platform::RecordSet& rs = store::main_recordset(4);
    ASSERT_TRUE(platform::recordset_open(rs, "select 街道 from 街道"));
    ASSERT_EQ(platform::recordset_record_count(rs), 1);
    EXPECT_EQ(platform::recordset_field_text(rs, 0), "东风路");
    platform::recordset_close(rs);
}

TEST_F(MainDatabaseTest, OpeningAMissingFileFailsAndCreatesNothing) {
    store::close_main_database();
    QFile::remove(path(platform::kMainDatabaseFile));
    EXPECT_FALSE(store::open_main_database());
    EXPECT_FALSE(QFile::exists(path(platform::kMainDatabaseFile)));
}

TEST_F(MainDatabaseTest, ShippedDatabaseNeedsNoUpgrade) {
    const qint64 columns = count("select count(*) from 查询列");
    store::upgrade_database_schema();
    EXPECT_EQ(store::schema_version(), "2.2");
    EXPECT_EQ(count("select count(*) from 查询列"), columns);
}

// The name of the index a CREATE INDEX statement makes.
QString index_name(const char* statement) {
    const QString text = QString::fromUtf8(statement);
    const qsizetype from = text.indexOf(QStringLiteral("EXISTS ")) + 7;
    return text.mid(from, text.indexOf(QStringLiteral(" ON ")) - from);
}

TEST_F(MainDatabaseTest, EverydayIndexesShipAndAreRestoredByTheUpgrade) {
    for (const char* statement : store::kEverydayIndexes)
        EXPECT_EQ(count("select count(*) from sqlite_master where type='index' and name='" +
                        index_name(statement) + "'"),
                  1)
            << statement;
    // A database shipped before them gets them at the next start.
    for (const char* statement : store::kEverydayIndexes)
        exec("DROP INDEX " + index_name(statement));
    exec("CREATE INDEX 总收费_户号 ON 总收费 (户号)");
    exec("CREATE INDEX 用户表管理_户号 ON 用户表管理 (户号)");
    exec("CREATE INDEX 总收费_未收 ON 总收费 (户号, 收据号) WHERE 收费标志=1");
    exec("CREATE INDEX 用户信息表_户号 ON 用户信息表 (户号)");
    exec("CREATE INDEX 用户信息表_居住街道 ON 用户信息表 (居住街道)");
    exec("CREATE INDEX 用户表管理_父号 ON 用户表管理 (父号)");
    exec("CREATE INDEX 总收费_收费日期 ON 总收费 (收费日期)");
    exec("CREATE INDEX 总收费_抄表日期 ON 总收费 (抄表日期)");
    exec("CREATE INDEX 抄表总表_抄表日期 ON 抄表总表 (抄表日期)");
    // Building them is the long work of a start on a big register: told index by index.
    std::vector<std::pair<int, int>> told;
    const auto progress = [&told](int done, int total) { told.emplace_back(done, total); };
    store::upgrade_database_schema(progress);
    const int total = static_cast<int>(std::size(store::kEverydayIndexes));
    ASSERT_EQ(told.size(), static_cast<size_t>(total + 1));
    for (int k = 0; k <= total; ++k) EXPECT_EQ(told[k], std::make_pair(k, total));
    // A start with nothing to build tells nothing, so no window shows.
    told.clear();
    store::upgrade_database_schema(progress);
    EXPECT_TRUE(told.empty());
    for (const char* statement : store::kEverydayIndexes)
        EXPECT_EQ(count("select count(*) from sqlite_master where type='index' and name='" +
                        index_name(statement) + "'"),
                  1)
            << statement;
    // The reading order of a new account is found in the index, not by reading the table.
    QString plan;
    for (const QStringList& row : rows("EXPLAIN QUERY PLAN select count(*),max(抄表序号) from "
                                       "用户表管理 where 抄表人员='系统'"))
        plan += row.join(' ');
    EXPECT_TRUE(plan.contains("COVERING INDEX 用户表管理_抄表人员序号")) << plan.toStdString();
    // Each of these is a seek, not a read of the whole history: a bill's surcharge lines, a
    // household's latest bill (no sort of its bills), its unpaid bills, its bills that took from
    // a prepayment, and its readings not billed yet; and what the balances sum per household (its
    // unpaid amounts, its deductions, its meter accounts) from the index alone.
    const struct {
        const char* query;
        const char* index;
    } seeks[] = {
        {"select * from 月附加费 where 收据号=1000000001", "INDEX 月附加费_收据号"},
        {"select 本月接转 from 总收费 where 户号='0001' and 标志=1 order by 收据号 desc limit 1",
         "INDEX 总收费_户号收据号"},
        {"select 收据号 from 总收费 where 收费标志=1 and 标志=1 and 户号='0001' order by 收据号",
         "INDEX 总收费_未收金额"},
        {"select sum(预存扣款) from 总收费 where 标志=1 and 预存扣款>0 and 户号='0001'",
         "INDEX 总收费_预存扣款"},
        // The household of a bill keyed by a meter account, asked of every bill a report reads.
        {"select max(父号) from 用户表管理 where 户号='000101'", "COVERING INDEX 用户表管理_户号父号"},
        {"select total(实收金额) from 总收费 where 户号='0001' and 标志=1 and 收费标志=1",
         "COVERING INDEX 总收费_未收金额"},
        {"select total(预存扣款) from 总收费 where 户号='0001' and 标志=1 and 预存扣款<>0",
         "COVERING INDEX 总收费_预存扣款额"},
        {"select 户号 from 用户表管理 where 父号='0001'", "COVERING INDEX 用户表管理_父号户号"},
        // The street of a reading's household and a household's accounts by state, asked by
        // the reading statistics of every reading and every household.
        {"select 居住街道 from 用户信息表 where 户号='0001'", "COVERING INDEX 用户信息表_户号街道"},
        {"select count(*) from 用户表管理 where 父号='0001' and 状态='正常'",
         "COVERING INDEX 用户表管理_父号状态"},
        // A period's bills and readings as the charge reports read them, from the index alone.
        {"select 收费人员,户号,流水号,收费标志,实收金额,预存扣款 from 总收费 where "
         "收费日期>='2024-03-01' and 收费日期<='2024-03-31' and 标志=1",
         "COVERING INDEX 总收费_收费日期金额"},
        {"select total(实收金额),total(预存扣款) from 总收费 where 抄表日期>='2024-03-01' and "
         "抄表日期<='2024-03-31' and 标志=1 and 收费标志=1",
         "COVERING INDEX 总收费_抄表日期金额"},
        {"select 父号,用量 from 抄表总表 where 抄表日期>='2024-03-01' and 抄表日期<='2024-03-31'",
         "COVERING INDEX 抄表总表_抄表日期父号"},
        {"select 编号 from 抄表总表 where 抄表总表.是否收费=0 and 抄表总表.父号='0001' and "
         "抄表总表.收费项目='水费' order by 抄表总表.编号",
         "INDEX 抄表总表_未收费"},
    };
    for (const auto& seek : seeks) {
        plan.clear();
        for (const QStringList& row : rows(QStringLiteral("EXPLAIN QUERY PLAN ") + seek.query))
            plan += row.join(' ');
        EXPECT_TRUE(plan.contains(seek.index) && !plan.contains("TEMP B-TREE FOR ORDER"))
            << plan.toStdString();
    }
    // The indexes the household's bills and its unpaid bills had before are replaced, not kept
    // beside.
    EXPECT_EQ(count("select count(*) from sqlite_master where name='总收费_户号'"), 0);
    EXPECT_EQ(count("select count(*) from sqlite_master where name='用户表管理_户号'"), 0);
    EXPECT_EQ(count("select count(*) from sqlite_master where name='总收费_未收'"), 0);
    for (const char* replaced : {"用户信息表_户号", "用户信息表_居住街道", "用户表管理_父号",
                                 "总收费_收费日期", "总收费_抄表日期", "抄表总表_抄表日期"})
        EXPECT_EQ(count(QStringLiteral("select count(*) from sqlite_master where name='") +
                        QString::fromUtf8(replaced) + "'"),
                  0)
            << replaced;
    EXPECT_EQ(store::schema_version(), "2.2");
}

// The per-reader count of meter accounts follows every insert, delete and change of reader, and
// a database without it gets it, counted from its accounts, at the next start.
// Building one index over a big table is one long statement: progress is told while it runs, not
// only between statements, so the window that shows it stays painted.
TEST_F(MainDatabaseTest, ProgressIsToldWhileAnIndexIsBeingBuilt) {
    exec("insert into 总收费 (户号,收据号,收费日期,标志,收费标志,实收金额) select "
         "substr('00000'||(x%5000),-6),1000000000+x,date('2020-01-01','+'||(x%1000)||' days'),1,"
         "x%2,x%97 from (with recursive n(x) as (select 0 union all select x+1 from n where "
         "x<59999) select x from n)");
    exec("DROP INDEX 总收费_收费日期金额");
    sqlite3* db = platform::db_handle(store::main_connection());
    int during_a_statement = 0;
    store::upgrade_database_schema([&](int, int) {
        for (sqlite3_stmt* st = sqlite3_next_stmt(db, nullptr); st; st = sqlite3_next_stmt(db, st))
            if (sqlite3_stmt_busy(st)) {
                ++during_a_statement;
                break;
            }
    });
    EXPECT_GT(during_a_statement, 0);
    EXPECT_EQ(count("select count(*) from sqlite_master where name='总收费_收费日期金额'"), 1);
}

TEST_F(MainDatabaseTest, ReaderCountsFollowTheMeterAccounts) {
    const auto counts_match = [this] {
        return rows("select 抄表人员, count(*) from 用户表管理 where 抄表人员 is not null "
                    "group by 抄表人员 order by 抄表人员") ==
               rows("select 抄表人员, 户数 from 抄表员户数 where 户数<>0 order by 抄表人员");
    };
    store::close_main_database();
    {
        // As a database shipped before the count has it.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path(platform::kMainDatabaseFile).toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_key(db, platform::kDatabasePassword, int(sizeof(platform::kDatabasePassword) - 1));
        for (const char* sql :
             {"DROP TRIGGER 用户表管理_户数_加", "DROP TRIGGER 用户表管理_户数_减",
              "DROP TRIGGER 用户表管理_户数_换", "DROP TABLE 抄表员户数",
              "INSERT INTO 用户表管理 (户号,抄表人员) VALUES ('000101','系统')",
              "INSERT INTO 用户表管理 (户号,抄表人员) VALUES ('000201','系统')",
              "INSERT INTO 用户表管理 (户号,抄表人员) VALUES ('000202','张三')",
              "INSERT INTO 用户表管理 (户号,抄表人员) VALUES ('000203',NULL)"})
            ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
        sqlite3_close(db);
    }
    ASSERT_TRUE(store::reopen_main_database());
    store::upgrade_database_schema();
    EXPECT_EQ(rows("select 抄表人员, 户数 from 抄表员户数 order by 抄表人员"),
              (QList<QStringList>{{"张三", "1"}, {"系统", "2"}}));

    exec("insert into 用户表管理 (户号,抄表人员) values ('000301','张三')");
    exec("insert into 用户表管理 (户号,抄表人员) values ('000302','李四')");
    EXPECT_TRUE(counts_match());
    exec("update 用户表管理 set 抄表人员='李四' where 户号='000101'");
    exec("update 用户表管理 set 抄表人员=null where 户号='000201'");
    exec("update 用户表管理 set 抄表人员='张三' where 户号='000203'");
    exec("update 用户表管理 set 抄表序号=5 where 户号='000202'");  // not a change of reader
    EXPECT_TRUE(counts_match());
    exec("delete from 用户表管理 where 抄表人员='张三'");
    EXPECT_TRUE(counts_match());
    EXPECT_EQ(value("select 户数 from 抄表员户数 where 抄表人员='李四'"), "2");
    // A second start changes nothing.
    store::upgrade_database_schema();
    EXPECT_TRUE(counts_match());
}

// The counter of the highest bill number given ships at nothing given; a database made before
// it starts it from the largest number on any reading, bill, surcharge line or reduction record,
// and a counter already above them is left where it is.
TEST_F(MainDatabaseTest, BillNumberCounterStartsFromEveryNumberWritten) {
    EXPECT_EQ(rows("select 名称, 最大号 from 号码计数"), (QList<QStringList>{{"收据号", "0"}}));
    const struct {
        const char* table;
        const char* insert;
    } largest_in[] = {
        {"抄表总表", "insert into 抄表总表 (户号,收据号) values ('x',1000000040)"},
        {"总收费", "insert into 总收费 (户号,收据号,标志) values ('x',1000000040,1)"},
        {"月附加费", "insert into 月附加费 (户号,收据号) values ('x',1000000040)"},
        {"减免明细", "insert into 减免明细 (户号,收据号) values ('x',1000000040)"},
    };
    for (const auto& c : largest_in) {
        SCOPED_TRACE(c.table);
        for (const char* table : {"抄表总表", "总收费", "月附加费", "减免明细"})
            exec(QStringLiteral("delete from ") + table);
        exec("insert into 抄表总表 (户号,收据号) values ('y',1000000007)");
        exec("insert into 总收费 (户号,收据号,标志) values ('y',1000000008,1)");
        exec(c.insert);
        exec("drop table 号码计数");
        store::upgrade_database_schema();
        EXPECT_EQ(value("select 最大号 from 号码计数 where 名称='收据号'"), "1000000040");
        // A counter row that went missing alone is started the same way.
        exec("delete from 号码计数");
        store::upgrade_database_schema();
        EXPECT_EQ(value("select 最大号 from 号码计数 where 名称='收据号'"), "1000000040");
    }
    exec("update 号码计数 set 最大号=1000000090");
    store::upgrade_database_schema();
    EXPECT_EQ(value("select 最大号 from 号码计数 where 名称='收据号'"), "1000000090");
}

// Triggers of the first shipped text (an update that may abort, so every write to 用户表管理
// kept an encrypted statement journal) are replaced at the next start and the counts made
// afresh; the shipped triggers are left as they are.
TEST_F(MainDatabaseTest, OlderReaderCountTriggersAreReplacedAndCountedAfresh) {
    const QString trigger_texts =
        "select group_concat(sql, ';') from (select sql from sqlite_master where type='trigger' "
        "and name like '用户表管理_户数_%' order by name)";
    const QString shipped = value(trigger_texts);
    store::upgrade_database_schema();
    EXPECT_EQ(value(trigger_texts), shipped);

    exec("DROP TRIGGER 用户表管理_户数_加");
    exec("DROP TRIGGER 用户表管理_户数_减");
    exec("CREATE TRIGGER 用户表管理_户数_加 AFTER INSERT ON 用户表管理 WHEN NEW.抄表人员 IS NOT "
         "NULL BEGIN INSERT OR IGNORE INTO 抄表员户数 (抄表人员, 户数) VALUES (NEW.抄表人员, 0); "
         "UPDATE 抄表员户数 SET 户数 = 户数 + 1 WHERE 抄表人员 = NEW.抄表人员; END");
    exec("insert into 用户表管理 (户号,抄表人员) values ('000101','系统')");
    exec("insert into 用户表管理 (户号,抄表人员) values ('000201','张三')");
    // A count gone wrong while the delete trigger was missing.
    exec("delete from 用户表管理 where 户号='000201'");
    EXPECT_EQ(value("select 户数 from 抄表员户数 where 抄表人员='张三'"), "1");

    store::upgrade_database_schema();
    EXPECT_EQ(count("select count(*) from sqlite_master where type='trigger' and name like "
                    "'用户表管理_户数_%' and sql like '%UPDATE OR IGNORE%'"),
              3);
    const auto counts_match = [this] {
        return rows("select 抄表人员, count(*) from 用户表管理 where 抄表人员 is not null "
                    "group by 抄表人员 order by 抄表人员") ==
               rows("select 抄表人员, 户数 from 抄表员户数 where 户数<>0 order by 抄表人员");
    };
    EXPECT_TRUE(counts_match());
    exec("insert into 用户表管理 (户号,抄表人员) values ('000301','张三')");
    exec("update 用户表管理 set 抄表人员='张三' where 户号='000101'");
    exec("delete from 用户表管理 where 户号='000301'");
    EXPECT_TRUE(counts_match());
    EXPECT_EQ(value("select 户数 from 抄表员户数 where 抄表人员='张三'"), "1");
}

struct UpgradeCase {
    const char* name;
    bool has_property_category;
};

class UpgradeFrom20 : public MainDatabaseTest, public ::testing::WithParamInterface<UpgradeCase> {};

TEST_P(UpgradeFrom20, ReachesTheCurrentVersionInOneCall) {
    store::close_main_database();
    write_database(path(platform::kMainDatabaseFile), version_2_0_schema(GetParam().has_property_category));
    ASSERT_TRUE(store::reopen_main_database());

    store::upgrade_database_schema();

    EXPECT_EQ(store::schema_version(), "2.2");
    EXPECT_EQ(value("select 版本号 from 版本"), "2.2");
    // 编号 is the first column of the read-readings list; the earlier columns moved up by one.
    EXPECT_EQ(rows("select 列名, 排序 from 查询列 where 类名='已抄表查询' order by 排序"),
              (QList<QStringList>{{"编号", "1"}, {"收费项目", "2"}, {"户号", "3"}, {"抄表日期", "4"}}));
    EXPECT_EQ(rows("select 列名, 排序 from 查询列 where 类名='用户信息' order by 排序"),
              (QList<QStringList>{{"户号", "1"}, {"物业类别", "15"}, {"物业面积", "16"}, {"备注", "17"}}));
    EXPECT_EQ(value("select 抄表员 from 抄表员"), "系统");
    EXPECT_EQ(value("select 父项目 from 权限项目 where 项目名称='抄表删除'"), "抄表管理");
    // Every added column is there.
    exec("select 物业类别, 物业面积 from 用户信息表");
    exec("select 价格, 抄表日期 from 总收费");
    exec("select 价格, 实收量 from 抄表总表");
    exec("select 价格, 实收量 from 抄表管理");

    // A second run changes nothing.
    store::upgrade_database_schema();
    EXPECT_EQ(count("select count(*) from 查询列 where 类名='已抄表查询'"), 4);
    EXPECT_EQ(count("select count(*) from 抄表员"), 1);
}

INSTANTIATE_TEST_SUITE_P(Versions, UpgradeFrom20,
                         ::testing::Values(UpgradeCase{"plain", false},
                                           UpgradeCase{"property_category_exists", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainDatabaseTest, Version21GetsOnlyItsOwnStatements) {
    store::close_main_database();
    QStringList schema = version_2_0_schema(true);
    schema[1] = "INSERT INTO 版本 VALUES ('2.1')";
    write_database(path(platform::kMainDatabaseFile), schema);
    ASSERT_TRUE(store::reopen_main_database());

    store::upgrade_database_schema();

    EXPECT_EQ(store::schema_version(), "2.2");
    EXPECT_EQ(count("select count(*) from 抄表员"), 0);  // a 2.0 step
    EXPECT_EQ(count("select count(*) from 查询列 where 列名='编号'"), 0);
    exec("select 价格, 实收量 from 抄表总表");
    exec("select 抄表日期 from 总收费");
}

TEST_F(MainDatabaseTest, AFailingStepKeepsTheOldVersion) {
    store::close_main_database();
    QStringList schema = version_2_0_schema(false);
    schema[1] = "INSERT INTO 版本 VALUES ('2.1')";
    schema.removeAll("CREATE TABLE 抄表管理 (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 户号 TEXT)");
    write_database(path(platform::kMainDatabaseFile), schema);
    ASSERT_TRUE(store::reopen_main_database());

    store::upgrade_database_schema();

    EXPECT_EQ(store::schema_version(), "2.1");
    exec("select 价格, 实收量 from 抄表总表");  // what could be done is done
}


// A file that is not a database of this system (empty, or a database without the version
// row) is refused and left exactly as it was; a database error reads in Chinese with the
// database's own text.
TEST_F(MainDatabaseTest, FileWithoutTheVersionRowIsRefusedUntouched) {
    store::close_main_database();
    const QString live = path(platform::kMainDatabaseFile);
    struct Case {
        const char* name;
        QStringList statements;  // empty: a 0-byte file
    };
    const Case cases[] = {
        {"empty file", {}},
        {"foreign database", {"CREATE TABLE pz (名称 TEXT)", "INSERT INTO pz VALUES ('x')"}},
        {"version table without a row", {"CREATE TABLE 版本 (版本号 TEXT)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.statements.isEmpty()) {
            QFile::remove(live);
            harness::write_bytes(live, QByteArray());
        } else {
            write_database(live, c.statements);
        }
        const QByteArray before = harness::read_bytes(live);
        EXPECT_FALSE(store::open_main_database());
        EXPECT_FALSE(platform::db_is_open(store::main_connection()));
        EXPECT_EQ(harness::read_bytes(live), before);
        EXPECT_FALSE(QFile::exists(live + QStringLiteral("-wal")));
    }
}

TEST(DatabaseErrorText, IsChineseWithTheDatabaseOwnText) {
    EXPECT_EQ(platform::database_error_text(1, QStringLiteral("no such table: pz")),
              QStringLiteral("找不到数据表（no such table: pz）"));
    EXPECT_EQ(platform::database_error_text(10, QStringLiteral("disk I/O error")),
              QStringLiteral("磁盘读写错误（disk I/O error）"));
    EXPECT_EQ(platform::database_error_text(1, QStringLiteral("LIKE or GLOB pattern too complex")),
              QStringLiteral("查询条件过长（LIKE or GLOB pattern too complex）"));
}

}  // namespace
