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

}  // namespace reports
