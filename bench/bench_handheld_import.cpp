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
#include <QTemporaryDir>
#include <cstdio>

#include "bench_common.h"
#include "harness/fixture.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/files.h"
#include "reading/handheld_file.h"
#include "reading/handheld_schemes.h"
#include "shell/program_state.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace {

constexpr int kMeters = 20000;

QTemporaryDir* g_dir = nullptr;
std::vector<reading::HandheldRow> g_route;

void exec(const QString& sql) {
    if (!platform::db_execute(store::main_connection(), sql))
        std::fprintf(stderr, "%s\n", platform::db_last_error(store::main_connection()).toUtf8().constData());
}

void seed() {
    platform::Connection& c = store::main_connection();
    platform::Transaction t(c);
    exec(QStringLiteral("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values (9,'居民','水费',2.5,0,0)"));
    for (int i = 0; i < kMeters; ++i) {
        const QString h = QStringLiteral("%1").arg(i, 6, 10, QChar(u'0'));
        exec(QStringLiteral("insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址) values ('") + h +
             QStringLiteral("','0','用户名字") + QString::number(i) + QStringLiteral("','幸福街','幸福街") +
             QString::number(i % 300) + QStringLiteral("号楼')"));
        exec(QStringLiteral("insert into 用户表管理 (户号,父号,收费项目,价格类别,开始起数,倍率,计量编号,抄表序号,"
                            "抄表人员,状态) values ('") +
             h + QStringLiteral("01','") + h + QStringLiteral("','水费','居民',") + QString::number(i % 500) +
             QStringLiteral(",1,'M") + QString::number(i) + QStringLiteral("',") + QString::number(i) +
             QStringLiteral(",'张三','正常')"));
    }
    exec(QStringLiteral("insert into 抄表机_方案名称 (方案名称,默认方案) values ('路线','是')"));
    const char* fields[][5] = {{"HH", "文本型", "10", "抄表户号", "c"},  {"XM", "文本型", "10", "用户姓名", "c"},
                               {"DZ", "文本型", "30", "居住街道", "c"},  {"JL", "文本型", "10", "计量编号", "c"},
                               {"LB", "文本型", "4", "价格类别", "c"},   {"BL", "整数型", "4", "倍率", "n"},
                               {"SYDS", "双精确度型", "12", "上月度数", "n"}, {"SYYL", "双精确度型", "12", "上月用量", "n"},
                               {"BYDS", "双精确度型", "12", "本月度数", "n"}, {"RQ", "日期型", "8", "抄表日期", "D"}};
    int number = 0;
    for (const auto& f : fields)
        exec(QStringLiteral("insert into 抄表机_方案 (字段名称,字段类型,字段长度,对应字段,方案名称,编号) values ('") +
             QString::fromUtf8(f[0]) + QStringLiteral("','") + QString::fromUtf8(f[1]) + QStringLiteral("',") +
             QString::fromUtf8(f[2]) + QStringLiteral(",'") + QString::fromUtf8(f[3]) +
             QStringLiteral("','路线',") + QString::number(++number) + u')');
    t.commit();
}


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
    QTemporaryDir dir;
    g_dir = &dir;
    const QString folder = dir.filePath(QStringLiteral("program"));
    harness::lay_out_program_folder(folder);
    platform::set_program_directory_for_tests(folder);
    if (!store::open_main_database()) {
        std::fprintf(stderr, "could not open the database\n");
        return 1;
    }
    store::bind_main_record_sets();
    shell::init_program_variables();
    shell::current_operator = QStringLiteral("管理员");
    shell::load_system_parameters();
    seed();
    g_route = reading::handheld_route_rows(store::main_connection(),
                                           reading::handheld_route_statement({}).statement,
                                           QDate(2024, 3, 5));
    g_file = dir.filePath(QStringLiteral("chaobiao.dbf"));
    if (!reading::export_handheld_file(store::main_connection(), QStringLiteral("路线"), g_file, g_route)
             .ok) {
        std::fprintf(stderr, "could not write the device file\n");
        return 1;
    }

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("handheld import", "BM_HandheldImport/iterations:3/real_time", "import",
                         "BM_RawReadAndInsert/iterations:3/real_time", "raw read and insert", "3");

    store::close_main_database();
    shell::free_program_variables();
    benchmark::Shutdown();
    return 0;
}
