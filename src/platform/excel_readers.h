#pragma once
// The two format readers behind read_sheet(); internal to the Excel code.
#include "platform/excel_sheet.h"

namespace platform::excel::detail {

// A workbook opened for reading: the sheet names and, on request, one sheet's cells.
bool xls_sheet_names(const QString& path, QStringList& names, QString* error);
bool xls_read_sheet(const QString& path, int sheet_index, SheetData& out, QString* error);

// Whether an .xls file's compound-file structure and record chain hold together, checked
// before FreeXL reads it (FreeXL trusts lengths it finds in the file). False with an error
// text for a damaged file or one that holds no workbook stream.
bool xls_check_structure(const QString& path, QString* error);

// The saved results of the formula cells of the named sheet of an .xls workbook (FreeXL
// leaves formula cells out). False, with nothing found, when the workbook's structure cannot
// be followed or is not BIFF8.
struct FormulaCell {
    int row = 0;
    int column = 0;
    SheetCell cell;
};
bool xls_formula_results(const QString& path, const QString& sheet_name,
                         std::vector<FormulaCell>& out);

bool xlsx_sheet_names(const QString& path, QStringList& names, QString* error);
bool xlsx_read_sheet(const QString& path, int sheet_index, SheetData& out, QString* error);

// A spreadsheet serial day number as a stored date: "YYYY-MM-DD", with " HH:MM:SS" when the
// time (rounded to the second) is not midnight. Serials count days from 1899-12-30 (with the
// 1900 leap-year slip below serial 61) or, in the 1904 system, from 1904-01-01. False for
// serials outside years 1900 to 9999.
bool serial_to_date_text(double serial, bool date1904, QString& out);

// Whether a number format code ("yyyy-mm-dd", "#,##0.00") shows a date or a time, and
// whether a built-in format number is one of the date and time formats.
bool is_date_format_code(const QString& code);
bool is_builtin_date_format(int id);

// Texts shared by both readers.
QString damaged_text(const QString& path, const QString& detail);
QString file_label(const QString& path);
// "工作簿“x”太大，无法导入（what）。"
QString too_large_text(const QString& path, const QString& what);
QString cell_limit_text();

}  // namespace platform::excel::detail
