#pragma once
// The statements of the program are written in the Access (Jet) dialect; this translator turns
// one of them into what SQLite 3.15 runs. It is a pure function of the statement text and of a
// few facts about the schema (which columns hold dates). A real tokenizer splits the text, so
// quoted texts are never rewritten.
//
// Most statements become one SQLite statement. Three kinds need the database layer's help:
// SELECT ... INTO a new table (the layer creates the table from the select's declared column
// types, then fills it), an UPDATE over several tables (run as a few statements, since SQLite
// 3.15 has no UPDATE ... FROM), and the Excel bridge (a workbook read into a table or written
// from a select).
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace platform {

// Which columns hold dates, read from the declared types of the schema (DATE, DATETIME).
// Names are compared like SQLite compares identifiers: ASCII letters without regard to case.
class SchemaFacts {
public:
    void clear();
    // Records one column of a table, in table order.
    void add_column(const QString& table, const QString& column, const QString& declared_type);
    void add_column_utf8(std::string_view table, std::string_view column,
                         std::string_view declared_type);

    bool has_table(std::string_view table) const;
    // A column of that table holds dates. An unknown table falls back to any table's column
    // of that name.
    bool is_date_column(std::string_view table, std::string_view column) const;
    // Any table has a date column of that name.
    bool is_date_column_anywhere(std::string_view column) const;
    // Whether each column of the table, in table order, holds dates; empty for an unknown table.
    const std::vector<bool>* table_date_flags(std::string_view table) const;

    static bool is_date_type(std::string_view declared_type);
    static std::string fold(std::string_view name);

private:
    struct Table {
        std::vector<bool> date_flags;
        std::unordered_set<std::string> date_columns;
    };
    std::unordered_map<std::string, Table> tables_;
    std::unordered_set<std::string> date_columns_;
};

// One translated statement, UTF-8.
struct JetStatement {
    enum class Kind {
        Plain,             // sql is one SQLite statement
        SelectInto,        // sql is the select; its rows go into the new table `table`
        MultiTableUpdate,  // steps run in order; the update of `table` is steps[update_step]
        ExcelRead,         // the sheet `sheet` of workbook `file` becomes the new table `table`
        ExcelWrite,        // the rows of select `sql` become sheet `sheet` of workbook `file`
        Invalid            // error says why
    };
    Kind kind = Kind::Plain;
    std::string sql;
    std::string table;  // unquoted name
    std::vector<std::string> steps;
    int update_step = -1;
    std::string file;
    std::string sheet;
    std::string error;
    bool changes_schema = false;  // CREATE, ALTER, DROP or a new table
};

// Translates one Jet statement. Never throws; a statement the translator cannot read comes back
// as Kind::Invalid with an error text.
void translate_jet_statement(std::string_view jet_utf8, const SchemaFacts& facts,
                             JetStatement& out);

// The same for QString callers (tests, tools).
JetStatement translate_jet_statement(const QString& jet, const SchemaFacts& facts);

// The SQLite text of a plain statement, or for the other kinds a readable rendering:
//   SelectInto        "INTO <table>: <select>"
//   MultiTableUpdate  the steps joined by ";\n"
//   ExcelRead         "EXCEL READ <file> | <sheet> -> <table>"
//   ExcelWrite        "EXCEL WRITE <file> | <sheet> <- <select>"
//   Invalid           "ERROR: <error>"
QString translate_jet_sql(const QString& jet, const SchemaFacts& facts);

// "YYYY-MM-DD", or "YYYY-MM-DD HH:MM:SS" when the time is not midnight, from the forms the
// statements write: "Y-M-D", "Y/M/D", each with an optional time "H:M" or "H:M:S". Returns
// false (and leaves out alone) for anything else or an impossible date.
bool normalise_date_text(std::string_view text, std::string& out);

}  // namespace platform
