// The handheld route file of 20,000 meters against writing the same records with shapelib
// directly, in the same run. The route is generated once; the export is the whole file writer
// (the scheme's fields read, the price-category numbers looked up, every value encoded in GBK
// and cut to its field's width); the raw side creates the same table and writes the same values,
// encoded in GBK, with shapelib's calls. Prints the ratio export/raw; the target is at most 2.
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

void BM_HandheldExport(benchmark::State& state) {
    const QString path = g_dir->filePath(QStringLiteral("route.dbf"));
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
    const QByteArray path = QFile::encodeName(g_dir->filePath(QStringLiteral("raw.dbf")));
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
    if (g_route.size() != static_cast<size_t>(kMeters)) {
        std::fprintf(stderr, "the route has %zu meters\n", g_route.size());
        return 1;
    }

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("handheld export", "BM_HandheldExport/iterations:5/real_time", "export",
                         "BM_RawShapelib/iterations:5/real_time", "raw shapelib", "2");

    store::close_main_database();
    shell::free_program_variables();
    benchmark::Shutdown();
    return 0;
}
