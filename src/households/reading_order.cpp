#include "households/reading_order.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "households/meter_account.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"

namespace households {

namespace {

using platform::sql_quote;

struct MeterPlace {
    bool found = false;
    qint64 order = 0;
    QString reader;
};

MeterPlace read_place(platform::Connection& connection, qint64 id) {
    MeterPlace place;
    const QList<QStringList> rows = platform::query_rows(
        connection, QStringLiteral("select 抄表序号,编号,抄表人员 from 用户表管理 where 编号=") +
                        QString::number(id));
    if (rows.isEmpty()) return place;
    place.found = true;
    place.order = static_cast<qint64>(std::trunc(platform::to_number(rows.first().value(0))));
    place.reader = rows.first().value(2);
    return place;
}

// A refused statement moves nothing and shows nothing; it is not reported as a move.
ReadingOrderOutcome failed(platform::Connection& connection, const QString& reader) {
    ReadingOrderOutcome outcome;
    outcome.reader = reader;
    outcome.error = platform::db_last_error(connection);
    return outcome;
}

// When every account of the walk from `place` on that changes place moves by the same step and
// no account that keeps its place lies between them (a walk without gaps or ties there, as
// walks normally are), one update of that range of places renumbers them exactly as the
// ranking would, at the cost of a plain shift. The accounts are read once for the test.
enum class Shift { Done, NeedsRanking, Failed };

Shift shift_uniformly(platform::Connection& connection, const QString& reader, qint64 id,
                      qint64 place) {
    platform::PreparedStatement read(
        connection, QStringLiteral("select 编号,抄表序号 from 用户表管理 where 抄表人员=? and "
                                   "编号<>? and 抄表序号>=?"));
    read.bind_text(1, reader);
    read.bind_integer(2, id);
    read.bind_integer(3, place);
    platform::RecordSet rows;
    if (!read.open(rows, platform::OnFailure::Quiet)) return Shift::Failed;
    struct Account {
        qint64 order, id;
        bool operator<(const Account& other) const {
            return order != other.order ? order < other.order : id < other.id;
        }
    };
    std::vector<Account> walk;
    walk.reserve(static_cast<size_t>(rows.row_count));
    constexpr qint64 kFarPlace = qint64(1) << 50;  // keeps the arithmetic below in range
    for (int r = 0; r < rows.row_count; ++r) {
        using Type = platform::RecordSet::CellType;
        const auto& id_cell = rows.cells[static_cast<size_t>(r) * 2];
        const auto& order_cell = rows.cells[static_cast<size_t>(r) * 2 + 1];
        // A place that is no whole number sorts as the ranking's ORDER BY says.
        if (id_cell.type != Type::Integer || order_cell.type != Type::Integer ||
            order_cell.integer > kFarPlace)
            return Shift::NeedsRanking;
        walk.push_back({order_cell.integer, id_cell.integer});
    }
    std::sort(walk.begin(), walk.end());
    // The k-th account (from 0) goes to place + 1 + k.
    const auto delta = [&](size_t k) { return place + 1 + static_cast<qint64>(k) - walk[k].order; };
    bool changes = false;
    qint64 step = 0, low = 0, high = 0;
    for (size_t k = 0; k < walk.size(); ++k) {
        if (delta(k) == 0) continue;
        if (changes && delta(k) != step) return Shift::NeedsRanking;
        if (!changes) low = walk[k].order;
        changes = true;
        step = delta(k);
        high = walk[k].order;
    }
    if (!changes) return Shift::Done;
    // An account keeping its place among those that move would be moved along.
    for (size_t k = 0; k < walk.size(); ++k)
        if (walk[k].order >= low && walk[k].order <= high && delta(k) != step)
            return Shift::NeedsRanking;
    platform::PreparedStatement shift(
        connection, QStringLiteral("update 用户表管理 set 抄表序号=抄表序号+? where 抄表人员=? and "
                                   "编号<>? and 抄表序号>=? and 抄表序号<=?"));
    shift.bind_integer(1, step);
    shift.bind_text(2, reader);
    shift.bind_integer(3, id);
    shift.bind_integer(4, low);
    shift.bind_integer(5, high);
    return shift.execute() ? Shift::Done : Shift::Failed;
}

// The scratch table of a move to a place: the accounts to renumber in their walk order, 排位
// counting 1, 2, ... as they are inserted.
const QString kRankTable = QStringLiteral("temp.抄表序号排位");

}  // namespace

ReadingOrderOutcome move_meter_one_place(platform::Connection& connection, qint64 id,
                                         OneStep step) {
    ReadingOrderOutcome outcome;
    const MeterPlace place = read_place(connection, id);
    if (!place.found) return outcome;
    outcome.reader = place.reader;
    const qint64 n = place.order;
    const bool up = step == OneStep::Up;
    if (up && n <= 1) {
        outcome.messages << platform::information(QStringLiteral("已到首位。"));
        return outcome;
    }
    if (!up && n == reader_account_count(connection, place.reader)) {
        outcome.messages << platform::information(QStringLiteral("已到末位。"));
        return outcome;
    }
    const qint64 target = up ? n - 1 : n + 1;
    const qint64 partner = platform::query_integer(
        connection, QStringLiteral("select 编号 from 用户表管理 where 抄表序号=") +
                        QString::number(target) + QStringLiteral(" and 抄表人员=") +
                        sql_quote(place.reader));
    // Both places change in one statement, so no two accounts are left on one place.
    const QString swap =
        QStringLiteral("update 用户表管理 set 抄表序号=case when 编号=") + QString::number(id) +
        QStringLiteral(" then ") + QString::number(target) + QStringLiteral(" else ") +
        QString::number(n) + QStringLiteral(" end where 编号 in (") +
        QString::number(id) + u',' + QString::number(partner) + u')';
    if (!platform::db_execute(connection, swap)) return failed(connection, place.reader);
    outcome.moved = true;
    outcome.refill_question = up ? QStringLiteral("序号上移成功，是否刷新列表？")
                                 : QStringLiteral("序号下移成功，是否刷新列表？");
    outcome.done_message = up ? QStringLiteral("序号上移成功！") : QStringLiteral("序号下移成功！");
    return outcome;
}

ReadingOrderOutcome move_meter_to_place(platform::Connection& connection, qint64 id,
                                        const QString& typed_place) {
    ReadingOrderOutcome outcome;
    const double typed = std::trunc(platform::to_number(typed_place));
    if (typed < 1) {
        outcome.messages << platform::information(QStringLiteral("待设置的序号不能小于１。"));
        return outcome;
    }
    // Above any walk there can be; keeps the arithmetic in range.
    const qint64 position = typed > 1e12 ? qint64(1e12) : static_cast<qint64>(typed);
    const MeterPlace place = read_place(connection, id);
    if (!place.found) return outcome;
    outcome.reader = place.reader;

    // The whole renumbering or none of it: a half-done one leaves two accounts on one place.
    // A walk that allows it is shifted in one update; otherwise the accounts from the place on
    // are ranked in a scratch table in one insert and renumbered in one update. Either way the
    // cost does not grow with statements per account.
    platform::Transaction renumber(connection);
    const QString n = QString::number(position);
    if (!platform::db_execute(connection, QStringLiteral("update 用户表管理 set 抄表序号=") + n +
                                              QStringLiteral(" where 编号=") + QString::number(id)))
        return failed(connection, place.reader);
    const Shift shift = shift_uniformly(connection, place.reader, id, position);
    if (shift == Shift::Failed) return failed(connection, place.reader);
    const QStringList ranking = {
        QStringLiteral("create temp table if not exists 抄表序号排位 "
                       "(排位 INTEGER PRIMARY KEY, 编号 INTEGER UNIQUE)"),
        QStringLiteral("delete from ") + kRankTable,
        QStringLiteral("insert into ") + kRankTable +
            QStringLiteral(" (编号) select 编号 from 用户表管理 where 抄表人员=") +
            sql_quote(place.reader) + QStringLiteral(" and 编号<>") + QString::number(id) +
            QStringLiteral(" and 抄表序号>=") + n + QStringLiteral(" ORDER BY 抄表序号,编号"),
        QStringLiteral("update 用户表管理 set 抄表序号=") + n +
            QStringLiteral("+(select 排位 from ") + kRankTable +
            QStringLiteral(" where 抄表序号排位.编号=用户表管理.编号) where 编号 in (select 编号 from ") +
            kRankTable + u')',
        QStringLiteral("delete from ") + kRankTable,
    };
    if (shift == Shift::NeedsRanking)
        for (const QString& statement : ranking)
            if (!platform::db_execute(connection, statement))
                return failed(connection, place.reader);
    if (!renumber.commit()) return failed(connection, place.reader);
    outcome.moved = true;
    outcome.refill_question = QStringLiteral("序号移动成功，是否刷新列表？");
    outcome.done_message = QStringLiteral("序号移动成功！");
    return outcome;
}

}  // namespace households
