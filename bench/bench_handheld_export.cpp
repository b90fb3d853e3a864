// The handheld route file of 20,000 meters against writing the same records with shapelib
// directly, in the same run. The route is generated once; the export is the whole file writer
// (the scheme's fields read, the price-category numbers looked up, every value encoded in GBK
// and cut to its field's width); the raw side creates the same table and writes the same values,
// encoded in GBK, with shapelib's calls. Prints the ratio export/raw; the target is at most 2.
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

void BM_HandheldExport(benchmark::State& state) {
    const QString path = g_folder->scratch_path(QStringLiteral("route.dbf"));
    for (auto _ : state) {
        const auto outcome = reading::export_handheld_file(store::main_connection(), QStringLiteral("路线"),
                                                           path, g_route);
        if (!outcome.ok || outcome.records != kMeters) state.SkipWithError("the export failed");
    }
    state.SetItemsProcessed(state.iterations() * kMeters);
}

QByteArray gbk(const QString& text) {
    thread_local QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

void BM_RawShapelib(benchmark::State& state) {
    const QByteArray path = QFile::encodeName(g_folder->scratch_path(QStringLiteral("raw.dbf")));
    for (auto _ : state) {
        QFile::remove(QString::fromLocal8Bit(path));
        DBFHandle dbf = DBFCreateEx(path.constData(), "LDID/77");
        DBFAddNativeFieldType(dbf, "HH", 'C', 10, 0);
        DBFAddNativeFieldType(dbf, "XM", 'C', 10, 0);
        DBFAddNativeFieldType(dbf, "DZ", 'C', 30, 0);
        DBFAddNativeFieldType(dbf, "JL", 'C', 10, 0);
        DBFAddNativeFieldType(dbf, "LB", 'C', 4, 0);
        DBFAddNativeFieldType(dbf, "BL", 'N', 4, 0);
        DBFAddNativeFieldType(dbf, "SYDS", 'N', 12, 2);
        DBFAddNativeFieldType(dbf, "SYYL", 'N', 12, 2);
        DBFAddNativeFieldType(dbf, "BYDS", 'N', 12, 2);
        DBFAddNativeFieldType(dbf, "RQ", 'D', 8, 0);
        int r = 0;
        for (const reading::HandheldRow& row : g_route) {
            DBFWriteStringAttribute(dbf, r, 0, gbk(row.account).constData());
            DBFWriteStringAttribute(dbf, r, 1, gbk(row.name).left(10).constData());
            DBFWriteStringAttribute(dbf, r, 2, gbk(row.fee_item + row.address).left(30).constData());
            DBFWriteStringAttribute(dbf, r, 3, gbk(row.meter_number).constData());
            DBFWriteStringAttribute(dbf, r, 4, "9");
            DBFWriteDoubleAttribute(dbf, r, 5, row.multiplier.toDouble());
            DBFWriteDoubleAttribute(dbf, r, 6, row.last_reading.toDouble());
            DBFWriteDoubleAttribute(dbf, r, 7, row.last_usage.toDouble());
            DBFWriteDoubleAttribute(dbf, r, 8, 0);
            ++r;
        }
        DBFClose(dbf);
    }
    state.SetItemsProcessed(state.iterations() * kMeters);
}

BENCHMARK(BM_RawShapelib)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_HandheldExport)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

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
    if (g_route.size() != static_cast<size_t>(kMeters)) {
        std::fprintf(stderr, "the route has %zu meters\n", g_route.size());
        return 1;
    }

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("handheld export", "BM_HandheldExport/iterations:5/real_time", "export",
                         "BM_RawShapelib/iterations:5/real_time", "raw shapelib", "2");

    g_folder = nullptr;
    benchmark::Shutdown();
    return 0;
}
