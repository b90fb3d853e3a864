#pragma once
// A register after a year of monthly bills, for the benchmarks of what must not slow down as the
// history grows. Households 000001.. each have one 水费 meter account <household>01 (readers 张三
// and 李四 take every other household) and, for each month of 2023, a committed reading, its bill
// (keyed by the household, as the engine writes it) with one 污水费 surcharge line, and (January to November) the payment of that bill under a
// serial of its own, by one of four collectors. December's bills are unpaid. Thirteen in twenty
// households have a prepayment, the log holds eleven rows per household, and the odd households'
// readings of January 2024 are pending in 抄表管理. The clock of the runs is 2024-01-20.
//
// The database is built once per size into build/bench-cache (in one transaction, with prepared
// inserts and the big tables' indexes made after their rows) and every program works on a copy.
// A cached file is reused while its name matches: the seeding's version, the shipped schema and
// the size. BENCH_HISTORY_HOUSEHOLDS shrinks the large register (200,000) for a quick run.
#include <sqlcipher/sqlite3.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_common.h"
#include "harness/fixture.h"
#include "platform/convert.h"
#include "platform/files.h"
#include "shell/program_state.h"
#include "shell/session.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace bench::history {

// Bumped whenever the rows below change, so that an older cache is built again.
constexpr int kSeedVersion = 2;
constexpr int kSmall = 1000;
constexpr int kMonths = 12;
constexpr qint64 kFirstReceipt = 1000000000;  // the bill of household i, month m: + (m-1)*n + i
constexpr qint64 kFirstSerial = 1000000000;   // its payment serial, numbered the same way
const char kPendingDate[] = "2024-01-05";

inline int large_size() {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("BENCH_HISTORY_HOUSEHOLDS", &ok);
    return ok && n >= kSmall ? n : 200000;
}

// The report benches' cases: every report of a table (its index the second argument) at 1,000
// households and at the large register.
inline void report_cases(benchmark::internal::Benchmark* b, int reports) {
    for (int r = 0; r < reports; ++r)
        for (const int size : {kSmall, large_size()}) b->Args({size, r});
}

// The raw side of a report bench: the statements that read what the report reads, each
// prepared and stepped to its end, every column of every row read typed. The rows read.
inline int read_raw(sqlite3* db, const std::vector<std::string>& statements) {
    double sum = 0;
    int rows = 0;
    for (const std::string& sql : statements) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "%s\n  in %s\n", sqlite3_errmsg(db), sql.c_str());
            return 0;
        }
        const int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < columns; ++c)
                sum += sqlite3_column_type(stmt, c) == SQLITE_TEXT ? sqlite3_column_bytes(stmt, c)
                                                                   : sqlite3_column_double(stmt, c);
        }
        sqlite3_finalize(stmt);
    }
    benchmark::DoNotOptimize(sum);
    return rows;
}

// Prints, for every report of a table and both sizes, the ratio of BM_Report to BM_ReportRaw
// (both timed over a fifth of a second, in real time), the report's own reads done raw, target 3.
template <class Title>
void print_report_ratios(RatioReporter& reporter, int reports, Title title) {
    const std::string suffix = "/min_time:0.200/real_time";
    for (int r = 0; r < reports; ++r) {
        for (const int size : {kSmall, large_size()}) {
            const std::string at = "/" + std::to_string(size) + "/" + std::to_string(r) + suffix;
            const std::string what =
                std::string(title(r)) + " vs its reads raw at " + std::to_string(size);
            reporter.print_ratio(what.c_str(), "BM_Report" + at, "report", "BM_ReportRaw" + at,
                                 "raw", "3");
        }
    }
}

