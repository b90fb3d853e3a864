// The device file of a 20,000-meter route read back into the pending batch, against the raw
// read of the same file with shapelib plus raw inserts of the same rows, in the same run. The
// import is the whole core run (the file checked and read by the scheme, every account looked up,
// usage, loss and price worked out, the rows inserted in one transaction, the batch emptied
// first); the raw side reads the three fields of every record and inserts the rows with one
// prepared statement in one transaction. Prints the ratio import/raw; the target is at most 3.
#include <shapefil.h>

#include <QApplication>
#include <QFile>
#include <QStringEncoder>
#include <cstdio>

#include "bench_handheld.h"
#include "bench_program.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "reading/handheld_file.h"
#include "reading/handheld_schemes.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace {

constexpr int kMeters = 20000;

bench::ProgramFolder* g_folder = nullptr;
std::vector<reading::HandheldRow> g_route;

QString g_file;

void BM_HandheldImport(benchmark::State& state) {
    platform::Connection& c = store::main_connection();
    for (auto _ : state) {
        const auto file = reading::read_handheld_file(c, QStringLiteral("路线"), g_file);
        const auto outcome =
            reading::import_handheld_records(c, file.records, true, QDate(2024, 3, 5));
        if (!file.ok || !outcome.ok || outcome.inserted != kMeters)
            state.SkipWithError("the import failed");
    }
    state.SetItemsProcessed(state.iterations() * kMeters);
}

void BM_RawReadAndInsert(benchmark::State& state) {
    const QString db_path = platform::program_directory() + QStringLiteral("/DATA/DATA.mdb");
    sqlite3* db = bench::open_raw(db_path, false);
    if (!db) {
        state.SkipWithError("no raw connection");
        return;
    }
    const QByteArray path = QFile::encodeName(g_file);
    for (auto _ : state) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "delete from 抄表管理", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db,
                           "insert into 抄表管理 (户号,起方,止方,用量,抄表日期,水损,收费项目,价格类别,"
                           "抄表人员,父号,价格) values (?,?,?,?,'2024-03-05',0,'水费','居民','张三',?,2.5)",
                           -1, &insert, nullptr);
        DBFHandle dbf = DBFOpen(path.constData(), "rb");
        const int count = DBFGetRecordCount(dbf);
        for (int r = 0; r < count; ++r) {
            const QByteArray account = QByteArray(DBFReadStringAttribute(dbf, r, 0)).trimmed();
            const double start = DBFReadDoubleAttribute(dbf, r, 6);
            const double end = DBFReadDoubleAttribute(dbf, r, 8);
            sqlite3_bind_text(insert, 1, account.constData(), static_cast<int>(account.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_double(insert, 2, start);
            sqlite3_bind_double(insert, 3, end);
            sqlite3_bind_double(insert, 4, end - start);
            sqlite3_bind_text(insert, 5, account.constData(), static_cast<int>(account.size()) - 2,
                              SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        DBFClose(dbf);
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * kMeters);
}

BENCHMARK(BM_RawReadAndInsert)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_HandheldImport)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::ProgramFolder folder(QStringLiteral("program"));
    g_folder = &folder;
    if (!store::open_main_database()) return folder.cannot_prepare();
    store::bind_main_record_sets();
    folder.start_session();
    bench::seed_handheld_route(kMeters);
    g_route = bench::handheld_route();
    g_file = folder.scratch_path(QStringLiteral("chaobiao.dbf"));
    if (!reading::export_handheld_file(store::main_connection(), QStringLiteral("路线"), g_file, g_route)
             .ok) {
        std::fprintf(stderr, "could not write the device file\n");
        return 1;
    }

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("handheld import", "BM_HandheldImport/iterations:3/real_time", "import",
                         "BM_RawReadAndInsert/iterations:3/real_time", "raw read and insert", "3");

    g_folder = nullptr;
    benchmark::Shutdown();
    return 0;
}
