#pragma once
// What the charge reports share for a pass over one period's bills and readings: the rows
// stepped one by one (a year of a big register never lies in memory at once), the households
// of the register with their streets (read once, so that no bill of the period looks up its
// household on its own), and the distinct payment serials of a group. Numbers, streets and
// collectors are compared as the database compares them: the letters A to Z without regard to
// case, everything else exactly.
#include <QDate>
#include <QString>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/db.h"

struct sqlite3_stmt;

namespace reports {

// The text with A-Z folded to a-z, as the database's NOCASE columns compare it (and as
// report_group_key folds a group's name), in UTF-8, appended to `key`.
void fold_key_into(std::string_view text, std::string& key);

// A select in SQLite's own dialect stepped row by row on the connection, for the passes over a
// period that would not fit a record set. Values are bound by position. A statement that cannot
// be prepared, or a step that fails part-way (a damaged page, an I/O error), ends the rows: the
// database's message is told as a failed record set tells it, and failed() says so, for the
// caller must not take the rows read so far for the whole.
class RowStream {
public:
    RowStream(platform::Connection& connection, const char* sql);
    ~RowStream();
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;

    // A day as the date columns store it ("YYYY-MM-DD").
    void bind_day(int position, const QDate& day);
    bool next();
    bool failed() const { return failed_; }
    bool is_null(int column) const;
    bool is_integer(int column) const;
    qint64 integer(int column) const;
    double number(int column) const;  // 0 for NULL
    std::string_view text(int column) const;

private:
    void fail();
    platform::Connection& connection_;
    sqlite3_stmt* stmt_ = nullptr;
    bool failed_ = false;
};

// Folded numbers mapped to an int, kept in number order. The database hands the register over in
// that order, and the bills and readings of a period come in runs of rising numbers (a day's,
// a collector's), so each look-up starts from where the last one ended and mostly finds its
// number a step or two further on, in memory the last one touched: looking a number up costs
// about as much as reading it.
class NumberIndex {
public:
    // Adds a number; numbers added out of order are put in order at the first look-up.
    void add(std::string_view key, int value);
    // The value of `key`, or -1.
    int find(std::string_view key) const;
    // The value of the last number added (to chain equal numbers as they are added).
    int* last_value_if(std::string_view key);

private:
    static constexpr size_t kInline = 12;
    struct Entry {
        char text[kInline];
        quint32 size = 0;
        quint32 from = 0;  // where a longer key lies in keys_
        int value = 0;
    };
    std::string_view key_of(const Entry& entry) const {
        return {entry.size <= kInline ? entry.text : keys_.data() + entry.from, entry.size};
    }
    void put_in_order() const;
    mutable std::vector<Entry> entries_;
    mutable bool ordered_ = true;
    mutable size_t finger_ = 0;
    std::string keys_;
};

// The register as the reports group by it. A bill's household is the 父号 of the meter account
// carrying the bill's number (the greatest one, should several accounts carry it), or the
// number itself where no account carries it with a household: the rule of
// tariffs::bill_household_expression, read once for a whole pass. A household lies on the
// street of each 用户信息表 row of its number: a household registered twice counts twice, one
// not registered nowhere. Streets are numbered in the order they are first met.
class RegisterStreets {
public:
    // Without streets, every registration lies on street 0: for counting registrations alone.
    explicit RegisterStreets(platform::Connection& main, bool with_streets = true);
    // A read of the register failed (and was told): the register is not whole.
    bool failed() const { return failed_; }

    // The registrations of the household of a (folded) number, or of the household that a
    // bill's (folded) number belongs to: a chain to walk with next(), -1 when there is none.
    int household(std::string_view number) const { return households_.find(number); }
    int bill_household(std::string_view number) const;
    int street(int registration) const { return chain_[static_cast<size_t>(registration)].first; }
    int next(int registration) const { return chain_[static_cast<size_t>(registration)].second; }
    int count(int registration) const;

    const std::vector<std::string>& streets() const { return street_names_; }  // folded

private:
    std::vector<std::string> street_names_;
    std::vector<std::pair<int, int>> chain_;  // (street, next registration)
    NumberIndex households_;                  // number -> first registration
    NumberIndex accounts_;                    // account -> its household's first registration
    bool failed_ = false;
};

// The distinct values of a 流水号 column as the database's distinct tells them apart: integers
// by value, anything else by its text, every null as one value. Gathered, then sorted once.
class SerialSet {
public:
    void add(const RowStream& rows, int column);
    qint64 count();

private:
    std::vector<qint64> numbers_;
    std::vector<std::string> others_;
    bool has_null_ = false;
};

}  // namespace reports
