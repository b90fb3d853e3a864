#include "charging/list_page.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QTableView>

#include "lists/list_colours.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "shell/main_window.h"
#include "store/main_database.h"

namespace charging {

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

void show_boxes(const tariffs::Messages& messages, QWidget* parent) {
    for (const tariffs::Message& m : messages)
        platform::message_box(m.text, m.plain ? QString() : m.caption,
                              m.plain ? platform::MsgIcon::None : platform::MsgIcon::Information,
                              platform::MsgButtons::Ok, parent);
}

ListFill::ListFill(QTableView* list, const QString& column_class, QWidget* window)
    : build_(list, column_class, window) {}

std::function<void(int count)> ListFill::start() {
    return [this](int count) {
        build_.show_progress(count);
        build_.reserve_rows(count + 1);
    };
}

void ListFill::put_row(std::span<const std::string_view> cells) {
    const int row = build_.append_empty_row();
    int column = 0;
    for (std::string_view cell : cells) build_.put_utf8(row, column++, cell);
}

void ListFill::finish(const QStringList& totals) {
    build_.colour_row(build_.append_row(totals), lists::colour_from_bgr(255));
    build_.finish();
}

QString ask_entry(const QString& prompt, const QString& caption, const QString& initial,
                  QWidget* parent) {
    QString answer;
    if (!platform::input_box(prompt, caption, initial, &answer, parent)) return {};
    return answer;
}

void lay_out_list_columns(QTableView* list, const QString& statement,
                          platform::OnFailure on_failure) {
    platform::listview_clear_rows(list);
    platform::listview_clear_columns(list);
    const QList<QStringList> columns =
        platform::query_rows(store::main_connection(), statement, on_failure);
    for (const QStringList& c : columns)
        platform::listview_insert_column(list, c.value(0),
                                         static_cast<int>(platform::to_number(c.value(1))));
}

void open_list_page(shell::MainWindow* window, int content_page, QTableView* list,
                    const QString& columns_statement, QWidget* query_button,
                    platform::OnFailure on_failure) {
    if (window) window->select_content_page(content_page);
    platform::listview_clear_cell_colours(list);
    lay_out_list_columns(list, columns_statement, on_failure);
    query_button->setFocus();
}

bool row_chosen(bool selected, bool right_column, const QString& nothing_selected,
                const QString& wrong_column) {
    if (!selected) {
        platform::inform(nothing_selected);
        return false;
    }
    if (!right_column) {
        platform::inform(wrong_column);
        return false;
    }
    return true;
}

int first_checked(std::span<const RadioCondition> conditions) {
    for (std::size_t i = 0; i < conditions.size(); ++i)
        if (conditions[i].radio->isChecked()) return static_cast<int>(i);
    return -1;
}

void offer_choices(QComboBox* box, const QStringList& entries) {
    box->addItems(entries);
    box->setCurrentIndex(-1);
}

void refuse(const QString& refusal, QWidget* field) {
    platform::inform(refusal);
    if (field) field->setFocus();
}

void refuse(const QString& refusal, std::span<const RadioCondition> conditions) {
    const int chosen = first_checked(conditions);
    refuse(refusal, chosen < 0 ? nullptr : conditions[static_cast<std::size_t>(chosen)].field);
}

}  // namespace charging
