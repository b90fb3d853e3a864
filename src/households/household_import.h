#pragma once
// Excel imports of households and meter accounts as the operator runs them: permission, a
// workbook and a sheet name asked for, the sheet read and the rows applied by the writes of
// household_import_rows.h under the wait window, and the outcome shown.
#include <QString>
#include <QStringList>
#include <functional>

#include "households/household_import_rows.h"

class QWidget;

namespace households {

// What the import frame asks for the sheet name.
inline const QString kHouseholdSheetPrompt = QStringLiteral("请输入要导入的XLS表名!");
inline const QString kMeterOrderSheetPrompt = QStringLiteral(
    "请输入要导入的XLS表名!\r\n注意:批量排序需要三列即:抄表户号、抄表人员、抄表序号。");

// The import frame: permission, file dialog, sheet name, the sheet copied into 导入暂存表 (the
// old scratch table dropped first). Shows its own messages; true when the scratch table now
// holds the sheet.
bool load_sheet_into_scratch_table(const QString& permission_item, const QString& prompt,
                                   QWidget* owner);

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
