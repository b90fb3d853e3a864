#pragma once
// The statements read and write Excel workbooks inside SQL, as the Access engine's Excel driver
// allowed:
//     SELECT * INTO <table> FROM [Excel 8.0;DATABASE=<file>].[<sheet>$]
//     SELECT <columns> INTO [Excel 8.0;Database=<file>].[<sheet>] FROM <table> ...
// The database layer recognises them and hands the work to the bridge installed here; with no
// bridge installed such a statement fails with an error text.
#include <QString>

#include "platform/db.h"

namespace platform {

// A bridge is the database layer's workbook hook (db.h), which runs these statements.
using ExcelBridge = WorkbookHook;

// The workbook part of a bridge statement for a file, quoted so that any character of the
// name reaches the bridge as it is: "[Excel 8.0;DATABASE=<file>]" (with `key` spelled as
// given), the file in double quotes when it holds ";", a quote or blanks at its ends, and "]"
// doubled. An ordinary name is written exactly as the statement has always read.
QString excel_workbook_reference(const QString& file,
                                 const QString& key = QStringLiteral("DATABASE"));
// The declared type of a table column that the bridge writes as number cells shown with
// `decimals` decimals ("decimals(2)"), or each as it is when `decimals` is negative ("real").
// Numbers in columns of any other type are written as they are too.
QString excel_number_type(int decimals);
// The decimals a declared type asks for: N for "decimals(N)" (any case), else -1.
int excel_number_decimals(const char* declared_type);

// A name in brackets with "]" doubled: "[Sheet1$]".
QString bracketed_name(const QString& name);

// The bridge in use: the workbook bridge of excel_install.h once the program (or a test) installed
// it; nullptr removes it. The caller keeps ownership.
inline void set_excel_bridge(ExcelBridge* bridge) { set_workbook_hook(bridge); }
inline ExcelBridge* excel_bridge() { return workbook_hook(); }

}  // namespace platform
