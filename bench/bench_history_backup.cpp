// The exit backup after a year of history (bench_history.h), in the register of 1,000 and of
// 200,000 households, against a plain copy of the same file to another one with its fsync. The
// backup is a snapshot that other programs may go on writing meanwhile, checked page by page
// before it takes its name. Prints each ratio, target 10.
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <vector>

#include "bench_history.h"
#include "platform/files.h"
#include "store/backup.h"
#include "store/main_database.h"

namespace {

using namespace bench::history;

Registers* g_registers = nullptr;
constexpr int kCopies = 3;

int size_of(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

// The database closed, as at the exit (and reopened fresh by the next `use`).
bool closed_register(benchmark::State& state) {
    if (!g_registers->use(size_of(state), 'a', true)) {
        state.SkipWithError("cannot open the register");
        return false;
    }
    store::close_main_database();
    return true;
}

// The automatic backup at the exit, as backup_database makes it (the same name each time: the
// clock stands still), each from the file as the program's close leaves it after a session.
void BM_ExitBackup(benchmark::State& state) {
    // The exit backup is made only with the automatic backup on; the program opened the
    // database at its start under that setting.
    platform::ini_write_text(QStringLiteral("备份方式"), QStringLiteral("自动备份"),
                             QStringLiteral("真"));
    if (!closed_register(state) || !store::reopen_main_database()) return;
    store::close_main_database();
    for (auto _ : state) {
        const store::AutomaticBackupOutcome made = store::backup_database();
        if (!made.made) {
            state.SkipWithError("the backup failed");
            break;
        }
        state.PauseTiming();
        QFile::remove(platform::ini_read_text(QStringLiteral("备份方式"), QStringLiteral("备份文件")));
        store::reopen_main_database();
        store::close_main_database();
        state.ResumeTiming();
    }
}

// The raw cost: the file's bytes read and written to another file, and that file synced.
void BM_PlainCopy(benchmark::State& state) {
    if (!closed_register(state)) return;
    const QByteArray from = QFile::encodeName(store::main_database_path());
    const QByteArray to = QFile::encodeName(platform::app_path(platform::kBackupFolder) +
                                            QStringLiteral("/plain.mdb"));
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        const int in = ::open(from.constData(), O_RDONLY);
        const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        bool ok = in >= 0 && out >= 0;
        for (ssize_t got; ok && (got = ::read(in, buffer.data(), buffer.size())) > 0;)
            ok = ::write(out, buffer.data(), static_cast<size_t>(got)) == got;
        ok = ok && ::fsync(out) == 0;
        if (in >= 0) ::close(in);
        if (out >= 0) ::close(out);
        if (!ok) {
            state.SkipWithError("the copy failed");
            break;
        }
        state.PauseTiming();
        ::unlink(to.constData());
        state.ResumeTiming();
    }
}

#define BACKUP_BENCHMARK(name)         \
    BENCHMARK(name)                    \
        ->Arg(kSmall)                  \
        ->Arg(large_size())            \
        ->Unit(benchmark::kMillisecond) \
        ->Iterations(kCopies)          \
        ->UseRealTime()

BACKUP_BENCHMARK(BM_PlainCopy);
BACKUP_BENCHMARK(BM_ExitBackup);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Registers registers;
    g_registers = &registers;
    if (!start_history_bench(&argc, argv, registers)) return 1;

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::string suffix = "/iterations:" + std::to_string(kCopies) + "/real_time";
    for (const int size : {kSmall, large_size()}) {
        const std::string at = "/" + std::to_string(size) + suffix;
        const std::string what = "exit backup vs plain copy+fsync at " + std::to_string(size);
        reporter.print_ratio(what.c_str(), "BM_ExitBackup" + at, "backup", "BM_PlainCopy" + at,
                             "copy", "10");
    }
    platform::clear_clock_for_tests();
    shell::free_program_variables();
    benchmark::Shutdown();
    return 0;
}
