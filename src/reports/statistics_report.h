#pragma once
// What every statistics report hands to the statistics page: its columns with their width
// divisors, its rows, the total cells to paint red and how many groups (days, months) it walked.
// The builders read the database only, each period through a few grouped statements bounded by
// the period, never the whole history once per group.
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

#include "platform/db.h"

namespace reports {

inline const QString kByCollector = QStringLiteral("按收费人员");
inline const QString kByStreet = QStringLiteral("按居住街道");

struct StatisticsReport {
    QStringList columns;
    std::vector<double> divisors;  // width = list width / divisor, truncated
    std::vector<QStringList> rows;
    std::vector<std::pair<int, int>> red_cells;  // (row, column)
    int progress_steps = 0;                      // days, months or groups walked
};

// Told after each group (day, month, street, collector) a builder walks: `done` of `total`.
using ReportProgress = std::function<void(int done, int total)>;

// Counts the groups of one report and tells the caller of each, if it asked.
class GroupProgress {
public:
    GroupProgress(const ReportProgress& progress, int total) : progress_(progress), total_(total) {}
    void operator()() {
        if (progress_) progress_(++done_, total_);
    }

private:
    const ReportProgress& progress_;
    int total_;
    int done_ = 0;
};

// Amount text with 2 decimals, halves away from zero, no thousands separator.
QString report_amount_text(double amount);

// A count or a sum over the main database; a query that fails or matches nothing gives 0.
double report_sum(platform::Connection& main, const QString& sql);

// A group name as the database compares names (text columns ignore the case of ASCII
// letters): the key that matches a group to the rows of a grouped statement.
QString report_group_key(const QString& name);

// The first column of every row of the query, in the order returned, without empty names.
QStringList report_group_names(platform::Connection& main, const QString& sql);

}  // namespace reports
