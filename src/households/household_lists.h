#pragma once
// The two household lists of the main window and the routines that fill them: 列表框_添加列表 on
// content page 0 (today's households, or the households just imported) and 用户查询列表框 on
// content page 1 (the result of a household query). Both take their columns from the column
// settings of class 用户信息 and write each household's cells in this fixed order:
//   0 户号, 1 用户名, 2 磁卡号码, 3 kind word of 性质, 4 居住街道, 5 详细地址, 6 建档时间 (2012年9月28日),
//   7 身份证号, 8 开户银行, 9 银行帐号, 10 固定电话, 11 移动电话, 12 家庭人口, 13 助记词, 14 物业类别,
//   15 物业面积, 16 停车费, 17 备注.
// The query list and the import result end with a totals row, which the page actions
// treat like no selection.
#include <QString>
#include <QStringList>

#include "households/household_record.h"

class QTableView;
class QWidget;

namespace households {

// The lists the pages registered (each page registers its own when it is created); null
// before that and after the page is gone.
QTableView* todays_households_list();  // 列表框_添加列表
QTableView* household_query_list();    // 用户查询列表框
void register_todays_households_list(QTableView* list);
void register_household_query_list(QTableView* list);

// The statement of today's households, newest first.
QString todays_households_statement();

// Fills the list with the rows of the statement (fields by name): the columns of class 用户信息,
// one row per household in the cell order above with the kind words of `place`, and, when
// totals_caption is not empty, a totals row with that caption in cell 0 and the number of rows
// in cell 1. A ProgressWindow over progress_owner advances by one per household. The list gets
// the focus at the end. Returns the number of households listed.
int fill_household_list(QTableView* list, const QString& statement, KindPlace place,
                        const QString& totals_caption, QWidget* progress_owner);

// Page 0 with the households registered today (no totals row).
void fill_todays_households_list();
// The list with the top-level households of the given numbers, in the numbers' order, each
// number adding the rows it finds, and a totals row "用户数" with the number of numbers that
// found exactly one household. For the imports.
void fill_household_list_by_numbers(const QStringList& numbers, QWidget* window, QTableView* list);
// Page 1 with the rows of the statement and the totals row "当前：".
void fill_household_query_list(const QString& statement);
// The query list again by the statement it was last filled by (nothing when never filled).
void refill_household_query_list();

// Page 1 as its navigation entry leaves it: no rows, one column per shown 查询列 row of class
// 用户信息 with its stored width. The list stays empty until a query runs.
void lay_out_household_query_columns(QTableView* list);

// The row of the list's totals row, or -1.
int household_list_totals_row(QTableView* list);

// What the edit and delete actions find selected in a household list.
enum class HouseholdSelection {
    Selected,        // `number` holds the 户号 of the selected row
    NoNumberColumn,  // no column is titled 户号 (hidden by the column settings)
    NothingSelected  // no row, an empty cell, or the totals row
};
HouseholdSelection selected_household_number(QTableView* list, QString* number);

}  // namespace households
