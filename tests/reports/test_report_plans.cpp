// The statistics must not read the whole history of bills, readings or surcharge lines for a
// month or a year: every statement a report runs is planned through an index on the period (or
// a key), never as a scan of 总收费, 抄表总表 or 月附加费. The plans are SQLite's own heuristics
// (no statistics tables), so the small fixture plans as a big register does.
#define SQLITE_HAS_CODEC 1
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "charge_statistics_fixture.h"
#include "reports/reading_statistics_report.h"
#include "reports/statistics_builders.h"

namespace reports_test {
namespace {

class ReportPlans : public ChargeStatisticsTest {
protected:
    // Every statement the database prepared while `run` ran.
    template <typename Run>
    std::set<std::string> statements_of(Run run) {
        std::set<std::string> seen;
        sqlite3* db = platform::db_handle(store::main_connection());
        sqlite3_trace_v2(
            db, SQLITE_TRACE_STMT,
            [](unsigned, void* context, void* statement, void*) {
                const char* sql = sqlite3_sql(static_cast<sqlite3_stmt*>(statement));
                if (sql) static_cast<std::set<std::string>*>(context)->insert(sql);
                return 0;
            },
            &seen);
        run();
        sqlite3_trace_v2(db, 0, nullptr, nullptr);
        return seen;
    }
};

// The names a plan may give `table` in `sql`: the table's own and every alias the statement
// gives it ("总收费 AS b", "总收费 b"). Words are read as SQLite reads them: quoted texts
// skipped, "x", [x] and `x` as names.
std::set<std::string> names_of(const std::string& table, const std::string& sql) {
    std::vector<std::string> words;  // names, and each other character as a word of its own
    for (size_t i = 0; i < sql.size();) {
        const unsigned char c = static_cast<unsigned char>(sql[i]);
        if (std::isspace(c)) {
            ++i;
        } else if (c == '\'') {
            size_t end = i + 1;  // the closing quote; a doubled one is part of the text
            for (; end < sql.size(); ++end) {
                if (sql[end] != '\'') continue;
                if (end + 1 < sql.size() && sql[end + 1] == '\'') {
                    ++end;
                    continue;
                }
                break;
            }
            i = end + 1;
            words.push_back("'");
        } else if (c == '"' || c == '[' || c == '`') {
            const char close = c == '[' ? ']' : static_cast<char>(c);
            const size_t end = sql.find(close, i + 1);
            words.push_back(sql.substr(i + 1, end == std::string::npos ? end : end - i - 1));
            i = end == std::string::npos ? sql.size() : end + 1;
        } else if (std::isalnum(c) || c == '_' || c >= 0x80) {
            const size_t from = i;
            while (i < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[i])) ||
                                      sql[i] == '_' || static_cast<unsigned char>(sql[i]) >= 0x80))
                ++i;
            words.push_back(sql.substr(from, i - from));
        } else {
            words.push_back(std::string(1, static_cast<char>(c)));
            ++i;
        }
    }
    const auto upper = [](std::string w) {
        for (char& ch : w) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        return w;
    };
    static const std::set<std::string> not_aliases = {
        "WHERE",   "ON",    "JOIN",   "INNER",  "LEFT",   "RIGHT",     "CROSS",  "NATURAL", "OUTER",
        "GROUP",   "ORDER", "LIMIT",  "UNION",  "EXCEPT", "INTERSECT", "HAVING", "SET",     "USING",
        "INDEXED", "NOT",   "VALUES", "SELECT", "FROM",   "AND",       "OR",     "DEFAULT"};
    std::set<std::string> names = {table};
    for (size_t k = 0; k + 1 < words.size(); ++k) {
        if (words[k] != table) continue;
        size_t next = k + 1;
        if (upper(words[next]) == "AS" && next + 1 < words.size()) ++next;
        const unsigned char first = static_cast<unsigned char>(words[next][0]);
        if ((std::isalnum(first) || first == '_' || first >= 0x80) &&
            !not_aliases.count(upper(words[next])))
            names.insert(words[next]);
    }
    return names;
}

// A plan line that reads the table (or an index of it) from end to end: "SCAN TABLE t ..." or
// "SCAN TABLE t AS a ..." as this SQLite writes it, "SCAN t ..." or "SCAN a ..." (the alias
// alone) as later ones do.
bool reads_whole(const std::string& detail, const std::string& table, const std::string& sql) {
    std::string rest = detail;
    rest.erase(0, rest.find_first_not_of(' '));
    if (rest.rfind("SCAN ", 0) != 0) return false;
    rest.erase(0, 5);
    if (rest.rfind("TABLE ", 0) == 0) rest.erase(0, 6);
    return names_of(table, sql).count(rest.substr(0, rest.find(' '))) > 0;
}

struct Plan {
    bool explained = false;
    std::string error;  // why it could not be explained
    std::string scans;  // the lines that read one of the history tables whole
};

