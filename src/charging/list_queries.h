#pragma once
// What the charging list pages (balances, deductions, prepayments, charge queries) share below
// their windows: a query window's ticked conditions turned into the text its statement adds (or
// the refusal of the first one left empty), the chosen order clause, opening a list's record set
// with its row count, and the texts of a row and of a totals row. Each page keeps its own
// statements, cells and messages; only the shape is here.
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <span>
#include <string_view>
#include <utility>

#include "platform/query.h"

namespace charging {

// One condition of a query window: whether its radio or check box is ticked, the value typed or
// picked for it, the refusal shown when it is ticked and that value is empty ("" when an empty
// value is taken as it is), and the text it adds to the statement.
struct QueryCondition {
    bool chosen = false;
    QString value;
    QString refusal;
    QString clause;
};

// `head` followed by the value quoted and `tail`: " and 列=" 'value' " ".
QueryCondition quoted_condition(bool chosen, const QString& value, const QString& refusal,
                                const QString& head, const QString& tail = {});
// `head` followed by the value with a trailing % quoted: a name that starts with the value.
QueryCondition starts_with_condition(bool chosen, const QString& value, const QString& refusal,
                                     const QString& head);
// A condition that needs no value (a period), its text already written.
QueryCondition fixed_condition(bool chosen, const QString& clause);

// The conditions that the two windows over prepayments joined with their households (用户结余,
// 预存查询) ask alike: the household by number, the name by its start, the collector, the street
// (whose refusal each window words its own way).
QueryCondition prepay_household_condition(bool chosen, const QString& household);
QueryCondition prepay_name_condition(bool chosen, const QString& name);
QueryCondition prepay_collector_condition(bool chosen, const QString& collector);
QueryCondition prepay_street_condition(bool chosen, const QString& street, const QString& refusal);

struct ChosenConditions {
    bool ok = true;
    QString clause;    // the chosen conditions' texts, in the order given
    QString refusal;   // when not ok
    int refused = -1;  // the position of the refused condition, so the window can focus its field
};

// The ticked conditions in order; the first ticked one whose required value is empty refuses the
// whole query.
ChosenConditions choose_conditions(std::initializer_list<QueryCondition> conditions);

// The order clause at `index` of the window's order box; "" for none or out of range.
QString order_clause(int index, std::initializer_list<const char16_t*> clauses);

// Opens a list's statement and tells `start` how many rows follow (0 when it could not be
// opened); false when it could not be opened.
bool open_list_records(platform::RecordSet& records, platform::Connection& connection,
                       const QString& statement, const std::function<void(int count)>& start,
                       platform::OnFailure on_failure = platform::OnFailure::Report);
// The field's position in the open record set, -1 when it has none.
int list_field(const platform::RecordSet& records, const char16_t* name);

// A row's UTF-8 cells as texts.
QStringList cell_texts(std::span<const std::string_view> cells);

// A totals row of `cells` cells: the caption first, then each amount with two decimals at its
// position, the rest empty.
QStringList totals_row(int cells, const QString& caption,
                       std::initializer_list<std::pair<int, double>> amounts);

}  // namespace charging
