#pragma once
// The frame of a benchmark program: the temporary program folder it runs in, the operator
// session some jobs need, the shown list page with its ratio line, the raw side of a list
// comparison, and the rows the list and charging benchmarks seed with raw statements.
#include <benchmark/benchmark.h>
#include <sqlcipher/sqlite3.h>

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <string>

#include "bench_common.h"
#include "harness/fixture.h"
#include "platform/convert.h"
#include "platform/files.h"
#include "shell/program_state.h"
#include "shell/session.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace bench {

// A fresh program folder with the shipped database (the temporary folder itself, or the
// subfolder named), made the program directory for the run. At the end it closes the main
// database, ends the session if one was started, and forgets the folder, in that order.
class ProgramFolder {
public:
    explicit ProgramFolder(const QString& subfolder = QString())
        : path_(subfolder.isEmpty() ? dir_.path() : dir_.filePath(subfolder)) {
        harness::lay_out_program_folder(path_);
        platform::set_program_directory_for_tests(path_);
    }
    ~ProgramFolder() {
        store::close_main_database();
        if (session_) shell::free_program_variables();
        platform::set_program_directory_for_tests(QString());
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QString path() const { return path_; }
    // A file beside the program folder, for what a benchmark writes and reads itself.
    QString scratch_path(const QString& name) const { return dir_.filePath(name); }

    // The program-wide values as after the administrator's login.
    void start_session() {
        shell::init_program_variables();
        shell::current_operator = QStringLiteral("管理员");
        shell::load_system_parameters();
        session_ = true;
    }

    // Says the database could not be prepared; the program's exit status.
    int cannot_prepare() const {
        std::fprintf(stderr, "cannot prepare the database in %s\n", qPrintable(path_));
        return 1;
    }

private:
    QTemporaryDir dir_;
    QString path_;
    bool session_ = false;
};

// The raw side of a list fill: `rows` rows of `sql` read field by field on a raw connection to
// the main database, once per iteration.
inline void time_raw_read(benchmark::State& state, const char* sql, int rows) {
    sqlite3* db = open_raw(store::main_database_path(), false);
    for (auto _ : state)
        if (read_every_field(db, sql) != rows) state.SkipWithError("raw read incomplete");
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * rows);
}

// Prints "ratio <what>: ..." of the page fill `page` against its raw read `raw`, both run with
// a fixed number of iterations in real time; the target is at most 2.
inline void print_page_ratio(const RatioReporter& reporter, const char* what,
                             const std::string& page, const std::string& raw, int iterations) {
    const std::string suffix = "/iterations:" + std::to_string(iterations) + "/real_time";
    reporter.print_ratio(what, page + suffix, "page", raw + suffix, "raw", "2");
}

// Runs the benchmarks of a list page on a Page as the main window holds it, shown (`shown`
// points at it meanwhile), prints its fill ratio and shuts the library down; the exit status.
template <class Page>
int run_page_benchmarks(Page*& shown, const char* what, const std::string& page,
                        const std::string& raw, int iterations) {
    Page on_screen;
    on_screen.resize(1200, 700);
    on_screen.show();
    shown = &on_screen;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_page_ratio(reporter, what, page, raw, iterations);
    shown = nullptr;
    benchmark::Shutdown();
    return 0;
}

// The counter as the charging benchmarks run it: 2024-03-20 09:00, no late fees, nine-digit
// payment serials, the administrator at work.
inline void start_charging_day() {
    platform::set_clock_for_tests(QDateTime(QDate(2024, 3, 20), QTime(9, 0)));
    shell::load_system_parameters();
    shell::system_parameters.late_fee_enabled = QStringLiteral("关闭");
    shell::system_parameters.payment_serial_digits = 9;
    shell::current_operator = QStringLiteral("管理员");
}

// H00001, H00002, ...: the household numbers of the charging and reading benchmarks.
inline QByteArray household_code(int i) {
    return QStringLiteral("H%1").arg(i, 5, 10, QLatin1Char('0')).toUtf8();
}