// Every statement must be explained: one the check cannot read would pass unseen.
Plan plan_of(sqlite3* db, const std::string& sql) {
    Plan plan;
    sqlite3_stmt* lines = nullptr;
    if (sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &lines, nullptr) !=
        SQLITE_OK) {
        plan.error = sqlite3_errmsg(db);
        sqlite3_finalize(lines);
        return plan;
    }
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(lines)) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(lines, 3);
        const std::string detail = text ? reinterpret_cast<const char*>(text) : "";
        for (const char* table : {"总收费", "抄表总表", "月附加费"})
            if (reads_whole(detail, table, sql)) plan.scans += detail + "; ";
    }
    plan.explained = step == SQLITE_DONE;
    if (!plan.explained) plan.error = sqlite3_errmsg(db);
    sqlite3_finalize(lines);
    return plan;
}

// The check itself: scans told by table or by alias in either way of writing them, searches and
// other tables left alone, a statement that cannot be explained reported.
TEST(ReportPlanCheck, ScansByTableOrAliasAndUnexplainedStatements) {
    struct Case {
        const char* detail;
        const char* sql;
        bool whole;
    };
    const Case cases[] = {
        {"SCAN TABLE 总收费", "select * from 总收费", true},
        {"SCAN 总收费", "select 总收费.户号 from 总收费", true},
        {"SCAN TABLE 总收费 AS b", "select * from 总收费 as b", true},
        {"SCAN b", "select * from 总收费 AS b where b.户号='x'", true},
        {"SCAN b", "select * from 用户信息表 a,总收费 b where a.户号=b.户号", true},
        {"SCAN b USING INDEX 总收费_户号", "select b.户号 from [总收费] b", true},
        {"SCAN TABLE 总收费 USING COVERING INDEX 总收费_户号", "select 户号 from 总收费", true},
        {"SEARCH b USING INDEX 总收费_收费日期 (收费日期>? AND 收费日期<?)",
         "select * from 总收费 b where 收费日期>? and 收费日期<?", false},
        {"SEARCH TABLE 总收费 AS b USING INDEX 总收费_收费日期 (收费日期>?)",
         "select * from 总收费 as b where 收费日期>?", false},
        {"SCAN a", "select * from 用户信息表 a,总收费 b where a.户号=b.户号", false},
        {"SCAN 用户信息表", "select * from 用户信息表,总收费 where 用户信息表.户号=总收费.户号",
         false},
        {"SCAN 总收费明细", "select * from 总收费明细", false},
        {"SCAN b", "select '总收费 b' from 用户信息表 b", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(reads_whole(c.detail, "总收费", c.sql), c.whole) << c.detail << " | " << c.sql;

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "create table 总收费 (户号 text)", nullptr, nullptr, nullptr),
              SQLITE_OK);
    const Plan scan = plan_of(db, "select * from 总收费 as b where b.户号 like '1%'");
    EXPECT_TRUE(scan.explained) << scan.error;
    EXPECT_FALSE(scan.scans.empty());
    const Plan unknown = plan_of(db, "select * from 已删除的表");
    EXPECT_FALSE(unknown.explained);
    EXPECT_NE(unknown.error.find("已删除的表"), std::string::npos) << unknown.error;
    sqlite3_close(db);
}

TEST_F(ReportPlans, NoReportScansTheHistory) {
    struct Case {
        const char* report;
        QString grouping;
    };
    const Case cases[] = {
        {"收费日报表", reports::kByCollector}, {"收费日报表", reports::kByStreet},
        {"收费月统计", reports::kByCollector}, {"收费月统计", reports::kByStreet},
        {"抄表统计", reports::kByReader},      {"抄表统计", reports::kByStreet},
        {"抄表统计", reports::kByFeeItem},     {"用户月报表", reports::kByStreet},
        {"用户年报表", reports::kByStreet},    {"收费年报表", reports::kByCollector},
        {"收费年报表", reports::kByStreet},    {"收费年台帐", s("按月份")},
    };
    sqlite3* db = platform::db_handle(store::main_connection());
    for (const Case& c : cases) {
        for (const auto& period_rule : {rule(), rule("固定日期", 25, "实际月份", 6)}) {
            const reports::StatisticsBuilder* builder = reports::statistics_builder(s(c.report));
            ASSERT_NE(builder, nullptr) << c.report;
            const auto statements = statements_of([&] {
                (*builder)(store::main_connection(), s("2024"), s("3"), c.grouping, period_rule, {});
            });
            EXPECT_FALSE(statements.empty()) << c.report;
            for (const std::string& sql : statements) {
                const Plan plan = plan_of(db, sql);
                EXPECT_TRUE(plan.explained)
                    << c.report << " " << c.grouping.toStdString() << ": " << plan.error << "\n"
                    << sql;
                EXPECT_TRUE(plan.scans.empty())
                    << c.report << " " << c.grouping.toStdString() << ": " << plan.scans << "\n"
                    << sql;
            }
        }
    }
}

}  // namespace
}  // namespace reports_test
