#include "platform/listview.h"

#include <QApplication>
#include <QBrush>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QStringEncoder>
#include <QTableView>
#include <algorithm>
#include <limits>
#include <utility>

namespace platform {

// ---- ListModel ----------------------------------------------------------------------------

ListModel::ListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

bool ListModel::valid(int row, int column) const {
    return row >= 0 && row < rows_ && column >= 0 && column < static_cast<int>(columns_.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !valid(index.row(), index.column())) return {};
    switch (role) {
        case Qt::DisplayRole:
            return text_at(cell_slot(index.row(), index.column()));
        case Qt::ForegroundRole:
        case Qt::BackgroundRole: {
            if (colours_.isEmpty()) return {};
            const auto it = colours_.constFind(key(index.row(), index.column()));
            if (it == colours_.constEnd()) return {};
            const QColor& c = role == Qt::ForegroundRole ? it->text : it->background;
            return c.isValid() ? QVariant(QBrush(c)) : QVariant();
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        case Qt::CheckStateRole:
            if (!checkable_ || index.column() != 0) return {};
            return row_checked(index.row()) ? Qt::Checked : Qt::Unchecked;
        default:
            return {};
    }
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !checkable_ || !index.isValid() || index.column() != 0)
        return false;
    set_row_checked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

void ListModel::set_checkable(bool checkable) {
    if (checkable_ == checkable) return;
    checkable_ = checkable;
    if (!filling() && rows_ > 0 && !columns_.empty())
        emit dataChanged(index(0, 0), index(rows_ - 1, 0), {Qt::CheckStateRole});
}

bool ListModel::row_checked(int row) const {
    return row >= 0 && row < rows_ && checked_[front_ + size_t(row)] != 0;
}

void ListModel::set_row_checked(int row, bool checked) {
    if (row < 0 || row >= rows_) return;
    char& tick = checked_[front_ + size_t(row)];
    if ((tick != 0) != checked) ticked_ += checked ? 1 : -1;
    tick = checked ? 1 : 0;
    if (!filling() && !columns_.empty()) {
        const QModelIndex i = index(row, 0);
        emit dataChanged(i, i, {Qt::CheckStateRole});
    }
}

void ListModel::clear_checks() {
    if (ticked_ == 0) return;
    const auto first = checked_.begin() + static_cast<std::ptrdiff_t>(front_);
    int top = -1, bottom = -1;
    // Stops at the last ticked row.
    for (auto it = first; ticked_ > 0; ++it) {
        it = std::find(it, checked_.end(), char(1));
        if (it == checked_.end()) {
            ticked_ = 0;
            break;
        }
        *it = 0;
        --ticked_;
        const int row = static_cast<int>(it - first);
        if (top < 0) top = row;
        bottom = row;
    }
    if (top >= 0 && !filling() && !columns_.empty())
        emit dataChanged(index(top, 0), index(bottom, 0), {Qt::CheckStateRole});
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(columns_.size()))
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) return columns_[static_cast<size_t>(section)].title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    if (checkable_ && index.column() == 0)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void ListModel::start_reset() {
    resetting_ = true;
    beginResetModel();
}

void ListModel::finish_reset() {
    endResetModel();
    resetting_ = false;
}

void ListModel::rebuild_with_column(int at, bool insert) {
    // columns_ already has its new shape; old rows have one column more or less.
    // Without rows there is nothing to move; the cell storage keeps its capacity for the fill
    // that follows (a list laid out afresh before every fill).
    if (rows_ == 0) {
        cells_.clear();
        checked_.clear();
        front_ = 0;
        return;
    }
    const size_t now_cols = columns_.size();
    const size_t old_cols = insert ? now_cols - 1 : now_cols + 1;
    // The gap in front keeps its place: its rows are empty in either shape.
    const size_t stored = front_ + static_cast<size_t>(rows_);
    std::vector<CellRef> cells;
    cells.reserve(stored * now_cols);
    for (size_t r = 0; r < stored; ++r) {
        const size_t base = r * old_cols;
        for (size_t c = 0; c < old_cols; ++c) {
            if (insert && c == static_cast<size_t>(at)) cells.emplace_back();
            if (!insert && c == static_cast<size_t>(at)) {
                garbage_ += cells_[base + c].size;
                continue;
            }
            cells.push_back(cells_[base + c]);
        }
        if (insert && static_cast<size_t>(at) == old_cols) cells.emplace_back();
    }
    cells_ = std::move(cells);
}

void ListModel::shift_colours(bool columns, int at, int delta) {
    if (colours_.isEmpty()) return;
    QHash<quint64, CellColour> moved;
    moved.reserve(colours_.size());
    for (auto it = colours_.cbegin(); it != colours_.cend(); ++it) {
        int row = int(quint32(it.key() >> 32));
        int column = int(quint32(it.key()));
        int& index = columns ? column : row;
        if (delta < 0 && index == at) continue;  // the deleted cell's colour goes with it
        if (delta < 0 ? index > at : index >= at) index += delta;
        moved.insert(key(row, column), it.value());
    }
    colours_ = std::move(moved);
}

int ListModel::insert_column(const QString& title, int width, int at) {
    const int count = static_cast<int>(columns_.size());
    if (at < 0 || at > count) at = count;
    if (!filling()) beginInsertColumns(QModelIndex(), at, at);
    columns_.insert(columns_.begin() + at, Column{title, std::max(0, width)});
    rebuild_with_column(at, true);
    // Appending moves nothing: colours set ahead for a column still to come stay put.
    if (at < count) shift_colours(true, at, 1);
    if (!filling()) endInsertColumns();
    return at;
}

bool ListModel::delete_column(int column) {
    if (column < 0 || column >= static_cast<int>(columns_.size())) return false;
    if (!filling()) beginRemoveColumns(QModelIndex(), column, column);
    columns_.erase(columns_.begin() + column);
    rebuild_with_column(column, false);
    shift_colours(true, column, -1);
    if (!filling()) endRemoveColumns();
    return true;
}

void ListModel::clear_columns() {
    if (!filling()) start_reset();
    columns_.clear();
    cells_.clear();
    checked_.clear();
    front_ = 0;
    ticked_ = 0;
    text_.clear();
    garbage_ = 0;
    rows_ = 0;
    if (!filling()) finish_reset();
}

QString ListModel::column_title(int column) const {
    if (column < 0 || column >= static_cast<int>(columns_.size())) return {};
    return columns_[static_cast<size_t>(column)].title;
}

int ListModel::column_index(const QString& title) const {
    for (size_t c = 0; c < columns_.size(); ++c)
        if (columns_[c].title == title) return static_cast<int>(c);
    return -1;
}

int ListModel::column_width(int column) const {
    if (column < 0 || column >= static_cast<int>(columns_.size())) return -1;
    return columns_[static_cast<size_t>(column)].width;
}

void ListModel::set_column_width(int column, int width) {
    if (column < 0 || column >= static_cast<int>(columns_.size())) return;
    width = std::max(0, width);
    int& stored = columns_[static_cast<size_t>(column)].width;
    if (stored == width) return;
    stored = width;
    emit column_width_changed(column, width);
}

void ListModel::clear_rows() {
    if (rows_ == 0) return;
    const int last = rows_ - 1;
    if (!filling()) beginRemoveRows(QModelIndex(), 0, last);
    cells_.clear();
    checked_.clear();
    front_ = 0;
    ticked_ = 0;
    text_.clear();  // keeps its capacity for the refill
    garbage_ = 0;
    rows_ = 0;
    if (!filling()) endRemoveRows();
}

void ListModel::reserve_rows(int rows) {
    if (rows <= 0) return;
    cells_.reserve((front_ + static_cast<size_t>(rows)) * columns_.size());
    checked_.reserve(front_ + static_cast<size_t>(rows));
}

void ListModel::grow_front_gap(size_t rows) {
    const size_t cols = columns_.size();
    // A quarter of the list more each time: rows put in front one by one move the list
    // again only after a quarter of its length.
    const size_t gap = std::max({rows, static_cast<size_t>(rows_) / 4, size_t(64)});
    const size_t stored = front_ + static_cast<size_t>(rows_);
    std::vector<CellRef> cells;
    cells.reserve((gap + stored) * cols);
    cells.resize(gap * cols);
    cells.insert(cells.end(), cells_.begin(), cells_.end());
    cells_ = std::move(cells);
    std::vector<char> checked;
    checked.reserve(gap + stored);
    checked.resize(gap, 0);
    checked.insert(checked.end(), checked_.begin(), checked_.end());
    checked_ = std::move(checked);
    front_ += gap;
}

void ListModel::open_row(int at) {
    const size_t cols = columns_.size();
    const auto cell_at = [&](size_t stored_row) {
        return cells_.begin() + static_cast<std::ptrdiff_t>(stored_row * cols);
    };
    const auto tick_at = [&](size_t stored_row) {
        return checked_.begin() + static_cast<std::ptrdiff_t>(stored_row);
    };
    if (at == rows_) {
        cells_.resize(cells_.size() + cols);
        checked_.push_back(0);
        return;
    }
    if (at > rows_ / 2) {
        // Nearer the end: the rows after it move down.
        const size_t stored_row = front_ + static_cast<size_t>(at);
        cells_.insert(cell_at(stored_row), cols, CellRef());
        checked_.insert(tick_at(stored_row), 0);
        return;
    }
    // Nearer the top: the rows before it move up into the gap.
    if (front_ == 0) grow_front_gap(1);
    const size_t top = front_;
    const size_t stored_row = top + static_cast<size_t>(at);
    std::move(cell_at(top), cell_at(stored_row), cell_at(top - 1));
    std::fill(cell_at(stored_row - 1), cell_at(stored_row), CellRef());
    std::move(tick_at(top), tick_at(stored_row), tick_at(top - 1));
    *tick_at(stored_row - 1) = 0;
    --front_;
}

void ListModel::close_row(int row) {
    const size_t cols = columns_.size();
    const auto cell_at = [&](size_t stored_row) {
        return cells_.begin() + static_cast<std::ptrdiff_t>(stored_row * cols);
    };
    const auto tick_at = [&](size_t stored_row) {
        return checked_.begin() + static_cast<std::ptrdiff_t>(stored_row);
    };
    const size_t stored_row = front_ + static_cast<size_t>(row);
    for (auto it = cell_at(stored_row); it != cell_at(stored_row + 1); ++it) garbage_ += it->size;
    if (*tick_at(stored_row) != 0) --ticked_;
    if (row >= rows_ / 2) {
        cells_.erase(cell_at(stored_row), cell_at(stored_row + 1));
        checked_.erase(tick_at(stored_row));
        return;
    }
    // Nearer the top: the rows before it move down and the gap grows by one row.
    std::move_backward(cell_at(front_), cell_at(stored_row), cell_at(stored_row + 1));
    std::fill(cell_at(front_), cell_at(front_ + 1), CellRef());
    std::move_backward(tick_at(front_), tick_at(stored_row), tick_at(stored_row + 1));
    *tick_at(front_) = 0;
    ++front_;
}

int ListModel::insert_row(int at) {
    if (at < 0 || at > rows_) at = rows_;
    if (!filling()) beginInsertRows(QModelIndex(), at, at);
    open_row(at);
    if (at < rows_) shift_colours(false, at, 1);
    ++rows_;
    if (!filling()) endInsertRows();
    return at;
}

int ListModel::append_row(const QStringList& cells) {
    const int row = rows_;
    if (!filling()) beginInsertRows(QModelIndex(), row, row);
    const size_t cols = columns_.size();
    const size_t first = cells_.size();
    cells_.resize(first + cols);
    for (size_t c = 0; c < cols && c < static_cast<size_t>(cells.size()); ++c)
        store_text(first + c, cells[static_cast<qsizetype>(c)]);
    checked_.push_back(0);
    ++rows_;
    if (!filling()) endInsertRows();
    return row;
}

bool ListModel::delete_row(int row) {
    if (row < 0 || row >= rows_) return false;
    if (!filling()) beginRemoveRows(QModelIndex(), row, row);
    close_row(row);
    shift_colours(false, row, -1);
    --rows_;
    if (!filling()) endRemoveRows();
    return true;
}

QString ListModel::cell_text(int row, int column) const {
    if (!valid(row, column)) return {};
    return text_at(cell_slot(row, column));
}

std::string_view ListModel::cell_utf8(int row, int column) const {
    if (!valid(row, column)) return {};
    const CellRef& cell = cells_[cell_slot(row, column)];
    if (cell.size == 0) return {};
    return std::string_view(text_.data() + cell.offset, cell.size);
}

bool ListModel::set_cell_text(int row, int column, const QString& text) {
    if (!valid(row, column)) return false;
    store_text(cell_slot(row, column), text);
    if (!filling()) {
        const QModelIndex i = index(row, column);
        emit dataChanged(i, i, {Qt::DisplayRole});
    }
    return true;
}

bool ListModel::set_cell_utf8(int row, int column, const char* utf8, qsizetype size) {
    if (!valid(row, column)) return false;
    store_utf8(cell_slot(row, column), utf8, size > 0 ? static_cast<size_t>(size) : 0);
    if (!filling()) {
        const QModelIndex i = index(row, column);
        emit dataChanged(i, i, {Qt::DisplayRole});
    }
    return true;
}

QString ListModel::text_at(size_t slot) const {
    const CellRef& cell = cells_[slot];
    if (cell.size == 0) return QString();
    return QString::fromUtf8(text_.data() + cell.offset, static_cast<qsizetype>(cell.size));
}

bool ListModel::make_room(size_t size) {
    constexpr size_t limit = std::numeric_limits<quint32>::max();
    // Cells written again and again (a handler updating one row) leave their old texts behind;
    // once they are most of the buffer, it is rebuilt.
    if (garbage_ > 65536 && garbage_ > text_.size() / 2) compact_text();
    if (text_.size() + size <= limit) return true;
    compact_text();
    return text_.size() + size <= limit;
}

void ListModel::store_utf8(size_t slot, const char* utf8, size_t size) {
    garbage_ += cells_[slot].size;
    cells_[slot] = CellRef();
    if (size == 0 || !make_room(size)) return;
    const size_t start = text_.size();
    text_.insert(text_.end(), utf8, utf8 + size);
    cells_[slot] = CellRef{static_cast<quint32>(start), static_cast<quint32>(size)};
}

void ListModel::store_text(size_t slot, QStringView text) {
    garbage_ += cells_[slot].size;
    cells_[slot] = CellRef();
    if (text.isEmpty()) return;
    // At most three bytes of UTF-8 per UTF-16 code unit.
    const size_t most = static_cast<size_t>(text.size()) * 3;
    if (!make_room(most)) return;
    const size_t start = text_.size();
    text_.resize(start + most);
    QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    char* begin = text_.data() + start;
    char* end = encoder.appendToBuffer(begin, text);
    const auto written = static_cast<size_t>(end - begin);
    text_.resize(start + written);
    cells_[slot] = CellRef{static_cast<quint32>(start), static_cast<quint32>(written)};
}

void ListModel::compact_text() {
    std::vector<char> packed;
    packed.reserve(text_.size() - std::min(garbage_, text_.size()));
    for (CellRef& cell : cells_) {
        if (cell.size == 0) continue;
        const size_t start = packed.size();
        packed.insert(packed.end(), text_.begin() + cell.offset,
                      text_.begin() + cell.offset + cell.size);
        cell.offset = static_cast<quint32>(start);
    }
    text_ = std::move(packed);
    garbage_ = 0;
}

void ListModel::set_cell_colour(int row, int column, const QColor& text, const QColor& background) {
    if (row < 0 || column < 0) return;
    // Kept even for cells that do not exist yet: a filler may colour before it appends.
    if (!text.isValid() && !background.isValid())
        colours_.remove(key(row, column));
    else
        colours_.insert(key(row, column), CellColour{text, background});
    if (!filling() && valid(row, column)) {
        const QModelIndex i = index(row, column);
        emit dataChanged(i, i, {Qt::ForegroundRole, Qt::BackgroundRole});
    }
}

CellColour ListModel::cell_colour(int row, int column) const {
    if (row < 0 || column < 0) return {};
    return colours_.value(key(row, column));
}

void ListModel::clear_cell_colour(int row, int column) { set_cell_colour(row, column, {}, {}); }

void ListModel::clear_cell_colours() {
    if (colours_.isEmpty()) return;
    colours_.clear();
    if (!filling() && rows_ > 0 && !columns_.empty())
        emit dataChanged(index(0, 0), index(rows_ - 1, static_cast<int>(columns_.size()) - 1),
                         {Qt::ForegroundRole, Qt::BackgroundRole});
}

void ListModel::begin_fill() {
    if (fill_depth_++ == 0) start_reset();
}

void ListModel::end_fill() {
    if (fill_depth_ == 0) return;
    if (--fill_depth_ == 0) finish_reset();
}

// ---- ListCellDelegate ---------------------------------------------------------------------

void ListCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const QVariant fg = index.data(Qt::ForegroundRole);
    const QVariant bg = index.data(Qt::BackgroundRole);
    if (!fg.isValid() && !bg.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // Drawn by hand: a style sheet that colours items would otherwise win over the roles.
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QRect text_rect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const QString text = opt.text;
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const bool selected = opt.state & QStyle::State_Selected;
    painter->save();
    if (bg.isValid() && !selected) painter->fillRect(opt.rect, bg.value<QBrush>());
    QColor pen = opt.palette.color(QPalette::Text);
    if (selected)
        pen = opt.palette.color(QPalette::HighlightedText);
    else if (fg.isValid())
        pen = fg.value<QBrush>().color();
    painter->setPen(pen);
    painter->setFont(opt.font);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect r = text_rect.adjusted(margin, 0, -margin, 0);
    painter->drawText(r, static_cast<int>(opt.displayAlignment),
                      opt.fontMetrics.elidedText(text, opt.textElideMode, r.width()));
    painter->restore();
}

// ---- views --------------------------------------------------------------------------------

namespace {

const char kSetUpProperty[] = "platform_report_view";

void apply_widths(QTableView* view, ListModel* model, int first, int last) {
    QHeaderView* header = view->horizontalHeader();
    for (int c = first; c <= last; ++c) header->resizeSection(c, model->column_width(c));
}

}  // namespace

void setup_report_view(QTableView* view) {
    if (!view || view->property(kSetUpProperty).toBool()) return;
    auto* model = qobject_cast<ListModel*>(view->model());
    if (!model) {
        model = new ListModel(view);
        view->setModel(model);
    }
    view->setItemDelegate(new ListCellDelegate(view));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(false);
    view->setSortingEnabled(false);
    view->setWordWrap(false);
    view->setTabKeyNavigation(false);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    QHeaderView* rows = view->verticalHeader();
    rows->hide();
    // Fixed heights keep a list of 100,000 rows as cheap as one of ten.
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(view->fontMetrics().height() + 6);

    QHeaderView* header = view->horizontalHeader();
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setMinimumSectionSize(0);  // width 0 hides a column, as the column settings use it

    apply_widths(view, model, 0, model->columnCount() - 1);
    QObject::connect(model, &ListModel::column_width_changed, view, [view](int column, int width) {
        view->horizontalHeader()->resizeSection(column, width);
    });
    // A reset rebuilds the header's sections at the default size.
    QObject::connect(model, &QAbstractItemModel::modelReset, view,
                     [view, model] { apply_widths(view, model, 0, model->columnCount() - 1); });
    QObject::connect(model, &QAbstractItemModel::columnsInserted, view,
                     [view, model](const QModelIndex&, int first, int last) {
                         apply_widths(view, model, first, last);
                     });
    // Widths the user drags go back into the model (saving column widths reads them there).
    QObject::connect(header, &QHeaderView::sectionResized, model,
                     [model](int column, int, int width) {
                         if (!model->resetting()) model->set_column_width(column, width);
                     });
    view->setProperty(kSetUpProperty, true);
}

QTableView* make_report_view(QWidget* parent) {
    auto* view = new QTableView(parent);
    setup_report_view(view);
    return view;
}

ListModel* listview_model(QTableView* view) {
    if (!view) return nullptr;
    // Called once per cell by fillers: a cheap test before the full set-up.
    if (auto* model = qobject_cast<ListModel*>(view->model());
        model && qobject_cast<ListCellDelegate*>(view->itemDelegate()))
        return model;
    setup_report_view(view);
    return qobject_cast<ListModel*>(view->model());
}

int listview_insert_column(QTableView* view, const QString& title, int width) {
    return listview_model(view)->insert_column(title, width);
}

bool listview_delete_column(QTableView* view, int column) {
    return listview_model(view)->delete_column(column);
}

bool listview_delete_column(QTableView* view, const QString& title) {
    ListModel* model = listview_model(view);
    return model->delete_column(model->column_index(title));
}

void listview_clear_columns(QTableView* view) { listview_model(view)->clear_columns(); }

void listview_clear_rows(QTableView* view) { listview_model(view)->clear_rows(); }

int listview_insert_row(QTableView* view) { return listview_model(view)->insert_row(); }

bool listview_delete_row(QTableView* view, int row) {
    return listview_model(view)->delete_row(row);
}

bool listview_set_cell_text(QTableView* view, int row, int column, const QString& text) {
    return listview_model(view)->set_cell_text(row, column, text);
}

QString listview_cell_text(QTableView* view, int row, int column) {
    return listview_model(view)->cell_text(row, column);
}

int listview_column_index(QTableView* view, const QString& title) {
    return listview_model(view)->column_index(title);
}

int listview_selected_row(QTableView* view) {
    listview_model(view);
    const QItemSelectionModel* selection = view->selectionModel();
    if (!selection) return -1;
    int row = -1;
    for (const QModelIndex& i : selection->selectedIndexes())
        if (row < 0 || i.row() < row) row = i.row();
    return row;
}

void listview_select_row(QTableView* view, int row) {
    ListModel* model = listview_model(view);
    QItemSelectionModel* selection = view->selectionModel();
    if (!selection) return;
    if (row < 0 || row >= model->rowCount() || model->columnCount() == 0) {
        selection->clearSelection();
        selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    const QModelIndex first = model->index(row, 0);
    selection->setCurrentIndex(first,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(first);
}

int listview_row_count(QTableView* view) { return listview_model(view)->rowCount(); }

int listview_column_count(QTableView* view) { return listview_model(view)->columnCount(); }

QString listview_column_title(QTableView* view, int column) {
    return listview_model(view)->column_title(column);
}

void listview_set_column_width(QTableView* view, int column, int width) {
    listview_model(view)->set_column_width(column, width);
}

int listview_column_width(QTableView* view, int column) {
    return listview_model(view)->column_width(column);
}

void listview_widen_columns_to_text(QTableView* view) {
    ListModel* model = listview_model(view);
    // A cell's text as the sum of its characters' widths, each measured once: a report of tens
    // of thousands of rows is measured in a few milliseconds.
    const QFontMetrics metrics(view->font());
    QHash<char16_t, int> advances;
    const auto text_width = [&](const QString& text) {
        int width = 0;
        for (const QChar c : text) {
            auto it = advances.constFind(c.unicode());
            if (it == advances.constEnd())
                it = advances.insert(c.unicode(), metrics.horizontalAdvance(c));
            width += *it;
        }
        return width;
    };
    // The room the delegate and the grid line leave around a cell's text.
    constexpr int kCellPadding = 16;
    const QFontMetrics header_metrics(view->horizontalHeader()->font());
    for (int column = 0; column < model->columnCount(); ++column) {
        int needed = header_metrics.horizontalAdvance(model->column_title(column));
        for (int row = 0; row < model->rowCount(); ++row)
            needed = std::max(needed, text_width(model->cell_text(row, column)));
        if (needed + kCellPadding > model->column_width(column))
            model->set_column_width(column, needed + kCellPadding);
    }
}

void listview_set_cell_colour(QTableView* view, int row, int column, const QColor& text,
                              const QColor& background) {
    listview_model(view)->set_cell_colour(row, column, text, background);
}

void listview_clear_cell_colour(QTableView* view, int row, int column) {
    listview_model(view)->clear_cell_colour(row, column);
}

void listview_clear_cell_colours(QTableView* view) { listview_model(view)->clear_cell_colours(); }

void listview_set_checkable(QTableView* view, bool checkable) {
    listview_model(view)->set_checkable(checkable);
}

bool listview_row_checked(QTableView* view, int row) {
    return listview_model(view)->row_checked(row);
}

void listview_set_row_checked(QTableView* view, int row, bool checked) {
    listview_model(view)->set_row_checked(row, checked);
}

void listview_begin_fill(QTableView* view) { listview_model(view)->begin_fill(); }

void listview_end_fill(QTableView* view) { listview_model(view)->end_fill(); }

}  // namespace platform
