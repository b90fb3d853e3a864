#pragma once
// The writes of the Excel imports of households and meter accounts: the sheet copied into the
// scratch table 导入暂存表 (one column per sheet column, named by the header row) by the
// database layer's Excel bridge, and the rows of that table applied one by one:
//   批量添加  every row with a 用户名 becomes a new household with the next free household number
//            and its property-fee meter account;
//   批量修改  every row changes the filled-in fields of the household with the row's 户号;
//   批量排序  every row sets 抄表人员 and 抄表序号 of the meter account 抄表户号.
//
// A sheet exported from one of the program's lists ends with the list's totals row; all three
// pass over it and say so.
// A row is applied whole or not at all: its statements run in a savepoint of their own. The
// first row that cannot be applied (a bad value, a refused statement) ends the import with the
// import's message; the rows before it stay. All rows run inside one transaction, committed at
// the end, for speed. A sheet without the columns an import needs is refused before any row.
// Values reach the statements through sql_quote and number conversion only.
#include <QString>
#include <QStringList>
#include <functional>

namespace platform {
struct Connection;
}

namespace households {

inline const QString kScratchTable = QStringLiteral("导入暂存表");

// Copies `sheet` of the workbook `file` into 导入暂存表, the old scratch table dropped first.
// False (the database's text in db_last_error) when the sheet could not be read.
bool read_sheet_into_scratch_table(platform::Connection& connection, const QString& file,
                                   const QString& sheet);

// The outcome of a row loop over the scratch table.
struct ImportReport {
    bool ok = false;
    QStringList numbers;  // households added or changed, in sheet order
    int rows_applied = 0;
    int skipped_totals = 0;  // totals rows of an exported list, passed over
    // Why the import stopped: the engine's error text or our own words about the row.
    QString error;
};

// What the caller shows while rows go in: `begin` before the first row, `row` as each is read.
struct ImportWait {
    std::function<void()> begin;
    std::function<void()> row;
};

// The row loops, on the scratch table as the sheet left it; they show no message.
// 批量添加: drops the scratch table again when every row went in.
ImportReport import_household_rows(platform::Connection& connection, const ImportWait& wait = {});
// 批量修改
ImportReport modify_household_rows(platform::Connection& connection, const ImportWait& wait = {});
// 批量排序
ImportReport sort_meter_rows(platform::Connection& connection, const ImportWait& wait = {});

}  // namespace households
