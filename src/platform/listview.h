#pragma once
// List views: a QTableView over one list model of ours, looking like a report-style list
// (full-row single selection, no row header, read only). Columns have a title and a width in
// pixels; rows hold texts; single cells may carry a text and a background colour, which stay
// with their cell until the list's filler clears them: deleting or inserting a row or column
// moves the colours of the cells after it along, so no colour lands on another cell.
//
// Fillers append many rows: between listview_begin_fill() and listview_end_fill() (or within
// a ListModel::Filler) nothing is signalled per row or cell, and views see one model reset.
#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStyledItemDelegate>
#include <string_view>
#include <vector>

class QTableView;
class QWidget;

namespace platform {

struct CellColour {
    QColor text;        // invalid: the list's own text colour
    QColor background;  // invalid: the list's own background
};

class ListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // ---- columns ----
    // Appends (at < 0 or past the end) or inserts a column; returns its index. Existing rows
    // get an empty cell in it.
    int insert_column(const QString& title, int width, int at = -1);
    bool delete_column(int column);
    void clear_columns();  // and every row
    QString column_title(int column) const;
    // The first column with this title, or -1.
    int column_index(const QString& title) const;
    int column_width(int column) const;  // -1 when out of range
    void set_column_width(int column, int width);

    // ---- rows ----
    void clear_rows();
    void reserve_rows(int rows);
    // Appends (at < 0 or past the end) or inserts an empty row; returns its index.
    int insert_row(int at = -1);
    // Appends a row with these cells (extra texts are ignored); returns its index.
    int append_row(const QStringList& cells);
    bool delete_row(int row);
    QString cell_text(int row, int column) const;  // "" when out of range
    // The same as the UTF-8 the list keeps, without a QString; valid until the list changes.
    std::string_view cell_utf8(int row, int column) const;
    bool set_cell_text(int row, int column, const QString& text);
    // The same from UTF-8 bytes (a record set's text), without a QString in between.
    bool set_cell_utf8(int row, int column, const char* utf8, qsizetype size);

    // ---- a check box per row, in the first column (lists whose rows are ticked) ----
    // Rows start unticked; a row keeps its tick when rows before it are deleted.
    void set_checkable(bool checkable);
    bool checkable() const { return checkable_; }
    bool row_checked(int row) const;
    void set_row_checked(int row, bool checked);
    int checked_count() const { return ticked_; }
    // Unticks every row; costs nothing on a list where no row is ticked.
    void clear_checks();

    // ---- cell colours, kept by row and column until cleared ----
    // Both colours invalid removes the cell's entry.
    void set_cell_colour(int row, int column, const QColor& text, const QColor& background = {});
    CellColour cell_colour(int row, int column) const;
    void clear_cell_colour(int row, int column);
    void clear_cell_colours();
    int coloured_cell_count() const { return static_cast<int>(colours_.size()); }

    // ---- batch filling ----
    // Nested calls count; the outermost pair makes one model reset.
    void begin_fill();
    void end_fill();
    bool filling() const { return fill_depth_ > 0; }
    // True between the begin and end of a model reset, while views rebuild their headers.
    bool resetting() const { return resetting_; }

    class Filler {
    public:
        explicit Filler(ListModel* model) : model_(model) { model_->begin_fill(); }
        ~Filler() { model_->end_fill(); }
        Filler(const Filler&) = delete;
        Filler& operator=(const Filler&) = delete;

    private:
        ListModel* model_;
    };

signals:
    // A column's width changed through set_column_width(); views follow it.
    void column_width_changed(int column, int width);

private:
    struct Column {
        QString title;
        int width;
    };
    static quint64 key(int row, int column) {
        return (quint64(quint32(row)) << 32) | quint32(column);
    }
    bool valid(int row, int column) const;
    void start_reset();
    void finish_reset();
    void rebuild_with_column(int at, bool insert);
    // Keeps colours on their cells when a row or column at `at` is inserted (delta 1) or
    // deleted (delta -1).
    void shift_colours(bool columns, int at, int delta);

