#pragma once
// List building from the column settings 查询列. For each list class (类名) the table holds the
// column titles in display order (排序), whether each is shown (显示 "真"/"假") and its width
// (列宽). A page's filler lays out every column of its class (hidden ones included), appends
// its rows writing each record's fields by position in its own fixed order, then removes the
// hidden columns and applies the stored widths. The titles are what handlers search for, what
// the width savers match on and what the Excel export turns into field names.
//
//     ListBuilder build(list, QStringLiteral("日志管理"), main_window);
//     recordset_open(records, statement);
//     build.show_progress(recordset_record_count(records));
//     for (; !recordset_eof(records); recordset_move_next(records)) build.append_fields(records);
//     build.colour_row(build.append_row({"合计", ...}));
//     build.finish();
// The builder uses the main record set 记录集1 when it starts and in finish(); a filler may read
// its rows through 记录集1 in between.
#include <QColor>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <string_view>

class QTableView;
class QWidget;

namespace platform {
struct RecordSet;
class ListModel;
}

namespace lists {

class ProgressWindow;

// Clears the list's rows, deletes all its columns and appends one column per 查询列 row of the
// class in 排序 order (hidden rows included), titled by 列名, 1 pixel wide. A class without rows
// leaves the list without columns. Uses the main record set 记录集1.
void load_query_column_names(QTableView* list, const QString& column_class);

// Deletes, for each hidden row of the class (显示 "假") in 排序 order, the first column titled by
// its 列名; then gives the remaining columns from the first on the 列宽 of the shown rows in 排序
// order (positions past the last column change nothing). The list is hidden meanwhile. Uses
// and closes 记录集1.
void apply_query_column_visibility_and_widths(QTableView* list, const QString& column_class);

// A page's list filled the way every filler fills it: the cell colours cleared, the list
// hidden, every column of the class laid out, then rows appended without a signal per row or
// cell (the view sees one model reset), an optional ProgressWindow advancing by one per row,
// and at finish() the hidden columns deleted, the widths applied, the list shown and the
// progress window closed. Destruction finishes an unfinished build.
class ListBuilder {
public:
    // progress_owner: the window a progress window opens over (the main window), if any.
    ListBuilder(QTableView* list, const QString& column_class, QWidget* progress_owner = nullptr);
    ~ListBuilder();
    ListBuilder(const ListBuilder&) = delete;
    ListBuilder& operator=(const ListBuilder&) = delete;

    QTableView* list() const { return list_; }
    // Number of columns laid out (hidden ones included, until finish()).
    int column_count() const;
    int row_count() const;
    // Opens the progress window over the owner with this many steps.
    void show_progress(int steps);
    // Room for this many rows, to spare reallocations on big lists.
    void reserve_rows(int rows);
    // Appends a row with these cells by position (missing cells stay empty); returns its index.
    int append_row(const QStringList& cells);
    // Appends a row holding the current record's fields as text, field k in column k.
    int append_fields(const platform::RecordSet& records);
    void set_cell(int row, int column, const QString& text);

    // Long lists: an empty row (the progress window advancing), then its cells written from the
    // current record's fields by position, without a QString per cell.
    int append_empty_row();
    // The field as recordset_field_text gives it.
    void put_text(int row, int column, const platform::RecordSet& records, int field);
    // The whole part of the field's number, in digits.
    void put_whole(int row, int column, const platform::RecordSet& records, int field);
    // The field's number in shortest form (to_text).
    void put_number(int row, int column, const platform::RecordSet& records, int field);
    // The field's date as "2024年3月5日"; nothing when it is no date.
    void put_date(int row, int column, const platform::RecordSet& records, int field);
    // A text already in UTF-8.
    void put_utf8(int row, int column, std::string_view text);
    // Draws every cell of the row in this text colour (totals rows).
    void colour_row(int row, const QColor& text = QColor(255, 0, 0));
    // Deletes the hidden columns, applies the widths, shows the list, closes the progress window.
    void finish();

private:
    void step();

    QTableView* list_;
    platform::ListModel* model_;
    std::string scratch_;
    QString class_;
    QWidget* progress_owner_;
    std::unique_ptr<ProgressWindow> progress_;
    bool finished_ = false;
};

}  // namespace lists
