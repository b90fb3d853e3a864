#pragma once
// The program's Excel bridge: workbooks read with excel_sheet.h and written with
// excel_writer.h, tables made and read through the connection's SQLite handle.
//
//   SELECT * INTO T FROM [Excel 8.0;DATABASE=f].[Sheet$]
//       reads sheet "Sheet" of f (.xls or .xlsx, told by content) into a new table T whose
//       columns are the sheet's titles: REAL where every value is a number, DATE where every
//       value is a date (stored "YYYY-MM-DD[ HH:MM:SS]"), TEXT COLLATE NOCASE otherwise; empty
//       cells are NULL (rules in excel_sheet.h). All or nothing: on any failure no table T is
//       left behind. An existing table T fails the statement.
//   SELECT a, b INTO [Excel 8.0;Database=f].[Sheet1] FROM T ...
//       writes f as a new workbook with one sheet "Sheet1": a title row of the select's field
//       names, then every row of the select in its order (NULL as an empty cell). When f ends
//       in .xls it is an Excel 97 workbook (texts as text cells, numbers as number cells; more
//       than 65,536 rows are refused with a text naming .xlsx); otherwise .xlsx, every value
//       as a text cell. An existing file is replaced whole, and only once the new workbook is
//       complete.
#include "platform/excel_bridge.h"

namespace platform {

// Installs the bridge with set_excel_bridge() and returns it. Safe to call again.
ExcelBridge& install_excel_bridge();

}  // namespace platform