inline std::string household(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06d", i);
    return buf;
}
inline std::string account(int i) { return household(i) + "01"; }
inline const char* reader_of(int i) { return i % 2 ? "张三" : "李四"; }
inline const char* collector_of(int i) {
    static const char* const names[] = {"收费员甲", "收费员乙", "收费员丙", "收费员丁"};
    return names[i % 4];
}
// The usage of household i in month m (13 is the pending January).
inline double usage(int i, int m) { return 5 + (i * 7 + m) % 20; }
// Its meter reading at the start of month m.
inline double start_reading(int i, int m) {
    double total = 0;
    for (int k = 1; k < m; ++k) total += usage(i, k);
    return total;
}
inline qint64 receipt(int households, int i, int m) {
    return kFirstReceipt + static_cast<qint64>(m - 1) * households + i;
}
inline qint64 serial(int households, int i, int m) {
    return kFirstSerial + static_cast<qint64>(m - 1) * households + i;
}
inline std::string reading_date(int m) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "2023-%02d-05", m);
    return buf;
}
inline std::string payment_date(int i, int m) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "2023-%02d-%02d", m, 8 + i % 20);
    return buf;
}

namespace detail {

inline bool exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    const bool ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK;
    if (!ok) std::fprintf(stderr, "history seed: %s\n  in %s\n", error, sql.c_str());
    sqlite3_free(error);
    return ok;
}

