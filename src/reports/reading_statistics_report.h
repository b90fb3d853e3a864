#pragma once
// The reading statistics report: per meter reader, street or fee item, how many meter accounts
// there are, how many are stopped or active, how many readings fall into the month's reading
// window, the share read and the usage read; a 合计 row ends it. Read-only.
#include <QString>

#include "platform/db.h"
#include "reports/report_period.h"
#include "reports/statistics_report.h"

namespace reports {

inline const QString kByReader = QStringLiteral("按抄表人员");
inline const QString kByFeeItem = QStringLiteral("按收费项目");

StatisticsReport build_reading_statistics_report(platform::Connection& main,
                                                 const QString& year_text,
                                                 const QString& month_text,
                                                 const QString& grouping,
                                                 const ReportPeriodRule& rule,
                                 const ReportProgress& progress = {});

// 已抄 / 总 × 100 with 2 decimals and "%"; "0.00%" when there is nothing to divide by.
QString reading_rate_text(qint64 read, qint64 total);

}  // namespace reports