    // Makes room for one empty, unticked row at `at`, moving the shorter side of the list:
    // a row put in front of a long list moves no other row.
    void open_row(int at);
    // Takes the row out of the cell and tick storage, moving the shorter side.
    void close_row(int row);
    // Puts at least `rows` empty rows in front of the first one.
    void grow_front_gap(size_t rows);

    // A cell's text: a stretch of UTF-8 in text_. Texts live side by side in one buffer rather
    // than as a QString each, so a list of a million cells fills and clears without a million
    // allocations and decodings; views make QStrings only for the cells they paint.
    struct CellRef {
        quint32 offset = 0;
        quint32 size = 0;
    };
    size_t cell_slot(int row, int column) const {
        return (front_ + static_cast<size_t>(row)) * columns_.size() + static_cast<size_t>(column);
    }
    QString text_at(size_t slot) const;
    // Room for `size` more bytes at the end of text_; false when the buffer is full.
    bool make_room(size_t size);
    void store_text(size_t slot, QStringView text);
    void store_utf8(size_t slot, const char* utf8, size_t size);
    void compact_text();

    std::vector<Column> columns_;
    // Rows are stored from position front_ on: the positions before it are a gap of empty,
    // unticked rows that rows put in front of the list take, the way new readings go on top.
    size_t front_ = 0;
    std::vector<char> checked_;  // one per stored row (gap included)
    int ticked_ = 0;             // rows ticked
    bool checkable_ = false;
    std::vector<CellRef> cells_;  // row-major, columns_.size() per stored row (gap included)
    std::vector<char> text_;
    size_t garbage_ = 0;  // bytes of text_ no cell refers to any more
    int rows_ = 0;
    QHash<quint64, CellColour> colours_;
    int fill_depth_ = 0;
    bool resetting_ = false;
};

// Paints the cell colours of a ListModel, also under style sheets that colour the items.
class ListCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// Makes a table view a report-style list over a ListModel (installing one when it has none)
// with the colour delegate. Column widths follow the model, and widths the user drags are
// written back into it. Calling it again does nothing more.
void setup_report_view(QTableView* view);
// A new report-style list view.
QTableView* make_report_view(QWidget* parent = nullptr);
// The view's list model; a view without one is set up first.
ListModel* listview_model(QTableView* view);

// ---- the list-view operations ----
int listview_insert_column(QTableView* view, const QString& title, int width);
bool listview_delete_column(QTableView* view, int column);
bool listview_delete_column(QTableView* view, const QString& title);
void listview_clear_columns(QTableView* view);
void listview_clear_rows(QTableView* view);
// Appends an empty row; returns its index.
int listview_insert_row(QTableView* view);
bool listview_delete_row(QTableView* view, int row);
bool listview_set_cell_text(QTableView* view, int row, int column, const QString& text);
QString listview_cell_text(QTableView* view, int row, int column);
int listview_column_index(QTableView* view, const QString& title);
// The selected row, or -1 when none is selected.
int listview_selected_row(QTableView* view);
// Selects and shows one row; -1 clears the selection.
void listview_select_row(QTableView* view, int row);
int listview_row_count(QTableView* view);
int listview_column_count(QTableView* view);
QString listview_column_title(QTableView* view, int column);
void listview_set_column_width(QTableView* view, int column, int width);
int listview_column_width(QTableView* view, int column);
// Widens each column too narrow for its title or for a text of one of its rows to the widest of
// them, so that no row shows its text cut; a column never gets narrower.
void listview_widen_columns_to_text(QTableView* view);
void listview_set_cell_colour(QTableView* view, int row, int column, const QColor& text,
                              const QColor& background = {});
void listview_clear_cell_colour(QTableView* view, int row, int column);
void listview_clear_cell_colours(QTableView* view);
// Check boxes in the first column, one per row.
void listview_set_checkable(QTableView* view, bool checkable);
bool listview_row_checked(QTableView* view, int row);
void listview_set_row_checked(QTableView* view, int row, bool checked);
void listview_begin_fill(QTableView* view);
void listview_end_fill(QTableView* view);

}  // namespace platform
