#pragma once
// The meter-reading handbook: the list a reader carries on the reading walk, one line per
// active meter account of the reader in walking order (抄表序号) with the reading to start
// from and the household's arrears. It is built in two scratch tables of the main database,
// 抄表信息 and 欠费信息, dropped and made again at every print, then read into the grid that
// prints it (reading_handbook_window.h).
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "platform/db.h"
#include "reports/print_database.h"

namespace reports {

// Rebuilds 抄表信息 and 欠费信息 for one reader; a meter changed in the month of `today` starts
// from the new meter. A failing step is told and the next one still runs; the handbook then
// shows what the tables hold. `progress` is told after each of its statements (done, total).
std::vector<ReceiptMessage> build_handbook_tables(
    platform::Connection& main, const QString& reader, const QDate& today,
    const std::function<void(int done, int total)>& progress = {});

// One printed account: 户号, 用户名, 起数 (shortest form), 欠费金额 ("12.50(2)"), 收费项目,
// 居住街道, 移动电话, in the reader's walking order.
struct HandbookLine {
    QString account, name, start, arrears, item, street, mobile;
};
std::vector<HandbookLine> handbook_lines(platform::Connection& main, const QString& reader);

// The title printed on every page: office name + "抄表手册---当前抄表人员(" + reader + ")--" +
// date.
QString handbook_title(const QString& office, const QString& reader, const QDate& day);

// The readers offered for printing: every reader but "系统", in table order.
QStringList handbook_readers(platform::Connection& main);

// Where a reader is added, and where meter accounts are given one, as the menu and the
// navigation read.
inline const QString kMeterReadersMenuPath = QStringLiteral("基本设置 → 抄表人员设置");
inline const QString kMeterPagePath = QStringLiteral("用户管理 → 计量管理(F6)");
// What 打印 says when no reader is offered: a new office's accounts all belong to "系统", which
// has no handbook of its own.
inline const QString kNoHandbookReaderHint =
    QStringLiteral(
        "没有可打印卡片的抄表人员：计量账户都还属于“系统”。\n请先在菜单“%1”中添加抄表人员，"
        "再到“%2”页面用“批量排序”（或选中计量账户后按“修改”）为计量账户指定抄表人员，"
        "然后再打印卡片。")
        .arg(kMeterReadersMenuPath, kMeterPagePath);

}  // namespace reports
