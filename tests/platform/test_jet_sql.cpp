// The Jet-to-SQLite translator, one row per construct: the statement as the program writes it
// and the text SQLite gets. Rows at the end show that quoted text is never rewritten.
#include <gtest/gtest.h>

#include <QString>

#include "platform/jet_sql.h"

using platform::SchemaFacts;

namespace {

SchemaFacts facts() {
    SchemaFacts f;
    auto table = [&f](const char* name,
                      std::initializer_list<std::pair<const char*, const char*>> cols) {
        for (const auto& [col, type] : cols)
            f.add_column(QString::fromUtf8(name), QString::fromUtf8(col), QString::fromUtf8(type));
    };
    table("日志管理", {{"ID", "INTEGER"},
                       {"操作人员", "TEXT"},
                       {"发生时间", "DATE"},
                       {"上级项目", "TEXT"},
                       {"当前项目", "TEXT"},
                       {"备注", "TEXT"}});
    table("用户信息表",
          {{"编号", "INTEGER"}, {"户号", "TEXT"}, {"建档时间", "DATE"}, {"性质", "INTEGER"}});
    table("总收费", {{"收据号", "INTEGER"},
                     {"收费日期", "DATE"},
                     {"抄表日期", "DATE"},
                     {"发票号", "TEXT"},
                     {"收费人员", "TEXT"}});
    table("换表管理", {{"编号", "INTEGER"}, {"换表日期", "datetime"}, {"执行日期", "TEXT"}});
    table("街道", {{"街道", "TEXT"}});
    table("计划", {{"执行日期", "DATE"}});
    table("基本方调整", {{"抄表日起", "DATE"}, {"抄表日止", "DATE"}, {"用水类型", "TEXT"}});
    return f;
}

struct Case {
    const char* what;
    const char* jet;
    const char* sqlite;  // what translate_jet_sql renders
};

const Case kCases[] = {
    // ---- date literals
    {"date literal", "select * from 用户信息表  where  建档时间=#2024-1-5#  ORDER  BY 编号  DESC",
     "select * from 用户信息表  where  建档时间='2024-01-05'  ORDER  BY 编号  DESC"},
    {"date-time literals, midnight stored as the date alone",
     "select * from 日志管理 where 发生时间>=#2024-1-5 0:0:0# and 发生时间<=#2024-1-5 23:59:59#",
     "select * from 日志管理 where 发生时间>='2024-01-05' and 发生时间<='2024-01-05 23:59:59'"},
    {"Access month/day/year literal", "select * from 总收费 where 收费日期=#1/5/2024#",
     "select * from 总收费 where 收费日期='2024-01-05'"},
    // ---- quoted dates meeting date columns
    {"insert list: date column normalised, text column kept",
     "insert into 日志管理 (操作人员,发生时间,上级项目,当前项目,备注) values ('张三','2012-9-8 "
     "7:5:3','系统','登录','2012-9-8')",
     "insert into 日志管理 (操作人员,发生时间,上级项目,当前项目,备注) values ('张三','2012-09-08 "
     "07:05:03','系统','登录','2012-9-8')"},
    {"insert without column list uses the table's column order",
     "insert into 用户信息表 values (1,'001','2024-2-9',0)",
     "insert into 用户信息表 values (1,'001','2024-02-09',0)"},
    {"SET of a date column",
     "update 总收费 set 收费日期='2024-1-5',发票号='2024-1-5' where 收据号=1",
     "update 总收费 set 收费日期='2024-01-05',发票号='2024-1-5' where 收据号=1"},
    {"comparison with a date column, text column kept",
     "select * from 总收费 where 收费日期>='2024-1-5' and 发票号='2024-1-5'",
     "select * from 总收费 where 收费日期>='2024-01-05' and 发票号='2024-1-5'"},
    {"quoted date before a qualified column",
     "select * from 总收费 where '2024-1-5'<=总收费.收费日期",
     "select * from 总收费 where '2024-01-05'<=总收费.收费日期"},
    {"between on a date column",
     "select * from 用户信息表 where 建档时间 between '2024-1-1' and '2024-1-31'",
     "select * from 用户信息表 where 建档时间 between '2024-01-01' and '2024-01-31'"},
    {"datetime declared type counts as a date",
     "update 换表管理 set 换表日期='2024-3-1',执行日期='2024-3' where 编号=2",
     "update 换表管理 set 换表日期='2024-03-01',执行日期='2024-3' where 编号=2"},
    {"a column that is text in the statement's table, though a date in another table",
     "select * from 换表管理 where 执行日期='2024-3-1'",
     "select * from 换表管理 where 执行日期='2024-3-1'"},
    // ---- top N
    {"top 1 with order by", "select top 1 收据号 from 总收费 order by 收据号 DESC",
     "select 收据号 from 总收费 order by 收据号 DESC LIMIT 1"},
    {"top with a where glued to a quote and a trailing semicolon",
     "select top 1 止方 from 抄表总表 where 户号='1'order by 抄表日期 DESC;",
     "select 止方 from 抄表总表 where 户号='1'order by 抄表日期 DESC LIMIT 1;"},
    {"top inside a subquery",
     "select * from 总收费 where 收据号 in (select top 3 收据号 from 总收费 order by 收据号)",
     "select * from 总收费 where 收据号 in (select 收据号 from 总收费 order by 收据号 LIMIT 3)"},
    {"distinct top", "select distinct top 2 户号 from 总收费",
     "select distinct 户号 from 总收费 LIMIT 2"},
    // ---- select into
    {"select into a new table", "select 户号,建档时间 into 备份表 from 用户信息表 where 性质=0",
     "INTO 备份表: select 户号,建档时间 from 用户信息表 where 性质=0"},
    // ---- create / alter
    {"create table with brackets, identity, varchar, float, date, int, bit",
     "CREATE TABLE [T_WSFCX张三]([编号] identity primary key,[户号] varchar(50),[起数] "
     "float,[抄表日期] date,[收据号] int,[性质] bit)",
     "CREATE TABLE \"T_WSFCX张三\"(\"编号\" INTEGER PRIMARY KEY AUTOINCREMENT,\"户号\" TEXT "
     "COLLATE NOCASE,\"起数\" REAL,\"抄表日期\" DATE,\"收据号\" INTEGER,\"性质\" INTEGER)"},
    {"create table, the other Access types",
     "create table t (a counter, b text(20), c char(5), d double, e currency, f money, g integer, "
     "h long, i datetime, j text, k autoincrement, l Memo)",
     "create table t (a INTEGER PRIMARY KEY AUTOINCREMENT, b TEXT COLLATE NOCASE, c TEXT COLLATE "
     "NOCASE, d REAL, e REAL, f REAL, g INTEGER, h INTEGER, i DATE, j TEXT COLLATE NOCASE, k "
     "INTEGER PRIMARY KEY AUTOINCREMENT, l TEXT COLLATE NOCASE)"},
    {"alter table add column varchar", "ALTER TABLE 用户信息表 ADD COLUMN 物业类别 varchar(50)",
     "ALTER TABLE 用户信息表 ADD COLUMN 物业类别 TEXT COLLATE NOCASE"},
    {"alter table add column float", "ALTER TABLE 总收费 ADD COLUMN 价格 float",
     "ALTER TABLE 总收费 ADD COLUMN 价格 REAL"},
    {"alter table add column date", "ALTER TABLE 总收费 ADD COLUMN 抄表日期 date",
     "ALTER TABLE 总收费 ADD COLUMN 抄表日期 DATE"},
    // ---- null, truth values, concatenation, names
    {"<>null in a condition", "select * from 导入暂存表 where 户号<>null",
     "select * from 导入暂存表 where 户号 IS NOT NULL"},
    {"= null with blanks", "select * from 总收费 where 收据号 = null",
     "select * from 总收费 where 收据号 IS NULL"},
    {"=NULL in SET stays an assignment",
     "update 总收费 set 收费标志=1,流水号=0,收费人员=NULL where 流水号=5 and 发票号=null",
     "update 总收费 set 收费标志=1,流水号=0,收费人员=NULL where 流水号=5 and 发票号 IS NULL"},
    {"true and false", "select * from 收费员 where 许可=true or 许可=False",
     "select * from 收费员 where 许可=1 or 许可=0"},
    {"& joins texts", "select 户号 & '-' & 用户名 from 用户信息表",
     "select 户号 || '-' || 用户名 from 用户信息表"},
    {"bracketed names", "select * from [发票设置] where [用完标志]=0 ORDER  BY [编号]",
     "select * from \"发票设置\" where \"用完标志\"=0 ORDER  BY \"编号\""},
    {"double-quoted text is a quoted text in Access",
     "select * from 街道 where 街道=\"东\"\"街's\"", "select * from 街道 where 街道='东\"街''s'"},
    // ---- update and delete forms
    {"qualified SET column of a one-table update",
     "update 总收费 set 总收费.发票号='1' where 总收费.收据号=1",
     "update 总收费 set 发票号='1' where 总收费.收据号=1"},
    {"delete * from", "delete * from 抄表管理 where 户号='1'",
     "delete from 抄表管理 where 户号='1'"},
    {"delete T.* from", "delete 抄表管理.* from 抄表管理", "delete from 抄表管理"},
    // ---- the Excel bridge
    {"workbook read into a table",
     "SELECT * INTO 导入暂存表 FROM [Excel 8.0;DATABASE=/tmp/a b.xls].[户表$] ",
     "EXCEL READ /tmp/a b.xls | 户表 -> 导入暂存表"},
    {"workbook written from a select",
     "SELECT 户号,用户名 INTO [Excel 8.0;Database=/tmp/out.xlsx].[Sheet1] FROM tmp  ORDER BY 排序",
     "EXCEL WRITE /tmp/out.xlsx | Sheet1 <- SELECT 户号,用户名 FROM tmp  ORDER BY 排序"},
    {"excel keywords in any case", "select * into T from [excel 8.0;database=x.xls].[S1$]",
     "EXCEL READ x.xls | S1 -> T"},
    // File and sheet names quoted: "]]" is one "]", a value in double quotes keeps ";",
    // blanks and doubled quotes.
    {"quoted workbook names",
     "SELECT * INTO T FROM [Excel 8.0;DATABASE=\"/tmp/旧;表 \"\"x\"\".xls\"].[a]]b$] ",
     "EXCEL READ /tmp/旧;表 \"x\".xls | a]b -> T"},
    {"bracket doubled in a workbook name",
     "SELECT a INTO [Excel 8.0;Database=/tmp/a]]b.xlsx].[Sheet1] FROM tmp",
     "EXCEL WRITE /tmp/a]b.xlsx | Sheet1 <- SELECT a FROM tmp"},
    {"bracket doubled in a plain name", "select [a]]b] from t", "select \"a]b\" from t"},
    // ---- statements that cannot be run
    {"impossible date", "select * from 总收费 where 收费日期=#2024-13-1#",
     "ERROR: Syntax error in date in query expression '#2024-13-1#'."},
    {"workbook read without INTO", "select * from [Excel 8.0;DATABASE=a.xls].[S$]",
     "ERROR: A workbook is read with SELECT * INTO <table> FROM [Excel "
     "8.0;DATABASE=<file>].[<sheet>$]."},
    {"quote left open", "select * from 街道 where 街道='x",
     "ERROR: Syntax error: quoted text without its closing quote."},
    {"update of two tables at once", "update A,B set A.x=1,B.y=2 where A.k=B.k",
     "ERROR: An UPDATE changes the columns of one table only."},
    // ---- quoted text is never rewritten
    {"date literal inside a value", "insert into 街道(街道) values ('a #1-2-3# b')",
     "insert into 街道(街道) values ('a #1-2-3# b')"},
    {"top inside a value", "select * from 街道 where 街道='top 5'",
     "select * from 街道 where 街道='top 5'"},
    {"=null, brackets, & and true inside values",
     "select * from 街道 where 街道='=null' or 街道='[x] & true'",
     "select * from 街道 where 街道='=null' or 街道='[x] & true'"},
    {"statement words and a doubled quote inside values",
     "update 街道 set 街道='select top 1 x into y from [Excel 8.0;DATABASE=z].[s$]' where "
     "街道='it''s #2024-1-5#'",
     "update 街道 set 街道='select top 1 x into y from [Excel 8.0;DATABASE=z].[s$]' where "
     "街道='it''s #2024-1-5#'"},
    {"a text holding a date-like value with a quote stays as it is",
     "update 总收费 set 收费日期='2024-1-5''' where 收据号=1",
     "update 总收费 set 收费日期='2024-1-5''' where 收据号=1"},
};

TEST(JetSql, TranslatesEachConstruct) {
    const SchemaFacts f = facts();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(platform::translate_jet_sql(QString::fromUtf8(c.jet), f).toStdString(),
                  std::string(c.sqlite));
    }
}

