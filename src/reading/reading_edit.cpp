#include "reading/reading_edit.h"

#include <vector>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "reading/monthly_commit.h"
#include "reading/reading_rules.h"
#include "shell/operation_log.h"
#include "tariffs/reductions.h"
#include "tariffs/tariff_tables.h"

namespace reading {

namespace {

using platform::OnFailure;
using platform::sql_quote;

QString n(double value) { return platform::sql_number(value); }

// More than 0 when the reading's bill is valid (标志 1) and paid (收费标志 0).
QString paid_test(qint64 id) {
    return QStringLiteral(
               "select count(*) from 抄表总表,总收费 where 抄表总表.收据号=总收费.收据号 and "
               "总收费.标志=1 and 总收费.收费标志=0 and 抄表总表.编号=") +
           QString::number(id);
}

// A reading and the bill that covers it, as a save or a deletion finds them inside its own
// transaction.
struct Covered {
    bool read = false;   // the look-ups ran
    bool found = false;  // the reading is there
    QString meter;
    QString household;  // 父号
    qint64 bill_number = 0;
    bool billed = false;  // 是否收费 1
    bool paid = false;    // its bill is valid and paid
};

Covered covered_reading(platform::Connection& connection, qint64 id) {
    Covered c;
    bool read = false;
    const QList<QStringList> row = platform::query_rows(
        connection,
        QStringLiteral("select 户号,收据号,是否收费,父号 from 抄表总表 where 编号=") +
            QString::number(id),
        OnFailure::Quiet, &read);
    if (!read) return c;
    if (!row.isEmpty()) {
        c.found = true;
        c.meter = row[0].value(0);
        c.bill_number = static_cast<qint64>(platform::to_number(row[0].value(1)));
        c.billed = platform::to_number(row[0].value(2)) != 0;
        c.household = row[0].value(3);
        c.paid = platform::query_integer(connection, paid_test(id), OnFailure::Quiet, &read) > 0;
        if (!read) return c;
    }
    c.read = true;
    return c;
}

bool execute_expecting(platform::Connection& connection, const QString& sql, qint64 expected) {
    qint64 changed = -1;
    return platform::db_execute(connection, sql, &changed) && changed == expected;
}

// A bill a correction or deletion takes back, as counted inside its transaction before any
// write: the rows of 总收费 and the billed readings carrying its number, and the 编号 range of
// the fee items of those readings.
struct TakenBill {
    qint64 number = 0;
    qint64 rows = 0;
    qint64 readings = 0;
    qint64 first_item = 0, last_item = 0;
};

// Counts bill `number`; false when the look-up failed or no billed reading carries the number.
// `household`, when given, must own every one of those readings and each must belong to a
// known fee item; otherwise false as well.
bool count_bill(platform::Connection& connection, qint64 number, const QString& household,
                TakenBill* bill) {
    const QString N = QString::number(number);
    bool read = false;
    bill->number = number;
    bill->rows = platform::query_integer(
        connection, QStringLiteral("select count(*) from 总收费 where 收据号=") + N,
        OnFailure::Quiet, &read);
    if (!read) return false;
    const QList<QStringList> readings = platform::query_rows(
        connection,
        QStringLiteral("select count(*),count(收费项目.编号),min(收费项目.编号),max(收费项目.编号),"
                       "sum(case when 抄表总表.父号=") +
            sql_quote(household) +
            QStringLiteral(" then 1 else 0 end) from 抄表总表 left join 收费项目 on "
                           "收费项目.项目名称=抄表总表.收费项目 where 抄表总表.是否收费=1 and "
                           "抄表总表.收据号=") +
            N,
        OnFailure::Quiet, &read);
    if (!read || readings.isEmpty()) return false;
    const auto at = [&](int i) {
        return static_cast<qint64>(platform::to_number(readings[0].value(i)));
    };
    bill->readings = at(0);
    bill->first_item = at(2);
    bill->last_item = at(3);
    if (bill->readings == 0) return false;
    return household.isNull() || (at(1) == bill->readings && at(4) == bill->readings);
}

// Removes a counted bill's rows: the bill, only while every row of it is valid and unpaid, its
// surcharge lines and its reduction record. Its readings keep their marks (see unbill_readings).
// Each write must change what was counted; false otherwise (the caller rolls back).
bool remove_bill_rows(platform::Connection& connection, const TakenBill& bill,
                      const QString& lines_condition) {
    const QString N = QString::number(bill.number);
    return execute_expecting(
               connection,
               QStringLiteral("delete from 总收费 where 标志=1 and 收费标志=1 and 收据号=") + N,
               bill.rows) &&
           platform::db_execute(connection, QStringLiteral("delete from 月附加费 where ") +
                                                lines_condition + QStringLiteral("收据号=") + N) &&
           platform::db_execute(connection,
                                QStringLiteral("delete from 减免明细 where 收据号=") + N);
}

// Returns a counted bill's readings to unbilled.
bool unbill_readings(platform::Connection& connection, const TakenBill& bill) {
    return execute_expecting(
        connection,
        QStringLiteral("update 抄表总表 set 是否收费=0 where 是否收费=1 and 收据号=") +
            QString::number(bill.number),
        bill.readings);
}

// Removes the bill a billed reading carries, with its surcharge lines and reduction record, and
// returns its readings to unbilled. Only a bill whose every row is valid and unpaid goes, and
// each write must change what was counted before it; false otherwise (the caller rolls back).
// A reading a reduction covered in full has a receipt number without a bill: then only its
// reduction record goes and its readings return to unbilled.
bool remove_covering_bill(platform::Connection& connection, qint64 bill_number,
                          const QString& lines_condition) {
    TakenBill bill;
    return count_bill(connection, bill_number, QString(), &bill) &&
           remove_bill_rows(connection, bill, lines_condition) && unbill_readings(connection, bill);
}

// With carry-over on, each bill takes the carry-over of the household's latest valid bill
// before it. A corrected bill that is not the household's latest therefore changes what every
// later bill carries: the later bills are taken back with it and billed again after it, in the
// order they were billed, so each takes the carry-over of the one before, as when they were
// first billed. A later bill that is paid fixed the chain with its payment: then no later bill
// is taken back. Neither is any when a later bill cannot be billed again as it was (a reading
// of it under another household or an unknown fee item).
// Returns the later bills, counted, in 收据号 order; false when a look-up failed.
bool later_unpaid_bills(platform::Connection& connection, const QString& household,
                        qint64 bill_number, std::vector<TakenBill>* later) {
    later->clear();
    const QString after = QStringLiteral(" from 总收费 where 标志=1 and 户号=") +
                          sql_quote(household) + QStringLiteral(" and 收据号>") +
                          QString::number(bill_number);
    bool read = false;
    const qint64 paid = platform::query_integer(
        connection, QStringLiteral("select count(*)") + after + QStringLiteral(" and 收费标志<>1"),
        OnFailure::Quiet, &read);
    if (!read) return false;
    if (paid > 0) return true;
    const QList<QStringList> numbers = platform::query_rows(
        connection,
        QStringLiteral("select distinct 收据号") + after + QStringLiteral(" order by 收据号"),
        OnFailure::Quiet, &read);
    if (!read) return false;
    for (const QStringList& row : numbers) {
        TakenBill bill;
        if (!count_bill(connection, static_cast<qint64>(platform::to_number(row.value(0))),
                        household, &bill)) {
            later->clear();
            return true;
        }
        later->push_back(bill);
    }
    return true;
}

// What a bill billed again carries in: what the bill it replaces carried in, which is what the
// bill before it in the household's order left. Neither a later bill, paid since and so kept,
// nor the replaced bill's new place after it (a second correction) changes that. A billed
// reading without a bill (a reduction covered it) takes the carry-over of the household's
// latest valid bill before its number. False when a look-up failed.
bool carry_in_of_bill(platform::Connection& connection, const QString& household,
                      qint64 bill_number, double* carry) {
    const QString N = QString::number(bill_number);
    bool read = false;
    const QStringList own = platform::query_column(
        connection, QStringLiteral("select 上月接转 from 总收费 where 标志=1 and 收据号=") + N,
        OnFailure::Quiet, &read);
    if (!read) return false;
    if (!own.isEmpty()) {
        *carry = platform::to_number(own.front());
        return true;
    }
    *carry = platform::query_number(
        connection,
        QStringLiteral("select top 1 本月接转 from 总收费 where 标志=1 and 户号=") +
            sql_quote(household) + QStringLiteral(" and 收据号<") + N +
            QStringLiteral(" order by 收据号 desc"),
        OnFailure::Quiet, &read);
    return read;
}

}  // namespace

bool reading_is_paid(platform::Connection& connection, qint64 id) {
    return platform::query_integer(connection, paid_test(id)) > 0;
}

QString reading_edit_refusal(platform::Connection& connection, qint64 id) {
    if (platform::query_text(connection,
                             QStringLiteral("select 收费项目 from 抄表总表 where 编号=") +
                                 QString::number(id)) == kPropertyFeeItem)
        return QStringLiteral(
            "当收费项目为【物业】时系统禁止修改，如果你要修改物业类型的用量，"
            "请到用户管理中修改用户物业面积！");
    if (reading_is_paid(connection, id)) return QStringLiteral("该条抄表记录已经收费不能修改！");
    return {};
}

EditedReading load_edited_reading(platform::Connection& connection, qint64 id) {
    EditedReading r;
    r.id = id;
    platform::RecordSet rows;
    if (!platform::query_open(
            rows, connection,
            QStringLiteral(
                "select 抄表总表.户号,用户信息表.用户名,抄表总表.起方,抄表总表.止方,抄表总表.水损,"
                "抄表总表.收据号,抄表总表.抄表日期,用户信息表.居住街道,用户信息表.详细地址,"
                "抄表总表.价格类别,抄表总表.收费项目,抄表总表.父号 from 抄表总表,用户信息表 where "
                "用户信息表.户号=抄表总表.父号 and 抄表总表.编号=") +
                QString::number(id)) ||
        platform::recordset_eof(rows))
        return r;
    const auto t = [&](const char16_t* name) {
        return platform::recordset_field_text(rows, QString::fromUtf16(name));
    };
    const auto num = [&](const char16_t* name) {
        return platform::recordset_field_number(rows, QString::fromUtf16(name));
    };
    r.found = true;
    r.meter = t(u"户号");
    r.name = t(u"用户名");
    r.start = num(u"起方");
    r.end = num(u"止方");
    r.loss = num(u"水损");
    r.bill_number = static_cast<qint64>(num(u"收据号"));
    r.date = platform::recordset_field_date(rows, QStringLiteral("抄表日期")).date();
    r.street = t(u"居住街道");
    r.address = t(u"详细地址");
    r.category = t(u"价格类别");
    r.fee_item = t(u"收费项目");
    r.household = t(u"父号");
    return r;
}

UsageAndLoss edit_usage_and_loss(platform::Connection& connection, const EditedReading& reading,
                                 double start, double end, double typed_loss) {
    UsageAndLoss out;
    out.loss = typed_loss;
    // 倍率 is the meter account's, found by its number and fee item alone: the account may have
    // moved to another price category since the reading, or the reading be priced as mixed use
    // while the account is not. 电损率 is that of the category the reading is priced in.
    const QList<QStringList> meter = platform::query_rows(
        connection,
        QStringLiteral("select 倍率,(select 电损率 from 水价类别 where 水价类别=") +
            sql_quote(reading.category) + QStringLiteral(" and 收费项目=") +
            sql_quote(reading.fee_item) + QStringLiteral(") from 用户表管理 where 户号=") +
            sql_quote(reading.meter) + QStringLiteral(" and 收费项目=") +
            sql_quote(reading.fee_item),
        OnFailure::Quiet, &out.read);
    if (!out.read) return out;
    const QList<QStringList> item = platform::query_rows(
        connection,
        QStringLiteral("select 自动损耗,损耗位数 from 收费项目 where 项目名称=") +
            sql_quote(reading.fee_item),
        OnFailure::Quiet, &out.read);
    if (!out.read || meter.isEmpty()) return out;
    out.account_found = true;
    const int multiplier = static_cast<int>(platform::to_number(meter[0].value(0)));
    const int rate = static_cast<int>(platform::to_number(meter[0].value(1)));
    out.usage = (end - start) * multiplier;
    if (!item.isEmpty() && item[0].value(0) == kAutomaticLossOn) {
        out.loss = loss_for_usage(out.usage, rate, item[0].value(1));
        out.loss_computed = true;
    }
    return out;
}

QString meter_account_gone(const QString& meter) {
    return QStringLiteral("抄表户号【") + meter +
           QStringLiteral("】在用户表中已不存在，无法计算用量，不能修改！");
}

EditOutcome correct_reading(platform::Connection& connection, const EditedReading& reading,
                            double start, double end, double typed_loss, const QDate& date,
                            const shell::RunContext& run, const CommitHooks& progress) {
    EditOutcome out;
    // A negative usage would be billed as a credit; the entry window refuses it, so does this.
    if (start - end > kReadingTolerance) {
        out.message = QStringLiteral("止数减起度不能小于0！");
        return out;
    }
    const QString failure = QStringLiteral("修改失败！");
    platform::Transaction transaction(connection);
    const auto failed = [&](const QString& detail) {
        transaction.rollback();
        out = EditOutcome{};
        out.message = failure + (detail.isEmpty() ? QString() : QStringLiteral("\r\n") + detail);
        return out;
    };
    const auto refused = [&](const QString& why) {
        transaction.rollback();
        out = EditOutcome{};
        out.refused = true;
        out.message = why;
        return out;
    };
    if (!transaction.active()) return failed(platform::db_last_error(connection));
    // What the window loaded may be stale: another seat may have taken the payment or billed the
    // reading again since. The test runs here, under the write lock the save holds to its end.
    const Covered now = covered_reading(connection, reading.id);
    if (!now.read) return failed(platform::db_last_error(connection));
    if (now.paid) return refused(QStringLiteral("该条抄表记录已经收费不能修改！"));
    if (!now.found || now.bill_number != reading.bill_number) return refused(kReadingChanged);
    // Read under the same lock: without its meter account the usage cannot be known, and a
    // usage of 0 would drop the bill.
    const UsageAndLoss computed = edit_usage_and_loss(connection, reading, start, end, typed_loss);
    if (!computed.read) return failed(platform::db_last_error(connection));
    if (!computed.account_found) return refused(meter_account_gone(reading.meter));

    if (!execute_expecting(connection,
                           QStringLiteral("update 抄表总表 set 起方=") + n(start) +
                               QStringLiteral(",止方=") + n(end) + QStringLiteral(",用量=") +
                               n(computed.usage) + QStringLiteral(",水损=") + n(computed.loss) +
                               QStringLiteral(",抄表日期=") + platform::date_to_sql_literal(date) +
                               QStringLiteral(" where 编号=") + QString::number(reading.id),
                           1))
        return failed(platform::db_last_error(connection));
    out.log_failed = !shell::write_operation_log(
        connection, run, QStringLiteral("抄表管理"), QStringLiteral("抄表修改"),
        QStringLiteral("修改抄表库户号：") + reading.meter + QStringLiteral("的抄表内容； 起数：") +
            platform::to_text(start) + QStringLiteral(" 止数：") + platform::to_text(end) +
            QStringLiteral(" 以前起数：") + platform::to_text(reading.start) +
            QStringLiteral("止数：") + platform::to_text(reading.end));
    // The bills taken back: the corrected reading's own (none when it is unbilled; its 收据号
    // may be 0, or that of a bill removed before), then, with carry-over on, the household's
    // later unpaid bills.
    std::vector<TakenBill> taken;
    std::vector<CarryIn> carry_in;
    if (now.billed) {
        TakenBill own;
        if (!count_bill(connection, now.bill_number, QString(), &own))
            return failed(platform::db_last_error(connection));
        taken.push_back(own);
        if (run.parameters.personal_account == tariffs::kOn) {
            std::vector<TakenBill> later;
            CarryIn carry{now.household, reading.fee_item, 0};
            if (!later_unpaid_bills(connection, now.household, now.bill_number, &later) ||
                !carry_in_of_bill(connection, now.household, now.bill_number, &carry.carry))
                return failed(platform::db_last_error(connection));
            taken.insert(taken.end(), later.begin(), later.end());
            carry_in.push_back(carry);
        }
    }
    // All of their rows go first, so no bill billed again finds a later one as the household's
    // latest, nor its reduction record among the household's.
    for (const TakenBill& bill : taken)
        if (!remove_bill_rows(connection, bill, QString()))
            return failed(platform::db_last_error(connection));
    // Billed as the month's commit bills: the reduction pass, then the households owning
    // unbilled readings, fee item by fee item, through the engine's bill run. The bills one
    // commit wrote (fee items in 编号 order) are billed again together; a bill of a fee item
    // not after the one before it was written by a later commit, and is billed again by a pass
    // of its own after the ones before it.
    // Nothing is shown while the save may still roll back: a failure is the outcome's message.
    CommitHooks bar;
    bar.progress_maximum = progress.progress_maximum;
    bar.progress_step = progress.progress_step;
    std::size_t next = 0;
    do {
        const std::size_t begin = next;
        while (next < taken.size() &&
               (next == begin || taken[next].first_item > taken[next - 1].last_item)) {
            if (!unbill_readings(connection, taken[next]))
                return failed(platform::db_last_error(connection));
            ++next;
        }
        const tariffs::ReductionRunOutcome reductions =
            tariffs::apply_all_reductions(connection, run.today());
        if (!reductions.messages.empty()) return failed(reductions.messages.front().text);
        // The corrected bill is in the first pass; a later pass bills bills of later commits.
        const BillingOutcome billing = bill_unbilled_readings(
            connection, run, bar, begin == 0 ? carry_in : std::vector<CarryIn>{});
        if (!billing.ok()) return failed(billing.error);
    } while (next < taken.size());
    if (!transaction.commit()) return failed(platform::db_last_error(connection));
    out.ok = true;
    out.message = QStringLiteral("修改成功！");
    return out;
}

DeleteTarget reading_delete_target(platform::Connection& connection, qint64 id) {
    DeleteTarget t;
    const QList<QStringList> own = platform::query_rows(
        connection,
        QStringLiteral("select 户号,收据号 from 抄表总表 where 编号=") + QString::number(id));
    if (own.isEmpty()) return t;
    t.found = true;
    t.meter = own[0].value(0);
    // The bill number of the row itself, so that a reading whose household is gone still takes
    // its bill with it.
    t.bill_number = static_cast<qint64>(platform::to_number(own[0].value(1)));
    t.name = platform::query_text(
        connection,
        QStringLiteral(
            "select 用户信息表.用户名 from 用户信息表,抄表总表,用户表管理  "
            "where 用户信息表.户号=抄表总表.父号  and 用户表管理.父号=用户信息表.户号 and "
            "用户表管理.户号=抄表总表.户号 and 抄表总表.编号=") +
            QString::number(id));
    return t;
}

EditOutcome delete_reading(platform::Connection& connection, qint64 id, qint64 bill_number,
                           const shell::RunContext& run) {
    EditOutcome out;
    platform::Transaction transaction(connection);
    const auto failed = [&] {
        transaction.rollback();
        out = EditOutcome{};
        out.message = QStringLiteral("删除失败！");
        return out;
    };
    const auto refused = [&](const QString& why) {
        transaction.rollback();
        out = EditOutcome{};
        out.refused = true;
        out.message = why;
        return out;
    };
    if (!transaction.active()) return failed();
    // The question was asked on what the list showed; the test runs here, under the write lock.
    const Covered now = covered_reading(connection, id);
    if (!now.read) return failed();
    if (now.paid) return refused(QStringLiteral("该条抄表记录已经收费不能删除！"));
    // A reading already gone (a stale list) deletes nothing, which is no failure.
    if (now.found) {
        if (now.bill_number != bill_number) return refused(kReadingChanged);
        // Its bill goes too; the bill's other readings return to unbilled, for the next commit.
        if (now.billed &&
            !remove_covering_bill(connection, now.bill_number, QStringLiteral("收费标志=1 and ")))
            return failed();
        if (!execute_expecting(
                connection,
                QStringLiteral("delete from 抄表总表 where 编号=") + QString::number(id), 1))
            return failed();
    }
    // In the delete's transaction, so the delete and its log row are kept together.
    const bool logged = shell::write_operation_log(connection, run, QStringLiteral("抄表管理"),
                                                   QStringLiteral("抄表删除"),
                                                   QStringLiteral("户号：") + now.meter);
    if (!transaction.commit()) return failed();
    out.log_failed = !logged;
    out.ok = true;
    out.message = QStringLiteral("删除成功！");
    return out;
}

}  // namespace reading
