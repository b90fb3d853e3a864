#pragma once
// The reductions the charge engine granted (减免明细), as the details form of the reductions
// page lists them, and the deletion of one that no bill carries: the record goes and the
// readings it covered become unbilled again, so that the next billing run charges them.
#include <QDate>
#include <QString>

#include "charging/reduction_settings.h"

namespace charging {

// The first cell of the details list's totals row.
inline const QString kDetailsTotalsCell = QStringLiteral("合计:");
inline const QString kEmptyHouseholdRefused = QStringLiteral("户号不能为空！");
inline const QString kRecordCarriedByBill =
    QStringLiteral("该明细记录在收费管理中有收费记录,请在收费查询中删除!");

// The criterion chosen in ReductionQueryWindow.
struct ReductionQuery {
    enum class By { Household, Street, Date } by = By::Household;
    QString text;  // the household number or the street
    QDate from, to;
};

struct ReductionQueryStatement {
    QString sql;      // empty when refused
    QString refusal;  // "户号不能为空！" for an empty household box
};

// The details statement: the fixed select list joined to 用户表, the criterion's condition and
// the order by 编号.
ReductionQueryStatement reduction_details_statement(const ReductionQuery& query);

// The rows of a details statement, cells by position (编号, 户号, 用户名, 居住街道, 详细地址,
// 减免金额, 减免用量, 抄表ID, 减免日期, 减免类型), with the totals row "合计:", the count, the
// amount sum and the quantity sum.
ReductionList read_reduction_details_list(platform::Connection& connection, const QString& sql);

QString reduction_record_delete_question(qint64 number);

// Whether the record may be deleted: refused ("该明细记录…") when a bill carries it, or when it
// is no longer there.
ReductionOutcome check_reduction_record_delete(platform::Connection& connection, qint64 number);

// Deletes the record and sets each reading of its 抄表ID back to unbilled, all in one
// transaction: when any of it fails nothing is changed and the failure is the message. Then
// the log row and "删除减免明细成功!".
ReductionOutcome delete_reduction_record(platform::Connection& connection, qint64 number,
                                         const shell::RunContext& context);

}  // namespace charging
