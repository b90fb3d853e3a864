#pragma once
// Queries of committed readings and of meter accounts still unread in a month (content page 3).
// The page's list shows one kind at a time; reading_query_kind (shell/session.h) names it and
// is also the list's 查询列 class.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace platform {
struct Connection;
}

namespace reading {

inline const QString kReadQueryKind = QStringLiteral("已抄表查询");
inline const QString kUnreadQueryKind = QStringLiteral("未抄表查询");

// The readings statement up to the caller's condition; readings whose household or meter
// account is gone are not listed.
QString read_readings_statement(const QString& condition);
// The two quick look-ups' conditions (the entry trimmed).
QString card_number_condition(const QString& entry);
QString household_condition(const QString& entry);

struct ReadQueryForm {
    QDate from, to;
    bool by_fee_item = false;
    QString fee_item;
    bool by_reader = false;
    QString reader;
    bool by_street = false;
    QString street;
    QString order;      // 抄表人员, 居住街道, 抄表日期, 用户户号
    QString direction;  // 升序, 降序
};
QString read_readings_condition(const ReadQueryForm& form);

struct UnreadQueryForm {
    QString year, month;  // as typed
    bool by_fee_item = false;
    QString fee_item;
    bool by_reader = false;
    QString reader;
    bool by_street = false;
    QString street;
    QString order;  // 抄表人员, 居住街道, 用户户号
    QString direction;
};
struct UnreadQueryOutcome {
    bool run = false;  // false: refused, the window stays open
    QString message;
    enum class Focus { None, Year, Month, FeeItem } focus = Focus::None;
    QStringList failures;  // texts to show, each in a plain box, in order
};
// Refills 未抄表数据 with the "正常" meter accounts that have no committed reading dated from
// `reading_day` of the month to its last day.
UnreadQueryOutcome run_unread_query(platform::Connection& connection, const UnreadQueryForm& form,
                                    int reading_day);
// Lists what the last unread query left in 未抄表数据.
extern const QString kUnreadListStatement;

// The list's rows for a statement, cells by position as the page shows them, the totals row
// (合计, the count followed by 户, and for readings the total 用量 and 水损) last.
// kind 1: readings; kind 2: unread meter accounts. `progress` is told after each record read.
QList<QStringList> reading_query_rows(
    platform::Connection& connection, const QString& statement, int kind,
    const std::function<void(int done, int total)>& progress = {});

}  // namespace reading
