#include "lists/list_colours.h"

#include <QPalette>
#include <QPointer>
#include <QTableView>
#include <vector>

#include "platform/listview.h"

namespace lists {

namespace {

// Every list coloured in this run, in the order of its first colouring.
std::vector<QPointer<QTableView>>& coloured_lists() {
    static std::vector<QPointer<QTableView>> lists;
    return lists;
}

void remember(QTableView* list) {
    auto& lists = coloured_lists();
    for (const auto& known : lists)
        if (known == list) return;
    // Lists destroyed since leave their place to the new one.
    std::erase_if(lists, [](const QPointer<QTableView>& p) { return p.isNull(); });
    lists.emplace_back(list);
}

}  // namespace

QColor colour_from_bgr(quint32 bgr) {
    return QColor(int(bgr & 0xff), int((bgr >> 8) & 0xff), int((bgr >> 16) & 0xff));
}

void set_list_item_colour(QWidget*, QTableView* list, int row, int column, const QColor& text,
                          const QColor& background, bool use_background) {
    if (!list || row < 0 || column < 0) return;
    remember(list);
    const QPalette palette = list->palette();
    const QColor own_text = palette.color(QPalette::Text);
    const QColor own_background = palette.color(QPalette::Base);
    const QColor back = use_background && background.isValid() && background != own_background
                            ? background
                            : QColor();
    const QColor fore = text.isValid() && text != own_text ? text : QColor();
    // Both invalid: the cell is drawn in the list's own colours and needs no entry.
    platform::listview_set_cell_colour(list, row, column, fore, back);
}

void refresh_list_colours(QWidget*, QTableView* list, bool single_list) {
    if (single_list) {
        if (list) platform::listview_clear_cell_colours(list);
        return;
    }
    for (const auto& known : coloured_lists())
        if (!known.isNull()) platform::listview_clear_cell_colours(known);
}

int coloured_list_count() {
    int n = 0;
    for (const auto& known : coloured_lists())
        if (!known.isNull()) ++n;
    return n;
}

}  // namespace lists
