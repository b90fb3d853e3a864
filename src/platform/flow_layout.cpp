#include "platform/flow_layout.h"

#include <QBoxLayout>
#include <QWidget>
#include <algorithm>

namespace platform {

FlowLayout::FlowLayout(QWidget* parent) : QLayout(parent) {}

FlowLayout::~FlowLayout() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void FlowLayout::addItem(QLayoutItem* item) { items_.append(item); }

int FlowLayout::count() const { return static_cast<int>(items_.size()); }

QLayoutItem* FlowLayout::itemAt(int index) const { return items_.value(index); }

QLayoutItem* FlowLayout::takeAt(int index) {
    if (index < 0 || index >= items_.size()) return nullptr;
    return items_.takeAt(index);
}

Qt::Orientations FlowLayout::expandingDirections() const { return {}; }

bool FlowLayout::hasHeightForWidth() const { return true; }

int FlowLayout::heightForWidth(int width) const { return arrange(QRect(0, 0, width, 0), false); }

QSize FlowLayout::minimumSize() const {
    // As narrow as the widest unit: the rest goes onto further rows.
    QSize size;
    for (const QLayoutItem* item : items_) size = size.expandedTo(item->minimumSize());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize FlowLayout::sizeHint() const {
    // Everything on one row.
    int width = 0, height = 0;
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        if (width > 0) width += spacing();
        width += item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
    }
    const QMargins m = contentsMargins();
    return {width + m.left() + m.right(), height + m.top() + m.bottom()};
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::arrange(const QRect& rect, bool place) const {
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int gap = std::max(spacing(), 0);
    int x = area.x();
    int y = area.y();
    int row_height = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        const QSize size = item->sizeHint();
        if (x > area.x() && x + size.width() > area.right() + 1) {
            x = area.x();
            y += row_height + gap;
            row_height = 0;
        }
        if (place) item->setGeometry(QRect(QPoint(x, y), size));
        x += size.width() + gap;
        row_height = std::max(row_height, size.height());
    }
    return y + row_height - rect.y() + contentsMargins().bottom();
}

void wrap_button_row(QWidget* page) {
    if (!page) return;
    auto* row = page->findChild<QBoxLayout*>(QStringLiteral("布局_按钮"));
    if (!row) return;
    QBoxLayout* holder = nullptr;
    int at = -1;
    for (QBoxLayout* candidate : page->findChildren<QBoxLayout*>()) {
        if (candidate == row) continue;
        if (const int index = candidate->indexOf(row); index >= 0) {
            holder = candidate;
            at = index;
            break;
        }
    }
    if (!holder) return;
    auto* flow = new FlowLayout;
    flow->setObjectName(row->objectName());
    flow->setContentsMargins(row->contentsMargins());
    flow->setSpacing(row->spacing());
    while (QLayoutItem* item = row->takeAt(0)) {
        if (QWidget* unit = item->widget()) {
            flow->addWidget(unit);
            delete item;
        } else if (QLayout* inner = item->layout()) {
            inner->setParent(nullptr);
            flow->addItem(inner);
        } else {
            delete item;  // the stretch that kept the row to the left
        }
    }
    delete holder->takeAt(at);  // the row itself, now empty
    holder->insertLayout(at, flow);
}

}  // namespace platform
