#pragma once
// The frame of a benchmark program: the temporary program folder it runs in, the operator
// session some jobs need, the raw side of a list comparison, and the household rows the list
// benchmarks seed with raw statements.
#include <benchmark/benchmark.h>
#include <sqlcipher/sqlite3.h>

#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "bench_common.h"
#include "harness/fixture.h"
#include "platform/files.h"
#include "shell/program_state.h"
#include "shell/session.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace bench {

// A fresh program folder with the shipped database, made the program directory for the run.
// At the end it closes the main database, ends the session if one was started, and forgets the
// folder, in that order.
class ProgramFolder {
public:
    ProgramFolder() {
        harness::lay_out_program_folder(dir_.path());
        platform::set_program_directory_for_tests(dir_.path());
    }
    ~ProgramFolder() {
        store::close_main_database();
        if (session_) shell::free_program_variables();
        platform::set_program_directory_for_tests(QString());
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QString path() const { return dir_.path(); }

    // The program-wide values as after the administrator's login.
    void start_session() {
        shell::init_program_variables();
        shell::current_operator = QStringLiteral("管理员");
        shell::load_system_parameters();
        session_ = true;
    }

    // Says the database could not be prepared; the program's exit status.
    int cannot_prepare() const {
        std::fprintf(stderr, "cannot prepare the database in %s\n", qPrintable(dir_.path()));
        return 1;
    }

private:
    QTemporaryDir dir_;
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

}  // namespace bench
