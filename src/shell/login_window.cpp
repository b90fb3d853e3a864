#include "shell/login_window.h"

#include <QCloseEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "platform/dialogs.h"
#include "platform/files.h"
#include "shell/main_window.h"
#include "shell/operation_log.h"
#include "shell/permissions.h"
#include "shell/program_state.h"
#include "store/main_database.h"
#include "ui_login_window.h"

namespace shell {

namespace {

// Closes what the main window opened before the login, then ends the program.
[[noreturn]] void close_database_and_end() {
    platform::recordset_close(store::main_recordset(1));
    platform::recordset_close(store::main_recordset(2));
    platform::db_close(store::main_connection());
    platform::end_program(0);
}

}  // namespace

LoginWindow::LoginWindow(QWidget* parent, std::function<void()> show_welcome_page)
    : QDialog(parent), ui(std::make_unique<Ui::LoginWindow>()),
      show_welcome_page_(std::move(show_welcome_page)) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(ui->确定按钮, &QPushButton::clicked, this, [this] { on_login_ok_click(); });
    connect(ui->取消按钮, &QPushButton::clicked, this, [this] { on_login_cancel_click(); });
    connect(ui->组合框1, &QComboBox::currentIndexChanged, this,
            [this] { on_login_combo_changed(); });
    on_login_window_create();
    ui->图片框1->setPixmap(draw_login_picture(ui->图片框1->minimumSize()));
    setFixedSize(sizeHint());
}

LoginWindow::~LoginWindow() = default;

void LoginWindow::on_login_window_create() {
    if (show_welcome_page_)
        show_welcome_page_();
    else if (MainWindow* window = main_window())
        window->select_content_page(kPageWelcome);
    login_failure_count_ = 0;
    platform::recordset_bind_connection(记录集1, store::main_connection());
    ui->组合框1->clear();
    ui->组合框1->addItem(kAdministrator);
    if (platform::recordset_open(记录集1,
                                 QStringLiteral("select * from 收费员 where 收费人员<>'管理员'"))) {
        for (; !platform::recordset_eof(记录集1); platform::recordset_move_next(记录集1))
            ui->组合框1->addItem(
                platform::recordset_field_text(记录集1, QStringLiteral("收费人员")));
    }
    ui->组合框1->setCurrentIndex(0);
    ui->密码框->setFocus();
    platform::recordset_close(记录集1);
}

void LoginWindow::on_login_ok_click() {
    if (login_failure_count_ == 3) {
        platform::message_box(QStringLiteral("您连续三次输入错误密码程序将退出！"),
                              platform::kDefaultCaption, platform::MsgIcon::Critical);
        close_database_and_end();
    }
    const QString digest = platform::md5_hex(ui->密码框->text());
    const QString name = ui->组合框1->currentText();
    // The name as typed, quoted: a quote in it is part of the name, not of the statement.
    const bool opened = platform::recordset_open(
        记录集1, QStringLiteral("select * from 收费员  where 收费人员=") + platform::sql_quote(name));
    const bool found = opened && !platform::recordset_eof(记录集1);
    const QString stored = platform::recordset_field_text(记录集1, QStringLiteral("密码"));
    const bool allowed = platform::recordset_field_bool(记录集1, QStringLiteral("许可"));
    if (!found || !allowed) {
        platform::recordset_close(记录集1);
        platform::message_box(QStringLiteral("您没有得到授权!"), platform::kDefaultCaption,
                              platform::MsgIcon::Information);
        return;
    }
    platform::recordset_close(记录集1);
    // Exact comparison: a digest stored in capitals never matches.
    if (stored.compare(digest, Qt::CaseSensitive) != 0) {
        ++login_failure_count_;
        platform::message_box(QStringLiteral("密码错误！") + QString::number(login_failure_count_),
                              platform::kDefaultCaption, platform::MsgIcon::Information);
        ui->密码框->clear();
        ui->密码框->setFocus();
        return;
    }
    current_operator = ui->组合框1->currentText();
    if (!write_operation_log(QStringLiteral("人员信息"), QStringLiteral("登陆"),
                             QStringLiteral("进入系统")))
        platform::message_box(QStringLiteral("添加日志失败！"), platform::kDefaultCaption,
                              platform::MsgIcon::Information);
    logged_in_ = true;
    accept();
}

void LoginWindow::on_login_cancel_click() { close_database_and_end(); }

void LoginWindow::on_login_window_close() { close_database_and_end(); }

void LoginWindow::on_login_combo_changed() {}

void LoginWindow::closeEvent(QCloseEvent* event) {
    if (logged_in_) {
        event->accept();
        return;
    }
    event->ignore();
    on_login_window_close();
}

void LoginWindow::reject() {
    if (logged_in_) {
        QDialog::reject();
        return;
    }
    on_login_window_close();
}

QPixmap draw_login_picture(const QSize& size) {
    const int w = size.width();
    const int h = size.height();
    QPixmap picture(size);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, w, h);
    sky.setColorAt(0.0, QColor(0x1f, 0x5f, 0x9e));
    sky.setColorAt(1.0, QColor(0x2f, 0x95, 0xb8));
    p.fillRect(picture.rect(), sky);

    // Two soft waves along the bottom edge.
    for (int layer = 0; layer < 2; ++layer) {
        QPainterPath wave;
        const double base = h * (0.70 + 0.12 * layer);
        wave.moveTo(0, base);
        wave.cubicTo(w * 0.30, base - h * 0.22, w * 0.60, base + h * 0.18, w, base - h * 0.08);
        wave.lineTo(w, h);
        wave.lineTo(0, h);
        wave.closeSubpath();
        p.fillPath(wave, QColor(255, 255, 255, layer == 0 ? 40 : 70));
    }

    // Emblem: a drop inside a ring, for the water, power and gas the office bills.
    const QPointF centre(h * 0.62, h * 0.46);
    const double r = h * 0.27;
    p.setPen(QPen(QColor(255, 255, 255, 230), 3));
    p.setBrush(QColor(255, 255, 255, 45));
    p.drawEllipse(centre, r, r);
    QPainterPath drop;
    drop.moveTo(centre.x(), centre.y() - r * 0.62);
    drop.cubicTo(centre.x() + r * 0.55, centre.y() - r * 0.05, centre.x() + r * 0.45,
                 centre.y() + r * 0.55, centre.x(), centre.y() + r * 0.55);
    drop.cubicTo(centre.x() - r * 0.45, centre.y() + r * 0.55, centre.x() - r * 0.55,
                 centre.y() - r * 0.05, centre.x(), centre.y() - r * 0.62);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawPath(drop);

    QFont title = p.font();
    title.setFamilies({QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC")});
    title.setPixelSize(qMax(12, h * 30 / 110));
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    p.setFont(title);
    p.setPen(Qt::white);
    const QRectF text_area(centre.x() + r + h * 0.18, 0, w, h * 0.92);
    p.drawText(text_area, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("收费管理系统"));
    return picture;
}

}  // namespace shell
