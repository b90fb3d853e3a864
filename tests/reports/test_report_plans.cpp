// The statistics must not read the whole history of bills, readings or surcharge lines for a
// month or a year: every statement a report runs is planned through an index on the period (or
// a key), never as a scan of 总收费, 抄表总表 or 月附加费. The plans are SQLite's own heuristics
// (no statistics tables), so the small fixture plans as a big register does.
#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

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

    // A plan line that scans the table (or an index of it) from end to end: "SCAN TABLE t ..."
    // as this SQLite writes it, "SCAN t ..." as later ones do.
    static bool reads_whole(const std::string& detail, const std::string& table) {
        for (const std::string& scan : {"SCAN TABLE " + table, "SCAN " + table}) {
            const size_t at = detail.find(scan);
            if (at != std::string::npos &&
                (at + scan.size() == detail.size() || detail[at + scan.size()] == ' '))
                return true;
        }
        return false;
    }

    // The plan's lines that read one of the history tables whole.
    static std::string full_scans(sqlite3* db, const std::string& sql) {
        std::string found;
        sqlite3_stmt* plan = nullptr;
        if (sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &plan, nullptr) !=
            SQLITE_OK)
            return {};
        while (sqlite3_step(plan) == SQLITE_ROW) {
            const std::string detail = reinterpret_cast<const char*>(sqlite3_column_text(plan, 3));
            for (const char* table : {"总收费", "抄表总表", "月附加费"})
                if (reads_whole(detail, table)) found += detail + "; ";
        }
        sqlite3_finalize(plan);
        return found;
    }
};

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
                const std::string scans = full_scans(db, sql);
                EXPECT_TRUE(scans.empty())
                    << c.report << " " << c.grouping.toStdString() << ": " << scans << "\n"
                    << sql;
            }
        }
    }
}

}  // namespace
}  // namespace reports_test
