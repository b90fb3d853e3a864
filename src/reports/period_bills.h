#pragma once
// What the charge reports share for a pass over one period's bills and readings: the period read
// a month at a time (a year of a big register never lies in memory at once), the households of
// the register with their streets (read once, so that no bill of the period looks up its
// household on its own), and the distinct payment serials of a group. Numbers, streets and
// collectors are compared as the database compares them: the letters A to Z without regard to
// case, everything else exactly.
#include <QDate>
#include <QHash>
#include <QString>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/db.h"

namespace reports {

// The text with A-Z folded to a-z, as the database's NOCASE columns compare it (and as
// report_group_key folds a group's name), in UTF-8.
std::string fold_key(std::string_view text);
void fold_key_into(std::string_view text, std::string& key);

// Calls `chunk` with the date literals of consecutive spans of at most a month that cover the
// days from `first` to `last` (both included), in order. Nothing when either is no day or `last`
// comes before `first`.
void for_each_month_span(const QDate& first, const QDate& last,
                         const std::function<void(const QString& start_literal,
                                                  const QString& end_literal)>& chunk);

// The register as the reports group by it. A row's household is the 父号 of the meter account
// carrying the row's number (the greatest one, should several accounts carry it), or the number
// itself where no account carries it with a household: the rule of
// tariffs::bill_household_expression, read once for a whole pass. A household lies on the
// street of each 用户信息表 row of its number: a household registered twice counts twice, one
// not registered nowhere.
class RegisterStreets {
public:
    explicit RegisterStreets(platform::Connection& main);

    // The folded household key of a bill's (folded) number.
    const std::string& household_of(const std::string& number) const;
    // The folded streets of a (folded) household key, one per registration; null when none.
    const std::vector<std::string>* streets_of(const std::string& household) const;

private:
    std::unordered_map<std::string, std::string> account_households_;
    std::unordered_map<std::string, std::vector<std::string>> streets_;
};

// The distinct values of a 流水号 column as the database's distinct tells them apart: integers
// by value, anything else by its text, every null as one value. Gathered, then sorted once.
class SerialSet {
public:
    void add(const platform::RecordSet& rows, int column, std::string& scratch);
    qint64 count();

private:
    std::vector<qint64> numbers_;
    std::vector<std::string> others_;
    bool has_null_ = false;
};

}  // namespace reports
