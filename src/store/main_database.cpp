#include "store/main_database.h"

#include <array>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/files.h"
#include "store/backup.h"
#include "platform/query.h"

// The schema statements below (indexes, triggers) are SQLite's own and go to it unchanged.
#include <sqlcipher/sqlite3.h>

namespace store {

namespace {

platform::Connection& connection_object() {
    static platform::Connection connection;
    return connection;
}

std::array<platform::RecordSet, 4>& recordset_objects() {
    static std::array<platform::RecordSet, 4> sets;
    return sets;
}

QString& version_text() {
    static QString version;
    return version;
}

// Reads the first column of the first row of 版本, opened whole by table name.
void read_schema_version() {
    platform::RecordSet rs(main_connection());
    version_text().clear();
    if (platform::recordset_open_table(rs, QStringLiteral("版本"))) {
        if (!platform::recordset_eof(rs)) version_text() = platform::recordset_field_text(rs, 0);
        platform::recordset_close(rs);
    }
}

// Runs one upgrade statement. An ALTER that finds its column already there, or an insert of a
// row that is there already, has nothing left to do: that counts as done.
bool run_upgrade_step(const QString& statement) {
    platform::Connection& db = main_connection();
    if (platform::db_execute(db, statement)) return true;
    return platform::db_error_is_duplicate_column(db);
}

// Renumbers the columns of the read-readings list from position 2 on, making room for 编号.
bool shift_read_reading_columns() {
    platform::RecordSet rs(main_connection());
    if (!platform::recordset_open(
            rs, QStringLiteral("select 编号 from 查询列 where 类名='已抄表查询' order by 排序")))
        return false;
    bool ok = true;
    const int count = platform::recordset_record_count(rs);
    for (int k = 1; k <= count; ++k) {
        const qint64 id = static_cast<qint64>(platform::recordset_field_number(rs, QStringLiteral("编号")));
        ok = platform::db_execute(main_connection(), QStringLiteral("update 查询列 set 排序=") +
                                                         QString::number(k + 1) +
                                                         QStringLiteral(" where 编号=") +
                                                         QString::number(id)) &&
             ok;
        platform::recordset_move_next(rs);
    }
    platform::recordset_close(rs);
    return ok;
}

// The first column of the first row of a count query (plain SQLite), or -1 when it cannot run
// (a table an old database lacks): the upgrade asks quietly, without the provider's error box.
qint64 count_rows(const QString& query) {
    bool ok = false;
    const qint64 count =
        platform::query_integer(main_connection(), query, platform::OnFailure::Quiet, &ok);
    return ok ? count : -1;
}

// The name of the index a statement of kEverydayIndexes creates.
QString index_name(const char* statement) {
    const QString text = QString::fromUtf8(statement);
    const QString after = QStringLiteral("IF NOT EXISTS ");
    const qsizetype start = text.indexOf(after) + after.size();
    return text.mid(start, text.indexOf(QLatin1Char(' '), start) - start);
}

// The everyday indexes the database lacks (a database shipped before they were added): on a big
// register each takes seconds to build.
std::vector<const char*> missing_indexes() {
    std::vector<const char*> missing;
    for (const char* statement : kEverydayIndexes)
        if (count_rows(QStringLiteral("select count(*) from sqlite_master where type='index' and "
                                      "name=") +
                       platform::sql_quote(index_name(statement))) == 0)
            missing.push_back(statement);
    return missing;
}

// Creates the indexes that keep the everyday actions as fast in a big register as in a small
// one. A table that an old database lacks is left for its own upgrade step; the version number
// does not depend on this. `built` is told after each index.
void create_missing_indexes(const std::vector<const char*>& missing,
                            const std::function<void()>& built) {
    sqlite3* db = platform::db_handle(main_connection());
    if (!db || missing.empty()) return;
    // All in one transaction: one sync for the lot, and a start that stops half-way leaves
    // none of them half-built. An index whose table is missing is skipped, the others go on.
    platform::Transaction transaction(main_connection());
    if (!transaction.active()) return;
    bool created = false;
    bool all = true;
    for (const char* statement : missing) {
        const bool ok = sqlite3_exec(db, statement, nullptr, nullptr, nullptr) == SQLITE_OK;
        created = ok || created;
        all = ok && all;
        built();
    }
    if (all)
        for (const char* statement : kReplacedIndexes)
            sqlite3_exec(db, statement, nullptr, nullptr, nullptr);
    if (transaction.commit() && created) platform::db_schema_changed(main_connection());
}

// Whether the count of meter accounts per reader is missing, or its triggers are of an older
// text (-1: the register table itself is missing, nothing to do).
int reader_counts_state() {
    if (count_rows(QStringLiteral("select count(*) from 用户表管理")) < 0) return -1;
    const bool table_missing =
        count_rows(QStringLiteral(
            "select count(*) from sqlite_master where type='table' and name='抄表员户数'")) == 0;
    const bool triggers_current =
        count_rows(QStringLiteral("select count(*) from sqlite_master where type='trigger' and "
                                  "name like '用户表管理_户数_%' and sql like '%UPDATE OR IGNORE%'")) ==
        static_cast<qint64>(std::size(kReaderCountTriggers));
    if (table_missing) return 2;
    return triggers_current ? 0 : 1;
}

// The count of meter accounts per reader and the triggers that keep it, for a database made
// before they were shipped, or whose triggers are of an older text; the counts start from the
// accounts there are. All or nothing.
void create_reader_counts(bool table_missing) {
    sqlite3* db = platform::db_handle(main_connection());
    if (!db) return;
    std::vector<std::string> statements;
    if (table_missing)
        statements.emplace_back(
            "CREATE TABLE 抄表员户数 (抄表人员 TEXT COLLATE NOCASE PRIMARY KEY, 户数 INTEGER NOT "
            "NULL DEFAULT 0)");
    for (const char* name : {"用户表管理_户数_加", "用户表管理_户数_减", "用户表管理_户数_换"})
        statements.push_back(std::string("DROP TRIGGER IF EXISTS ") + name);
    for (const char* trigger : kReaderCountTriggers) statements.emplace_back(trigger);
    // Counted afresh: triggers of another text may not have kept them.
    statements.emplace_back("DELETE FROM 抄表员户数");
    statements.emplace_back(
            "INSERT INTO 抄表员户数 (抄表人员, 户数) SELECT 抄表人员, count(*) FROM 用户表管理 "
            "WHERE 抄表人员 IS NOT NULL GROUP BY 抄表人员");
    platform::Transaction transaction(main_connection());
    bool ok = transaction.active();
    for (const std::string& statement : statements)
        ok = ok && sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (ok && transaction.commit()) platform::db_schema_changed(main_connection());
}

// The counter of the highest bill number given, for a database made before it was shipped:
// created and seeded from every number written so far, all or nothing. A counter row that is
// missing is started the same way.
void create_bill_number_counter() {
    const bool table_missing =
        count_rows(QStringLiteral(
            "select count(*) from sqlite_master where type='table' and name='号码计数'")) == 0;
    if (!table_missing &&
        count_rows(QStringLiteral("select count(*) from 号码计数 where 名称=") +
                   platform::sql_quote(kBillNumberCounter)) != 0)
        return;
    // A database without the bill tables (not ours to upgrade) is left alone.
    if (count_rows(QStringLiteral("select count(*) from 总收费 where 1=0")) < 0) return;
    platform::Transaction transaction(main_connection());
    bool ok = transaction.active();
    if (ok && table_missing)
        ok = platform::db_execute(main_connection(),
                                  QString::fromUtf8(kBillNumberCounterTable));
    ok = ok && platform::db_execute(main_connection(), bill_number_counter_seed_statement());
    if (ok && transaction.commit() && table_missing)
        platform::db_schema_changed(main_connection());
}

}  // namespace

platform::Connection& main_connection() { return connection_object(); }

platform::RecordSet& main_recordset(int n) {
    Q_ASSERT(n >= 1 && n <= 4);
    return recordset_objects()[static_cast<size_t>(n - 1)];
}

QString largest_written_bill_number(bool with_companions) {
    // 1000000000: the fixed start, counted as given.
    QString sql = QStringLiteral("max(1000000000,ifnull((select max(收据号) from 抄表总表),0),"
                                 "ifnull((select max(收据号) from 总收费),0)");
    if (with_companions)
        sql += QStringLiteral(",ifnull((select max(收据号) from 月附加费),0),"
                              "ifnull((select max(收据号) from 减免明细),0)");
    return sql + u')';
}

QString bill_number_counter_seed_statement() {
    return QStringLiteral("insert into 号码计数 (名称,最大号) select ") +
           platform::sql_quote(kBillNumberCounter) + u',' + largest_written_bill_number(true);
}

const QString& schema_version() { return version_text(); }

QString main_database_path() { return platform::app_path(platform::kMainDatabaseFile); }

bool open_main_database() {
    platform::Connection& db = main_connection();
    if (platform::db_is_open(db)) close_main_database();
    // A file without the schema's version row (empty, or another database) is not ours: it is
    // refused as it is, never turned into an empty database.
    if (!platform::db_open_database_file(db, main_database_path(),
                                         QString::fromLatin1(platform::kDatabasePassword),
                                         "SELECT 版本号 FROM 版本 LIMIT 1"))
        return false;
    prepare_exit_backup();
    return true;
}

void bind_main_record_sets() {
    for (auto& rs : recordset_objects()) platform::recordset_bind_connection(rs, main_connection());
}

void close_main_database() {
    for (auto& rs : recordset_objects())
        if (platform::recordset_is_open(rs)) platform::recordset_close(rs);
    platform::db_close(main_connection());
}

bool reopen_main_database() {
    const bool opened = open_main_database();
    if (opened) bind_main_record_sets();
    return opened;
}

void upgrade_database_schema(const platform::DatabaseProgress& progress) {
    // Each step of an upgrade, with the question that tells it is done already: an upgrade that
    // stopped half-way runs again at the next start and must not add rows a second time.
    struct Step {
        const char* statement;
        const char* done_when;  // a count query; a count above 0 means there is nothing to do
    };
    const auto run_steps = [](std::initializer_list<Step> steps) {
        bool ok = true;
        for (const Step& step : steps) {
            if (step.done_when && count_rows(QString::fromUtf8(step.done_when)) > 0) continue;
            ok = run_upgrade_step(QString::fromUtf8(step.statement)) && ok;
        }
        return ok;
    };

    read_schema_version();
    if (schema_version() == QStringLiteral("2.0")) {
        bool ok = run_steps({
            {"ALTER TABLE 用户信息表 ADD COLUMN 物业类别 varchar(50)", nullptr},
            {"ALTER TABLE 用户信息表 ADD COLUMN 物业面积 float", nullptr},
            {"INSERT INTO  查询列 (列名,显示,类名,列宽,排序)  valueS ( '物业类别','真','用户信息',80,15)",
             "select count(*) from 查询列 where 类名='用户信息' and 列名='物业类别'"},
            {"INSERT INTO  查询列 (列名,显示,类名,列宽,排序)  valueS ( '物业面积','真','用户信息',80,16)",
             "select count(*) from 查询列 where 类名='用户信息' and 列名='物业面积'"},
            {"update 查询列 set 排序=17 where 列名='备注' and 类名='用户信息'", nullptr},
            {"insert into 抄表员(抄表员) values ('系统')",
             "select count(*) from 抄表员 where 抄表员='系统'"},
        });
        // 编号 goes in front of the read-readings list: the others move to positions 2 onward.
        // A list that has it already (an upgrade that stopped after this step) keeps its order.
        const bool number_column_missing =
            count_rows(QStringLiteral(
                "select count(*) from 查询列 where 类名='已抄表查询' and 列名='编号'")) == 0;
        if (number_column_missing) ok = shift_read_reading_columns() && ok;
        ok = run_steps({{"insert into 权限项目 (项目名称,父项目,首项) values ( '抄表删除','抄表管理',0)",
                         "select count(*) from 权限项目 where 项目名称='抄表删除'"}}) &&
             ok;
        if (number_column_missing)
            ok = run_steps({{"insert into 查询列 (列名,显示,类名,列宽,排序) values ( '编号','真','已抄表查询',100,1)",
                             nullptr}}) &&
                 ok;
        ok = run_steps({{"ALTER TABLE 总收费 ADD COLUMN 价格 float", nullptr}}) && ok;
        if (ok)
            platform::db_execute(main_connection(), QStringLiteral("update 版本 set 版本号='2.1'"));
    }
    read_schema_version();
    if (schema_version() == QStringLiteral("2.1")) {
        const bool ok = run_steps({
            {"ALTER TABLE 抄表总表 ADD COLUMN 价格 float", nullptr},
            {"ALTER TABLE 抄表总表 ADD COLUMN 实收量 float", nullptr},
            {"ALTER TABLE 抄表管理 ADD COLUMN 价格 float", nullptr},
            {"ALTER TABLE 抄表管理 ADD COLUMN 实收量 float", nullptr},
            {"ALTER TABLE 总收费 ADD COLUMN 抄表日期 date", nullptr},
        });
        if (ok)
            platform::db_execute(main_connection(), QStringLiteral("update 版本 set 版本号='2.2'"));
    }
    read_schema_version();
    // What may take long on a big register: building the missing indexes and counting the
    // meter accounts afresh. Progress is told only when there is such work, one step each.
    const std::vector<const char*> missing = missing_indexes();
    const int counts = reader_counts_state();
    const int total = static_cast<int>(missing.size()) + (counts > 0 ? 1 : 0);
    int done = 0;
    const auto step = [&] {
        if (progress) progress(++done, total);
    };
    if (progress && total > 0) progress(0, total);
    // One index over a big table is one long statement: the window is told meanwhile too, so it
    // stays painted.
    const platform::TickWhileRunning ticking(
        platform::db_handle(main_connection()),
        progress && total > 0 ? std::function<void()>([&] { progress(done, total); }) : nullptr);
    create_bill_number_counter();
    create_missing_indexes(missing, step);
    if (counts > 0) {
        create_reader_counts(counts == 2);
        step();
    }
}

}  // namespace store