// A prepared insert bound slot by slot, stepped and reset by row().
class Insert {
public:
    Insert(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "history seed: %s\n", sqlite3_errmsg(db));
    }
    ~Insert() { sqlite3_finalize(stmt_); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;
    bool ready() const { return stmt_ != nullptr; }
    Insert& text(const std::string& v) {
        sqlite3_bind_text(stmt_, ++slot_, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Insert& text(const char* v) {
        sqlite3_bind_text(stmt_, ++slot_, v, -1, SQLITE_STATIC);
        return *this;
    }
    Insert& number(double v) {
        sqlite3_bind_double(stmt_, ++slot_, v);
        return *this;
    }
    Insert& integer(qint64 v) {
        sqlite3_bind_int64(stmt_, ++slot_, v);
        return *this;
    }
    Insert& null() {
        sqlite3_bind_null(stmt_, ++slot_);
        return *this;
    }
    bool row() {
        const bool ok = sqlite3_step(stmt_) == SQLITE_DONE;
        sqlite3_reset(stmt_);
        slot_ = 0;
        return ok;
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int slot_ = 0;
};

inline bool seed(sqlite3* db, int n) {
    bool ok = exec(db, "BEGIN");
    // The big tables get their indexes after their rows: one sort instead of a random insert
    // per row and index.
    std::vector<std::string> indexes;
    {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db,
                           "select name, sql from sqlite_master where type='index' and sql is not "
                           "null and tbl_name in ('总收费','抄表总表','月附加费','日志管理','抄表管理')",
                           -1, &stmt, nullptr);
        std::vector<std::string> names;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
            indexes.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
        }
        sqlite3_finalize(stmt);
        for (const std::string& name : names) ok = ok && exec(db, "DROP INDEX " + name);
    }
    ok = ok &&
         exec(db,
              "insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
              "(5,'居民','水费',2.5,0,0)") &&
         exec(db,
              "insert into 附加费 (附加费名称,价格,计费方式,水价类别,收费项目) values "
              "('污水费',0.8,'按用量','居民','水费')") &&
         exec(db, "insert into 抄表员 (抄表员) values ('张三'),('李四')");
    for (int s = 0; ok && s < 40; ++s)
        ok = exec(db, "insert into 街道 (街道) values ('街道" + std::to_string(s) + "')");

    Insert household_row(db,
                         "insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,建档时间,磁卡号码,"
                         "性质,物业类别,物业面积,停车费) values (?,'0',?,?,?,'2022-12-01',?,0,'住宅',"
                         "?,0)");
    Insert meter_row(db,
                     "insert into 用户表管理 (户号,收费项目,价格类别,开始起数,抄表人员,倍率,计量编号,"
                     "抄表序号,建表时间,父号,状态) values (?,'水费','居民',0,?,1,?,?,'2022-12-01',?,"
                     "'正常')");
    Insert reading_row(db,
                       "insert into 抄表总表 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,"
                       "抄表人员,是否收费,收据号,流水号,价格,实收量) values (?,?,?,?,?,0,?,'水费','居民',"
                       "?,1,?,?,2.5,?)");
    Insert bill_row(db,
                    "insert into 总收费 (户号,收据号,流水号,发票号,标志,收费标志,收费项目,价格类别,"
                    "抄表人员,抄表日期,收费日期,收费人员,实收量,价格,水费金额,附加费金额,成本金额,差额,"
                    "应收金额,减免金额,减免用量,上月接转,本月接转,实收金额,预存扣款,滞纳金,水损) values "
                    "(?,?,?,'',1,?,'水费','居民',?,?,?,?,?,2.5,?,?,0,0,?,0,0,0,0,?,0,0,0)");
    Insert line_row(db,
                    "insert into 月附加费 (户号,附加费名称,用量,价格,金额,收费日期,收据号,收费标志,"
                    "收费项目,价格类别) values (?,'污水费',?,0.8,?,?,?,?,'水费','居民')");
    Insert deposit_row(db,
                       "insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志) values "
                       "(?,?,100,?,'收费员甲','',1)");
    Insert pending_row(db,
                       "insert into 抄表管理 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,"
                       "抄表人员,价格) values (?,?,?,?,?,0,?,'水费','居民',?,2.5)");
    Insert log_row(db,
                   "insert into 日志管理 (操作人员,发生时间,上级项目,当前项目,备注) values "
                   "(?,?,'收费管理','窗口收费',?)");
    ok = ok && household_row.ready() && meter_row.ready() && reading_row.ready() &&
         bill_row.ready() && line_row.ready() && deposit_row.ready() && pending_row.ready() &&
         log_row.ready();

    const auto money = [](double v) { return static_cast<double>(qRound64(v * 100)) / 100; };
    for (int i = 1; ok && i <= n; ++i) {
        const std::string h = household(i), a = account(i);
        ok = household_row.text(h)
                 .text("住户" + std::to_string(i) + "号")
                 .text("街道" + std::to_string(i % 40))
                 .text(std::to_string(i % 300) + "号楼" + std::to_string(i % 6 + 1) + "单元")
                 .text("C" + std::to_string(i))
                 .number(50 + i % 200 * 0.5)
                 .row() &&
             meter_row.text(a).text(reader_of(i)).text("M" + h).integer(i).text(h).row();
        if (ok && i % 20 < 13)
            ok = deposit_row.integer(i)
                     .text(h)
                     .text("2023-" + std::string(i % 12 < 9 ? "0" : "") + std::to_string(1 + i % 12) +
                           "-15")
                     .row();
        if (ok && i % 2)
            ok = pending_row.text(a)
                     .text(h)
                     .number(start_reading(i, 13))
                     .number(start_reading(i, 13) + usage(i, 13))
                     .number(usage(i, 13))
                     .text(kPendingDate)
                     .text(reader_of(i))
                     .row();
    }
    for (int m = 1; ok && m <= kMonths; ++m) {
        const std::string date = reading_date(m);
        for (int i = 1; ok && i <= n; ++i) {
            const std::string h = household(i), a = account(i);
            const double u = usage(i, m), water = money(u * 2.5), sewage = money(u * 0.8);
            const bool paid = m < kMonths;
            const qint64 r = receipt(n, i, m), s = serial(n, i, m);
            const std::string charged = paid ? payment_date(i, m) : "2023-12-06";
            reading_row.text(a).text(h).number(start_reading(i, m)).number(start_reading(i, m) + u);
            reading_row.number(u).text(date).text(reader_of(i)).integer(r);
            if (paid)
                reading_row.integer(s);
            else
                reading_row.null();
            ok = reading_row.number(u).row();
            bill_row.text(h).integer(r);
            if (paid)
                bill_row.integer(s);
            else
                bill_row.null();
            bill_row.integer(paid ? 0 : 1).text(reader_of(i)).text(date).text(charged);
            bill_row.text(paid ? collector_of(i) : "").number(u).number(water).number(sewage);
            ok = ok && bill_row.number(water + sewage).number(water + sewage).row();
            ok = ok && line_row.text(h)
                           .number(u)
                           .number(sewage)
                           .text(charged)
                           .integer(r)
                           .integer(paid ? 0 : 1)
                           .row();
        }
    }
    char when[32];
    const qint64 logs = 11LL * n;
    for (qint64 k = 0; ok && k < logs; ++k) {
        const qint64 minute = k * 525600 / logs;  // spread over the year
        const QDateTime at = QDateTime(QDate(2023, 1, 1), QTime(0, 0)).addSecs(minute * 60);
        std::snprintf(when, sizeof when, "%s",
                      at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1().constData());
        ok = log_row.text(k % 2 ? "管理员" : "收费员甲")
                 .text(std::string(when))
                 .text("添加收费记录" + account(static_cast<int>(k % n) + 1))
                 .row();
    }
    for (const std::string& sql : indexes) ok = ok && exec(db, sql);
    return exec(db, ok ? "COMMIT" : "ROLLBACK") && ok;
}

// A short name of the shipped schema: a cache made from another schema is not reused.
inline QString schema_key(const QString& database) {
    sqlite3* db = open_raw(database, false);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "select sql from sqlite_master where sql is not null order by name", -1,
                       &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                                    sqlite3_column_bytes(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return QString::fromLatin1(hash.result().toHex().left(10));
}

}  // namespace detail

// The cached database of `households` households, built first when there is none of this
// version; empty when it cannot be built.
inline QString cached_database(int households) {
    static std::map<int, QString> known;
    if (const auto it = known.find(households); it != known.end()) return it->second;
    QTemporaryDir scratch;
    const QString folder = scratch.filePath(QStringLiteral("seed"));
    harness::lay_out_program_folder(folder);
    const QString fresh = folder + QStringLiteral("/") + platform::kMainDatabaseFile;
    const QString cache_dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../bench-cache");
    QDir().mkpath(cache_dir);
    const QString path = QDir(cache_dir).absoluteFilePath(
        QStringLiteral("history-v%1-%2-%3.mdb")
            .arg(kSeedVersion)
            .arg(detail::schema_key(fresh))
            .arg(households));
    if (!QFile::exists(path)) {
        std::fprintf(stderr, "building the year of history of %d households in %s\n", households,
                     qPrintable(path));
        QElapsedTimer timer;
        timer.start();
        sqlite3* db = open_raw(fresh, false);
        // A scratch file: no journal to keep, nothing to sync until it is complete.
        bool ok = db && detail::exec(db, "PRAGMA journal_mode=DELETE") &&
                  detail::exec(db, "PRAGMA synchronous=OFF") &&
                  detail::exec(db, "PRAGMA cache_size=-1000000") &&
                  detail::seed(db, households) && detail::exec(db, "PRAGMA journal_mode=WAL");
        sqlite3_close(db);
        const QString part = path + QStringLiteral(".part");
        QFile::remove(part);
        ok = ok && QFile::copy(fresh, part) && QFile::rename(part, path);
        if (!ok) return QString();
        std::fprintf(stderr, "built in %.1f s\n", timer.elapsed() / 1000.0);
    }
    known[households] = path;
    return path;
}

// Program folders holding copies of the year of history (a size may have several copies, told
// apart by a letter), and the one the main connection is on. At the end the main database is
// closed and the program folder forgotten.
class Registers {
public:
    Registers() = default;
    ~Registers() {
        store::close_main_database();
        platform::set_program_directory_for_tests(QString());
    }
    Registers(const Registers&) = delete;
    Registers& operator=(const Registers&) = delete;

    // A fresh copy of the register of `households` laid out as a program folder.
    bool prepare(int households, char copy = 'a') {
        const QString cache = cached_database(households);
        if (cache.isEmpty()) return false;
        const QString name = key(households, copy);
        const QString folder = dir_.filePath(name);
        harness::lay_out_program_folder(folder);
        const QString target = folder + QStringLiteral("/") + platform::kMainDatabaseFile;
        QFile::remove(target);
        if (!QFile::copy(cache, target)) return false;
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        folders_[name] = folder;
        return true;
    }

    // That copy laid afresh from the copy `from` as it is now (from the cache when `from` is 0)
    // and the main connection opened on it: a run that changes the register starts each
    // repetition from the same rows. The main database is closed first, so the file copied is
    // whole (its journal checkpointed into it).
    bool restore(int households, char copy, char from = 0) {
        store::close_main_database();
        open_.clear();
        const QString name = key(households, copy);
        if (!folders_.count(name) && !prepare(households, copy)) return false;
        const QString target = folders_[name] + QStringLiteral("/") + platform::kMainDatabaseFile;
        QString source = cached_database(households);
        if (from) {
            const auto it = folders_.find(key(households, from));
            if (it == folders_.end()) return false;
            source = it->second + QStringLiteral("/") + platform::kMainDatabaseFile;
        }
        for (const char* tail : {"", "-wal", "-shm"}) QFile::remove(target + QLatin1String(tail));
        if (!QFile::copy(source, target)) return false;
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        return use(households, copy);
    }

    // The main connection on that copy of the register (prepared first if need be); `fresh`
    // opens it anew even when it is open, so nothing of it is in the connection's cache.
    bool use(int households, char copy = 'a', bool fresh = false) {
        const QString name = key(households, copy);
        if (open_ == name && !fresh) return true;
        if (!folders_.count(name) && !prepare(households, copy)) return false;
        store::close_main_database();
        platform::set_program_directory_for_tests(folders_[name]);
        open_.clear();
        if (!store::reopen_main_database()) return false;
        shell::load_system_parameters();
        open_ = name;
        return true;
    }

private:
    static QString key(int households, char copy) {
        return QStringLiteral("register%1%2").arg(households).arg(QLatin1Char(copy));
    }
    QTemporaryDir dir_;
    std::map<QString, QString> folders_;
    QString open_;
};

// What every history bench does before its benchmarks, once its application object exists:
// the benchmark options read, each register prepared (both sizes, in each of `copies`), the
// program-wide objects made, the administrator logged in and the clock on 2024-01-20 09:00.
// False, said on stderr, when a register cannot be prepared.
inline bool start_history_bench(int* argc, char** argv, Registers& registers,
                                std::initializer_list<char> copies = {'a'}) {
    benchmark::Initialize(argc, argv);
    for (const int size : {kSmall, large_size()})
        for (const char copy : copies)
            if (!registers.prepare(size, copy)) {
                std::fprintf(stderr, "cannot prepare the year of history\n");
                return false;
            }
    shell::init_program_variables();
    shell::current_operator = QStringLiteral("管理员");
    platform::set_clock_for_tests(QDateTime(QDate(2024, 1, 20), QTime(9, 0)));
    return true;
}

// Prints "ratio <what> 200,000/1,000: ..." of a benchmark run at both sizes.
inline void print_size_ratio(const RatioReporter& reporter, const char* what,
                             const std::string& name, const std::string& suffix,
                             const char* target) {
    const std::string label = std::string(what) + " " + std::to_string(large_size()) + "/" +
                              std::to_string(kSmall);
    const std::string large = std::to_string(large_size()), small = std::to_string(kSmall);
    reporter.print_ratio(label.c_str(), name + "/" + large + suffix, large.c_str(),
                         name + "/" + small + suffix, small.c_str(), target);
}

}  // namespace bench::history
