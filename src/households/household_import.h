#pragma once
// Excel imports of households and meter accounts. All three run one frame: the operator picks
// a workbook (.xls or .xlsx) and names a sheet, the database layer's Excel bridge copies the
// sheet into the scratch table 导入暂存表 (one column per sheet column, named by the header row),
// and the rows of that table are applied one by one:
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

class QWidget;

namespace households {

inline const QString kScratchTable = QStringLiteral("导入暂存表");

// What the import frame asks for the sheet name.
inline const QString kHouseholdSheetPrompt = QStringLiteral("请输入要导入的XLS表名!");
inline const QString kMeterOrderSheetPrompt = QStringLiteral(
    "请输入要导入的XLS表名!\r\n注意:批量排序需要三列即:抄表户号、抄表人员、抄表序号。");

// The import frame: permission, file dialog, sheet name, the sheet copied into 导入暂存表 (the
// old scratch table dropped first). Shows its own messages; true when the scratch table now
// holds the sheet.
bool load_sheet_into_scratch_table(const QString& permission_item, const QString& prompt,
                                   QWidget* owner);

// The outcome of a row loop over the scratch table.
struct ImportReport {
    bool ok = false;
    QStringList numbers;  // households added or changed, in sheet order
    int rows_applied = 0;
    int skipped_totals = 0;  // totals rows of an exported list, passed over
    // Why the import stopped: the engine's error text or our own words about the row.
    QString error;
};

// The row loops, on the scratch table as the frame left it. They show the wait cursor and
// WaitWindow (over owner) while rows are applied, and no message.
// 批量添加: drops the scratch table again when every row went in.
ImportReport import_households_from_scratch(QWidget* owner = nullptr);
// 批量修改
ImportReport modify_households_from_scratch(QWidget* owner = nullptr);
// 批量排序
ImportReport sort_meters_from_scratch(QWidget* owner = nullptr);

// Shows the given household numbers in the list of page 0 (列表框_添加列表).
using ShowHouseholds = std::function<void(const QStringList& numbers)>;

// The buttons 批量添加 (用户_添加导入), 批量修改 (用户_修改导入) and 批量排序
// (用户表管理_批量排序).
void on_main_household_import_click(QWidget* owner, const ShowHouseholds& show);
void on_main_household_batch_modify_import_click(QWidget* owner, const ShowHouseholds& show);
void on_main_meter_batch_sort_import_click(QWidget* owner);

}  // namespace households
