#pragma once
// Single cells of a list drawn in colours of their own (the red totals rows of the query lists).
// The colours are kept in the list's model, by cell, and painted by its delegate; they stay
// until the list's filler clears them with refresh_list_colours, and follow their cells when
// columns are deleted (the hidden-column step of list building).
//
// A filler: refresh_list_colours(window, list, true) before it rebuilds the list, then
// set_list_item_colour(...) for each cell to paint while or after appending the rows.
#include <QColor>

class QTableView;
class QWidget;

namespace lists {

// The colour the statements and settings write as a number 0x00BBGGRR (255 is red).
QColor colour_from_bgr(quint32 bgr);
// The text colour of totals rows.
inline const QColor kTotalsRowColour = QColor(255, 0, 0);

// Draws the cell (0-based row and column) with this text colour and, when use_background is
// true, this background; otherwise on the list's own background. A second call for the same
// cell replaces its colours; a call with the list's own text colour and no background of its
// own gives the cell its ordinary look back. Rows and columns that do not exist (yet) are kept
// and take effect when the cell appears. window: the window showing the list; not needed here.
void set_list_item_colour(QWidget* window, QTableView* list, int row, int column,
                          const QColor& text, const QColor& background = QColor(),
                          bool use_background = false);

// single_list true: clears the cell colours of this list. false: clears them on every list that
// has been coloured in this run. Clearing a list that was never coloured does nothing.
void refresh_list_colours(QWidget* window, QTableView* list, bool single_list = true);

// The lists coloured in this run that still exist.
int coloured_list_count();

}  // namespace lists
