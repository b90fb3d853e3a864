#pragma once
// The route the handheld benchmarks export and import: meters of households 000000.. read by
// 张三, one price category, and the default scheme 路线 of ten fields.
#include <QDate>
#include <QString>
#include <cstdio>
#include <vector>

#include "platform/db.h"
#include "reading/handheld_file.h"
#include "reading/handheld_schemes.h"
#include "store/main_database.h"

namespace bench {

inline void exec_logged(const QString& sql) {
    if (!platform::db_execute(store::main_connection(), sql))
        std::fprintf(stderr, "%s\n",
                     platform::db_last_error(store::main_connection()).toUtf8().constData());
}

inline void seed_handheld_route(int meters) {
    platform::Connection& c = store::main_connection();
    platform::Transaction t(c);
    exec_logged(
        QStringLiteral("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
                       "(9,'居民','水费',2.5,0,0)"));
    for (int i = 0; i < meters; ++i) {
        const QString h = QStringLiteral("%1").arg(i, 6, 10, QChar(u'0'));
        exec_logged(QStringLiteral(
                        "insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址) values ('") +
                    h + QStringLiteral("','0','用户名字") + QString::number(i) +
                    QStringLiteral("','幸福街','幸福街") + QString::number(i % 300) +
                    QStringLiteral("号楼')"));
        exec_logged(QStringLiteral("insert into 用户表管理 "
                                   "(户号,父号,收费项目,价格类别,开始起数,倍率,计量编号,抄表序号,"
                                   "抄表人员,状态) values ('") +
                    h + QStringLiteral("01','") + h + QStringLiteral("','水费','居民',") +
                    QString::number(i % 500) + QStringLiteral(",1,'M") + QString::number(i) +
                    QStringLiteral("',") + QString::number(i) + QStringLiteral(",'张三','正常')"));
    }
    exec_logged(
        QStringLiteral("insert into 抄表机_方案名称 (方案名称,默认方案) values ('路线','是')"));
    const char* fields[][5] = {{"HH", "文本型", "10", "抄表户号", "c"},
                               {"XM", "文本型", "10", "用户姓名", "c"},
                               {"DZ", "文本型", "30", "居住街道", "c"},
                               {"JL", "文本型", "10", "计量编号", "c"},
                               {"LB", "文本型", "4", "价格类别", "c"},
                               {"BL", "整数型", "4", "倍率", "n"},
                               {"SYDS", "双精确度型", "12", "上月度数", "n"},
                               {"SYYL", "双精确度型", "12", "上月用量", "n"},
                               {"BYDS", "双精确度型", "12", "本月度数", "n"},
                               {"RQ", "日期型", "8", "抄表日期", "D"}};
    int number = 0;
    for (const auto& f : fields)
        exec_logged(
            QStringLiteral("insert into 抄表机_方案 "
                           "(字段名称,字段类型,字段长度,对应字段,方案名称,编号) values ('") +
            QString::fromUtf8(f[0]) + QStringLiteral("','") + QString::fromUtf8(f[1]) +
            QStringLiteral("',") + QString::fromUtf8(f[2]) + QStringLiteral(",'") +
            QString::fromUtf8(f[3]) + QStringLiteral("','路线',") + QString::number(++number) +
            u')');
    t.commit();
}

// The route's rows as the export takes them, for 2024-03-05.
inline std::vector<reading::HandheldRow> handheld_route() {
    return reading::handheld_route_rows(store::main_connection(),
                                        reading::handheld_route_statement({}).statement,
                                        QDate(2024, 3, 5));
}

}  // namespace bench
