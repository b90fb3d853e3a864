#pragma once
// What the charging list pages (预存结余, 扣款明细, 预存明细, 收费查询) and their query windows
// share on screen: the wait cursor, the core's boxes, a list filled from a core reader with its
// red totals row, a quick look-up's entry, the columns laid out by the navigation entry, the
// first ticked radio button, and a refusal that puts the focus on the field it names. The
// statements, cells and messages stay in each page's core.
#include <QAbstractButton>
#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <functional>
#include <span>
#include <string_view>

#include "lists/list_columns.h"
#include "platform/query.h"
#include "tariffs/bills.h"

class QComboBox;
class QTableView;
class QWidget;

namespace shell {
class MainWindow;
}

namespace charging {

// Wires a button's click to a page's or window's handler.
template <class Owner>
void on_click(QAbstractButton* button, Owner* owner, void (Owner::*handler)()) {
    QObject::connect(button, &QAbstractButton::clicked, owner,
                     [owner, handler] { (owner->*handler)(); });
}

// The wait cursor for as long as a list fills.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A core's boxes in order: a plain one (the database's text) without caption or icon.
void show_boxes(const tariffs::Messages& messages, QWidget* parent);

// Fills a page's list as a core reader hands its rows over: the progress window, one row per
// record written cell by cell, then the totals row in red, the hidden columns removed and the
// widths applied.
class ListFill {
public:
    ListFill(QTableView* list, const QString& column_class, QWidget* window);

    // The reader's start: the progress window and room for the rows and the totals row.
    std::function<void(int count)> start();
    // The reader's row.
    template <std::size_t N>
    std::function<void(const std::array<std::string_view, N>&)> row() {
        return [this](const std::array<std::string_view, N>& cells) { put_row(cells); };
    }
    void finish(const QStringList& totals);

private:
    void put_row(std::span<const std::string_view> cells);

    lists::ListBuilder build_;
};

// A quick look-up's entry: "" when the box is cancelled or left empty.
QString ask_entry(const QString& prompt, const QString& caption, const QString& initial,
                  QWidget* parent);

// A list page's navigation entry: the content page shown, its list emptied of rows and colours
// and laid out with the columns the statement names, the focus on the page's query button.
void open_list_page(shell::MainWindow* window, int content_page, QTableView* list,
                    const QString& columns_statement, QWidget* query_button,
                    platform::OnFailure on_failure = platform::OnFailure::Report);

// Empties the list and lays out the columns the statement (列名, 列宽 of 查询列) names.
void lay_out_list_columns(QTableView* list, const QString& statement,
                          platform::OnFailure on_failure = platform::OnFailure::Report);

// A query window's radio button with the field its condition needs (null for none).
struct RadioCondition {
    const QAbstractButton* radio;
    QWidget* field;
};

// The position of the first ticked radio button, -1 when none is.
int first_checked(std::span<const RadioCondition> conditions);

// A drop-down's entries with none picked.
void offer_choices(QComboBox* box, const QStringList& entries);

// A row action's look at the selected row: false, after its box, when no row is selected or the
// cell it needs is not in the column it has to be read from.
bool row_chosen(bool selected, bool right_column, const QString& nothing_selected,
                const QString& wrong_column);

// A query window's refusal: the box, then the focus on the field it names (if any).
void refuse(const QString& refusal, QWidget* field);
// The same for a radio-button window: the focus on the first ticked condition's field.
void refuse(const QString& refusal, std::span<const RadioCondition> conditions);

}  // namespace charging