TEST(JetSql, StatementKindsAndSchemaChanges) {
    const SchemaFacts f = facts();
    auto kind = [&f](const char* jet) {
        return platform::translate_jet_statement(QString::fromUtf8(jet), f);
    };
    EXPECT_TRUE(kind("drop table tmp").changes_schema);
    EXPECT_TRUE(kind("create table tmp (a text)").changes_schema);
    EXPECT_TRUE(kind("alter table t add column a int").changes_schema);
    EXPECT_TRUE(kind("select a into t from u").changes_schema);
    EXPECT_FALSE(kind("select a from u").changes_schema);
    EXPECT_FALSE(kind("update u set a=1").changes_schema);
    const platform::JetStatement update = kind("update A,B set A.x=B.y where A.k=B.k");
    EXPECT_EQ(update.kind, platform::JetStatement::Kind::MultiTableUpdate);
    EXPECT_EQ(update.table, "A");
    ASSERT_EQ(update.update_step, 2);
    EXPECT_EQ(update.steps[2].rfind("UPDATE A SET", 0), 0u);
}

TEST(JetSql, NormalisesDateTexts) {
    const struct {
        const char* in;
        const char* out;  // nullptr: not a date
    } cases[] = {
        {"2024-1-5", "2024-01-05"},
        {"2024/12/31", "2024-12-31"},
        {"2012-9-8 7:5:3", "2012-09-08 07:05:03"},
        {"2012-9-8 0:0:0", "2012-09-08"},
        {" 2024-02-29 10:30 ", "2024-02-29 10:30:00"},
        {"2024-01-05T08:00:00", "2024-01-05 08:00:00"},
        {"2023-2-29", nullptr},
        {"2024-1-5 24:00:00", nullptr},
        {"24-1-5", nullptr},
        {"2024-1", nullptr},
        {"2024-1-5 abc", nullptr},
        {"", nullptr},
        {"abc", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        std::string out = "untouched";
        EXPECT_EQ(platform::normalise_date_text(c.in, out), c.out != nullptr);
        EXPECT_EQ(out, c.out ? c.out : "untouched");
    }
}

}  // namespace