inline bool exec_raw(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Inserts the households 000001.. of the list benchmarks: 用户<n>, one of forty streets, a
// building and unit address; with contacts also a card number C<n> and two phone numbers,
// otherwise an empty card number.
class HouseholdInserter {
public:
    HouseholdInserter(sqlite3* db, bool with_contacts) : with_contacts_(with_contacts) {
        sqlite3_prepare_v2(db,
                           with_contacts
                               ? "insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,"
                                 "磁卡号码,固定电话,移动电话) values "
                                 "(?,'0',?,?,?,?,'0571-8888','13900000000')"
                               : "insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,"
                                 "磁卡号码) values (?,'0',?,?,?,'')",
                           -1, &stmt_, nullptr);
    }
    ~HouseholdInserter() { sqlite3_finalize(stmt_); }
    HouseholdInserter(const HouseholdInserter&) = delete;
    HouseholdInserter& operator=(const HouseholdInserter&) = delete;

    bool ready() const { return stmt_ != nullptr; }

    // Inserts household h (0-based); number() is its 户号 afterwards.
    bool add(int h) {
        std::snprintf(number_, sizeof number_, "%06d", h + 1);
        const std::string name = "用户" + std::to_string(h + 1);
        const std::string street = "街道" + std::to_string(h % 40);
        const std::string address =
            std::to_string(h % 300) + "号楼" + std::to_string(h % 6 + 1) + "单元";
        sqlite3_bind_text(stmt_, 1, number_, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt_, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt_, 3, street.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt_, 4, address.c_str(), -1, SQLITE_TRANSIENT);
        if (with_contacts_) {
            const std::string card = "C" + std::to_string(h + 1);
            sqlite3_bind_text(stmt_, 5, card.c_str(), -1, SQLITE_TRANSIENT);
        }
        const bool ok = sqlite3_step(stmt_) == SQLITE_DONE;
        sqlite3_reset(stmt_);
        return ok;
    }

    const char* number() const { return number_; }

private:
    sqlite3_stmt* stmt_ = nullptr;
    bool with_contacts_;
    char number_[16] = {};
};

// Households H00001..H<count> in one transaction, each with one 水费 meter account <household>01
// read by 张三 and two unpaid bills of 12.50 (receipt numbers 2i and 2i+1) with one reading
// each; `also(i, household)` adds a benchmark's own rows of household i in the same transaction.
inline bool seed_unpaid_bills(sqlite3* db, int count,
                              const std::function<void(int, const QByteArray&)>& also = {}) {
    exec_raw(db, "BEGIN");
    sqlite3_stmt *household = nullptr, *meter = nullptr, *bill = nullptr, *reading = nullptr;
    sqlite3_prepare_v2(
        db, "insert into 用户信息表 (户号,父号,用户名,居住街道) values (?,'0','户','东区')", -1,
        &household, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 用户表管理 (户号,父号,收费项目,抄表人员,状态) values "
                       "(?,?,'水费','张三','正常')",
                       -1, &meter, nullptr);
    sqlite3_prepare_v2(
        db,
        "insert into 总收费 (户号,收据号,标志,收费标志,收费人员,收费项目,抄表日期,收费日期,"
        "应收金额,实收金额,上月接转,本月接转,滞纳金,减免金额,预存扣款) values "
        "(?,?,1,1,'未知','水费','2024-03-01','2024-03-01',12.5,12.5,0,0,0,0,0)",
        -1, &bill, nullptr);
    sqlite3_prepare_v2(
        db,
        "insert into 抄表总表 (户号,父号,起方,止方,用量,实收量,价格,抄表日期,收费项目,"
        "是否收费,收据号) values (?,?,0,5,5,5,2.5,'2024-03-01','水费',1,?)",
        -1, &reading, nullptr);
    for (int i = 1; i <= count; ++i) {
        const QByteArray h = household_code(i), m = h + "01";
        sqlite3_bind_text(household, 1, h.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(household);
        sqlite3_reset(household);
        sqlite3_bind_text(meter, 1, m.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(meter, 2, h.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(meter);
        sqlite3_reset(meter);
        if (also) also(i, h);
        for (int k = 0; k < 2; ++k) {
            const qint64 receipt = 2LL * i + k;
            sqlite3_bind_text(bill, 1, m.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(bill, 2, receipt);
            sqlite3_step(bill);
            sqlite3_reset(bill);
            sqlite3_bind_text(reading, 1, m.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(reading, 2, h.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(reading, 3, receipt);
            sqlite3_step(reading);
            sqlite3_reset(reading);
        }
    }
    for (sqlite3_stmt* stmt : {household, meter, bill, reading}) sqlite3_finalize(stmt);
    return exec_raw(db, "COMMIT");
}

}  // namespace bench
