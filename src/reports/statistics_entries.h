#pragma once
// The seven entries of the navigation group 数据报表: each checks its right, prepares the
// statistics page for one report (grouping items, selectors, preview columns) and remembers the
// report's name for the page's 查询.
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace reports {

// The report chosen by the last statistics entry; empty until one has run. Only the entries
// write it; only 查询 reads it.
extern QString current_report_name;

// layout_stats_page's modes.
enum StatsLayout { kYearAndMonth = 1, kYearOnly = 2 };

struct StatisticsEntry {
    QString unit;         // the navigation button
    QString handler;      // its registered action name
    QString permission;   // the right it needs
    QString report_name;  // what current_report_name becomes
    QStringList groupings;
    StatsLayout layout = kYearAndMonth;
    // Titles shown until 查询 replaces them, each with its width divisor.
    std::vector<std::pair<QString, double>> preview;
};

const std::vector<StatisticsEntry>& statistics_entries();
// The entry of a navigation unit or handler name, or null.
const StatisticsEntry* statistics_entry(const QString& unit_or_handler);

// The entry that chooses a report name, or null.
const StatisticsEntry* statistics_entry_of_report(const QString& report_name);

// A column width: the list width divided by the divisor, the fraction dropped.
int statistics_column_width(int list_width, double divisor);

}  // namespace reports
