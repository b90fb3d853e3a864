#pragma once

// A row of units that wraps onto further rows where the width does not hold them all, so that a
// page's buttons keep their whole captions on a narrow screen instead of being squeezed.
#include <QLayout>
#include <QList>

class QWidget;

namespace platform {

class FlowLayout : public QLayout {
public:
    explicit FlowLayout(QWidget* parent = nullptr);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Lays the units out in rect (or only measures, when place is false); returns the height used.
    int arrange(const QRect& rect, bool place) const;

    QList<QLayoutItem*> items_;
};

// Makes the row of buttons named 布局_按钮 inside a page wrap: its units move, in order, into a
// FlowLayout standing where the row stood; the row's stretch is dropped. A page without such a
// row inside a box layout is left as it is.
void wrap_button_row(QWidget* page);

}  // namespace platform
