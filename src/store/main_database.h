#pragma once
// The one connection to the main database and the main window's four record sets. Every
// window binds its own record sets to this connection; statements that return no rows run on
// it directly. The connection is opened once at start-up and stays open; only the close of the
// program and the file operations (backup, restore, initialisation) close and reopen it.
#include <QString>

#include "platform/db.h"
#include "platform/db_copy.h"

namespace store {

// 数据库连接1
platform::Connection& main_connection();
// 记录集1 .. 记录集4 (n from 1 to 4)
platform::RecordSet& main_recordset(int n);

// The schema version last read from 版本 ("2.0", "2.1", "2.2").
const QString& schema_version();
inline const QString kCurrentSchemaVersion = QStringLiteral("2.2");

// The main database file under the program folder.
QString main_database_path();

// Opens the main database with the database password (an open connection is closed first).
// Never creates a missing file; a wrong key fails. True when the connection is open.
bool open_main_database();
// Binds 记录集1..记录集4 to the main connection.
void bind_main_record_sets();
// Closes the four record sets (each only if open), then the connection.
void close_main_database();
// open_main_database, and on success bind_main_record_sets.
bool reopen_main_database();
// The indexes the shipped schema has for the everyday actions (a reader's walk, today's
// households and meter accounts, the readings of a household, the households of a street, the
// surcharge lines of a bill, a household's latest bill, its unpaid bills and those that took from
// a prepayment, the readings not billed yet), as the upgrade creates them in a database that lacks them.
inline constexpr const char* kEverydayIndexes[] = {
    "CREATE INDEX IF NOT EXISTS 用户表管理_抄表人员序号 ON 用户表管理 (抄表人员, 抄表序号)",
    "CREATE INDEX IF NOT EXISTS 用户表管理_建表时间 ON 用户表管理 (建表时间)",
    "CREATE INDEX IF NOT EXISTS 用户信息表_建档时间 ON 用户信息表 (建档时间)",
    "CREATE INDEX IF NOT EXISTS 抄表管理_父号 ON 抄表管理 (父号)",
    // The statistics: a household's street beside its number, the households in the order of
    // the streets, and the households by street and day of registration; a household's meter
    // accounts with their state.
    "CREATE INDEX IF NOT EXISTS 用户信息表_户号街道 ON 用户信息表 (户号, 居住街道)",
    "CREATE INDEX IF NOT EXISTS 用户信息表_街道户号 ON 用户信息表 (居住街道, 户号)",
    "CREATE INDEX IF NOT EXISTS 用户信息表_父号街道建档 ON 用户信息表 (父号, 居住街道, 建档时间)",
    "CREATE INDEX IF NOT EXISTS 用户表管理_父号状态 ON 用户表管理 (父号, 状态)",
    // The period's bills by day of payment and of reading, with every column the charge reports
    // sum, so that they read the index alone.
    "CREATE INDEX IF NOT EXISTS 总收费_收费日期金额 ON 总收费 (收费日期, 标志, 收费标志, 收费人员, "
    "户号, 流水号, 收据号, 实收金额, 预存扣款)",
    "CREATE INDEX IF NOT EXISTS 总收费_抄表日期金额 ON 总收费 (抄表日期, 标志, 收费标志, 实收金额, "
    "预存扣款)",
    "CREATE INDEX IF NOT EXISTS 抄表总表_抄表日期父号 ON 抄表总表 (抄表日期, 父号, 用量)",
    // Only the readings still unbilled: the month's commit finds its households here, at a cost
    // that does not grow with the years of history.
    "CREATE INDEX IF NOT EXISTS 抄表总表_未收费 ON 抄表总表 (父号) WHERE 是否收费=0",
    "CREATE INDEX IF NOT EXISTS 月附加费_收据号 ON 月附加费 (收据号)",
    "CREATE INDEX IF NOT EXISTS 总收费_户号收据号 ON 总收费 (户号, 收据号)",
    // Unpaid bills by receipt number, with what the balances sum from the index alone.
    "CREATE INDEX IF NOT EXISTS 总收费_未收金额 ON 总收费 (户号, 收据号, 标志, 收费标志, 实收金额) "
    "WHERE 收费标志=1",
    "CREATE INDEX IF NOT EXISTS 总收费_预存扣款 ON 总收费 (户号) WHERE 预存扣款>0",
    "CREATE INDEX IF NOT EXISTS 用户表管理_户号父号 ON 用户表管理 (户号, 父号)",
    "CREATE INDEX IF NOT EXISTS 总收费_预存扣款额 ON 总收费 (户号, 收据号, 标志, 预存扣款) WHERE "
    "预存扣款<>0",
    "CREATE INDEX IF NOT EXISTS 用户表管理_父号户号 ON 用户表管理 (父号, 编号, 户号)",
    // The log query reads its days, not the whole log.
    "CREATE INDEX IF NOT EXISTS 日志管理_发生时间 ON 日志管理 (发生时间)",
    // The invoice recount seeks each number of an open book; only the bills that carry a number
    // are in it.
    "CREATE INDEX IF NOT EXISTS 总收费_发票号 ON 总收费 (发票号) WHERE 发票号<>''",
    // The deduction list of a period reads the period's bills that took from a balance, and
    // nothing at all for a month without any.
    "CREATE INDEX IF NOT EXISTS 总收费_预存扣款日期 ON 总收费 (收费日期, 标志, 户号, 收据号, 预存扣款) "
    "WHERE 预存扣款>0",
    // The look-ups by card number start from the card's household, not from every bill.
    "CREATE INDEX IF NOT EXISTS 用户信息表_磁卡号码 ON 用户信息表 (磁卡号码)",
    // A street's paid bills of a period: each household's paid bills of those days, not its whole
    // history (a bill enters it when paid, so billing does not write it).
    "CREATE INDEX IF NOT EXISTS 总收费_户号收费日期 ON 总收费 (户号, 收费日期) WHERE 收费标志=0",
};

// Indexes that one above makes redundant: the upgrade drops them once their replacement is there,
// so that a bill is not written into both.
inline constexpr const char* kReplacedIndexes[] = {
    "DROP INDEX IF EXISTS 总收费_户号",
    "DROP INDEX IF EXISTS 用户表管理_户号",
    "DROP INDEX IF EXISTS 总收费_未收",
    "DROP INDEX IF EXISTS 用户信息表_户号",
    "DROP INDEX IF EXISTS 用户信息表_居住街道",
    "DROP INDEX IF EXISTS 用户表管理_父号",
    "DROP INDEX IF EXISTS 总收费_收费日期",
    "DROP INDEX IF EXISTS 总收费_抄表日期",
    "DROP INDEX IF EXISTS 抄表总表_抄表日期",
};

// The triggers that keep 抄表员户数 (the count of meter accounts per reader), as the upgrade
// creates them. Their updates say OR IGNORE although the count can never be NULL: a trigger
// statement that might abort makes SQLite keep a statement journal for every row written to
// 用户表管理, and with encryption that journal costs more than the row itself.
inline constexpr const char* kReaderCountTriggers[] = {
    "CREATE TRIGGER 用户表管理_户数_加 AFTER INSERT ON 用户表管理 WHEN NEW.抄表人员 IS NOT NULL "
    "BEGIN INSERT OR IGNORE INTO 抄表员户数 (抄表人员, 户数) VALUES (NEW.抄表人员, 0); "
    "UPDATE OR IGNORE 抄表员户数 SET 户数 = 户数 + 1 WHERE 抄表人员 = NEW.抄表人员; END",
    "CREATE TRIGGER 用户表管理_户数_减 AFTER DELETE ON 用户表管理 WHEN OLD.抄表人员 IS NOT NULL "
    "BEGIN UPDATE OR IGNORE 抄表员户数 SET 户数 = 户数 - 1 WHERE 抄表人员 = OLD.抄表人员; END",
    "CREATE TRIGGER 用户表管理_户数_换 AFTER UPDATE OF 抄表人员 ON 用户表管理 BEGIN "
    "UPDATE OR IGNORE 抄表员户数 SET 户数 = 户数 - 1 WHERE OLD.抄表人员 IS NOT NULL AND "
    "抄表人员 = OLD.抄表人员; "
    "INSERT OR IGNORE INTO 抄表员户数 (抄表人员, 户数) SELECT NEW.抄表人员, 0 WHERE "
    "NEW.抄表人员 IS NOT NULL; "
    "UPDATE OR IGNORE 抄表员户数 SET 户数 = 户数 + 1 WHERE NEW.抄表人员 IS NOT NULL AND "
    "抄表人员 = NEW.抄表人员; END",
};

// The counter of the highest bill number ever given (号码计数), as the upgrade creates it, and
// the name of its row.
inline constexpr const char* kBillNumberCounterTable =
    "CREATE TABLE 号码计数 (名称 TEXT COLLATE NOCASE PRIMARY KEY, 最大号 INTEGER NOT NULL "
    "DEFAULT 0)";
inline const QString kBillNumberCounter = QStringLiteral("收据号");
// The largest bill number written so far, at least 1000000000, as an SQL expression: over the
// readings and bills, and with `with_companions` their surcharge lines and reduction records too.
QString largest_written_bill_number(bool with_companions);
// The statement that starts the counter row from every number written so far.
QString bill_number_counter_seed_statement();

// Brings an open database from "2.0" or "2.1" to "2.2". A statement that fails because what it
// adds is there already counts as done; any other failure keeps the version where it was, so
// the next start tries again. Whatever the version, the everyday indexes are created where
// missing, the per-reader counts with their triggers (older triggers replaced), and the counter
// of the highest bill number given. Building
// indexes on a big register takes a while: `progress` is told, step by step, only when there is
// such work to do, so the window layer shows its progress window then and only then.
void upgrade_database_schema(const platform::DatabaseProgress& progress = {});

}  // namespace store
