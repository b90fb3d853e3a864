#include "lists/list_columns.h"

#include <QTableView>
#include <charconv>
#include <cmath>

#include "lists/list_colours.h"
#include "lists/progress_window.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/listview.h"
#include "store/main_database.h"

namespace lists {

namespace {

// Hiding a list keeps it from painting half-built. A list that is a window of its own (a test's,
// say) only stops painting, so that showing it again does not open a window.
void set_list_shown(QTableView* list, bool shown) {
    if (list->isWindow())
        list->setUpdatesEnabled(shown);
    else
        list->setVisible(shown);
}

QString class_condition(const QString& column_class) {
    return QStringLiteral("类名=") + platform::sql_quote(column_class);
}

}  // namespace

void load_query_column_names(QTableView* list, const QString& column_class) {
    if (!list) return;
    platform::ListModel* model = platform::listview_model(list);
    platform::ListModel::Filler fill(model);
    model->clear_rows();
    const int columns = model->columnCount();
    for (int i = 0; i < columns; ++i) model->delete_column(model->columnCount() - 1);

    platform::RecordSet& records = store::main_recordset(1);
    if (!platform::recordset_open(records, QStringLiteral("select 列名 from 查询列 where ") +
                                               class_condition(column_class) +
                                               QStringLiteral("  ORDER  BY 排序")))
        return;
    const int count = platform::recordset_record_count(records);
    for (int i = 0; i < count; ++i) {
        model->insert_column(platform::recordset_field_text(records, 0), 1);
        platform::recordset_move_next(records);
    }
    // 记录集1 stays open on its query; the filler reopens it for its rows.
}

void apply_query_column_visibility_and_widths(QTableView* list, const QString& column_class) {
    if (!list) return;
    platform::ListModel* model = platform::listview_model(list);
    platform::RecordSet& records = store::main_recordset(1);
    {
        platform::ListModel::Filler fill(model);
        if (platform::recordset_open(records,
                                     QStringLiteral("select 列名 from 查询列 where ") +
                                         class_condition(column_class) +
                                         QStringLiteral(" and 显示='假' ORDER  BY 排序"))) {
            const int count = platform::recordset_record_count(records);
            for (int i = 0; i < count; ++i) {
                // Only the first column of that title goes.
                model->delete_column(
                    model->column_index(platform::recordset_field_text(records, 0)));
                platform::recordset_move_next(records);
            }
        }
        platform::recordset_close(records);
    }

    set_list_shown(list, false);
    if (platform::recordset_open(records, QStringLiteral("select 列宽 from 查询列 where ") +
                                              class_condition(column_class) +
                                              QStringLiteral(" and 显示='真' ORDER  BY 排序"))) {
        const int count = platform::recordset_record_count(records);
        // By position: the k-th shown row sizes the k-th remaining column.
        for (int k = 0; k < count; ++k) {
            model->set_column_width(k,
                                    static_cast<int>(platform::recordset_field_number(records, 0)));
            platform::recordset_move_next(records);
        }
    }
    platform::recordset_close(records);
    set_list_shown(list, true);
}

// ---- ListBuilder ------------------------------------------------------------------------------

ListBuilder::ListBuilder(QTableView* list, const QString& column_class, QWidget* progress_owner)
    : list_(list),
      model_(platform::listview_model(list)),
      class_(column_class),
      progress_owner_(progress_owner) {
    refresh_list_colours(nullptr, list_, true);
    set_list_shown(list_, false);
    platform::listview_begin_fill(list_);
    load_query_column_names(list_, class_);
}

ListBuilder::~ListBuilder() { finish(); }

int ListBuilder::column_count() const { return platform::listview_column_count(list_); }

int ListBuilder::row_count() const { return platform::listview_row_count(list_); }

void ListBuilder::show_progress(int steps) {
    if (!progress_) progress_ = std::make_unique<ProgressWindow>(progress_owner_);
    progress_->set_maximum(steps);
    progress_->open();
}

void ListBuilder::reserve_rows(int rows) { platform::listview_model(list_)->reserve_rows(rows); }

void ListBuilder::step() {
    if (progress_) progress_->step();
}

int ListBuilder::append_row(const QStringList& cells) {
    const int row = platform::listview_model(list_)->append_row(cells);
    step();
    return row;
}

int ListBuilder::append_fields(const platform::RecordSet& records) {
    platform::ListModel* model = platform::listview_model(list_);
    const int row = model->insert_row();
    if (platform::recordset_eof(records)) {
        step();
        return row;
    }
    const int n = std::min(platform::recordset_field_count(records), model->columnCount());
    const size_t fields = static_cast<size_t>(records.names.size());
    const size_t first = static_cast<size_t>(records.position) * fields;
    for (int k = 0; k < n; ++k) {
        const platform::RecordSet::Cell& cell = records.cells[first + static_cast<size_t>(k)];
        // Texts go over as they are stored; numbers take the record set's own text form.
        if (cell.type == platform::RecordSet::CellType::Text)
            model->set_cell_utf8(row, k, records.bytes.data() + cell.offset, cell.size);
        else
            model->set_cell_text(row, k, platform::recordset_field_text(records, k));
    }
    step();
    return row;
}

void ListBuilder::set_cell(int row, int column, const QString& text) {
    platform::listview_set_cell_text(list_, row, column, text);
}

int ListBuilder::append_empty_row() {
    const int row = model_->insert_row();
    step();
    return row;
}

void ListBuilder::put_text(int row, int column, const platform::RecordSet& records, int field) {
    put_utf8(row, column, platform::recordset_field_utf8(records, field, scratch_));
}

void ListBuilder::put_whole(int row, int column, const platform::RecordSet& records, int field) {
    const auto value =
        static_cast<qint64>(std::trunc(platform::recordset_field_number(records, field)));
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    put_utf8(row, column, std::string_view(buf, static_cast<size_t>(res.ptr - buf)));
}

void ListBuilder::put_number(int row, int column, const platform::RecordSet& records, int field) {
    const double value = platform::recordset_field_number(records, field);
    if (value == 0.0 || !std::isfinite(value)) {
        put_utf8(row, column, "0");
        return;
    }
    char buf[64];
    // The form of platform::to_text: shortest, at most 13 significant digits.
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 13);
    put_utf8(row, column, std::string_view(buf, static_cast<size_t>(res.ptr - buf)));
}

void ListBuilder::put_date(int row, int column, const platform::RecordSet& records, int field) {
    platform::DateParts parts;
    if (!platform::recordset_field_date_parts(records, field, &parts)) return;
    scratch_.clear();
    platform::append_date_text(scratch_, parts, false);
    put_utf8(row, column, scratch_);
}

void ListBuilder::put_utf8(int row, int column, std::string_view text) {
    model_->set_cell_utf8(row, column, text.data(), static_cast<qsizetype>(text.size()));
}

void ListBuilder::colour_row(int row, const QColor& text) {
    const int columns = column_count();
    for (int c = 0; c < columns; ++c) set_list_item_colour(nullptr, list_, row, c, text);
}

void ListBuilder::finish() {
    if (finished_) return;
    finished_ = true;
    // The hidden columns go inside the same fill: the view sees one reset for the whole build.
    apply_query_column_visibility_and_widths(list_, class_);
    platform::listview_end_fill(list_);
    set_list_shown(list_, true);
    if (progress_) progress_->close();
    progress_.reset();
}

}  // namespace lists
