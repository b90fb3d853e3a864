#include "households/wait_window.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include "lists/progress_window.h"
#include "ui_wait_window.h"

namespace households {

WaitWindow::WaitWindow(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint |
                         (owner ? Qt::WindowFlags(Qt::Tool) : Qt::WindowFlags())),
      ui(std::make_unique<Ui::WaitWindow>()) {
    ui->setupUi(this);
    setAttribute(Qt::WA_ShowWithoutActivating);
    ui->图片框1->setPixmap(wait_picture());
}

WaitWindow::~WaitWindow() = default;

QLabel* WaitWindow::picture_box() const { return ui->图片框1; }

QPixmap WaitWindow::wait_picture() {
    QPixmap picture(260, 90);
    picture.fill(QColor(246, 248, 252));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(120, 140, 170), 1));
    painter.drawRect(QRectF(0.5, 0.5, 259, 89));

    // Hourglass.
    const QColor sand(214, 168, 60);
    painter.setPen(QPen(QColor(70, 90, 120), 2));
    painter.drawLine(QPointF(28, 22), QPointF(56, 22));
    painter.drawLine(QPointF(28, 68), QPointF(56, 68));
    QPainterPath glass;
    glass.moveTo(31, 22);
    glass.cubicTo(31, 40, 42, 42, 42, 45);
    glass.cubicTo(42, 48, 31, 50, 31, 68);
    glass.moveTo(53, 22);
    glass.cubicTo(53, 40, 42, 42, 42, 45);
    glass.cubicTo(42, 48, 53, 50, 53, 68);
    painter.drawPath(glass);
    painter.setPen(Qt::NoPen);
    painter.setBrush(sand);
    painter.drawPolygon(QPolygonF({QPointF(35, 30), QPointF(49, 30), QPointF(42, 41)}));
    painter.drawPolygon(QPolygonF({QPointF(34, 66), QPointF(50, 66), QPointF(42, 56)}));

    painter.setPen(QColor(40, 50, 70));
    QFont font = QApplication::font();
    font.setPointSize(11);
    painter.setFont(font);
    painter.drawText(QRect(70, 0, 180, 90), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("正在处理，请稍候……"));
    return picture;
}

void WaitWindow::open() {
    lists::show_centred_over_owner(this);
    lists::keep_screen_painted(true);
    // The rows are applied on this thread: drawn now, then kept drawn by keep_painted().
    repaint();
}

WaitScope::WaitScope(QWidget* owner) : window_(std::make_unique<WaitWindow>(owner)) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    window_->open();
}

void WaitScope::keep_painted() { lists::keep_screen_painted(); }

WaitScope::~WaitScope() {
    window_->close();
    // What the user clicked or typed while the rows were applied is not done after it.
    lists::drop_pending_user_input();
    QApplication::restoreOverrideCursor();
}

}  // namespace households
