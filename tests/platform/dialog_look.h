#pragma once
// How one of Qt's own dialogs looks to the operator: whether its icon-only tool buttons draw
// their icons, and which of its visible texts are not Chinese.
#include <QApplication>
#include <QFile>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QToolButton>
#include <QWidget>

#include "harness/fixture.h"

namespace dialog_look {

// The three shipped skins, by file name.
inline const QStringList kSkins = {"默认.she", "经典.she", "青翠.she"};

// Puts a shipped skin's style sheet on the application for as long as it lives.
class SkinOn {
public:
    explicit SkinOn(const QString& name) {
        QFile file(harness::shipped_program_folder() + "/Skin/" + name);
        if (file.open(QIODevice::ReadOnly)) qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
    }
    ~SkinOn() { qApp->setStyleSheet(QString()); }
    SkinOn(const SkinOn&) = delete;
    SkinOn& operator=(const SkinOn&) = delete;
};

// The program's font (a CJK family at 10 points) for as long as it lives.
class ProgramFont {
public:
    ProgramFont() : before_(QApplication::font()) {
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPointSize(10);
        QApplication::setFont(font);
    }
    ~ProgramFont() { QApplication::setFont(before_); }
    ProgramFont(const ProgramFont&) = delete;
    ProgramFont& operator=(const ProgramFont&) = delete;

private:
    QFont before_;
};

// True when the button draws its icon: it looks different without it.
inline bool icon_shows(QToolButton* button) {
    const QImage with = button->grab().toImage();
    const QIcon icon = button->icon();
    button->setIcon(QIcon());
    const QImage without = button->grab().toImage();
    button->setIcon(icon);
    return with != without;
}

// Object names (or tool tips) of the visible tool buttons with an icon that do not draw it.
inline QStringList tool_buttons_without_icons(QWidget* dialog) {
    QStringList missing;
    for (QToolButton* button : dialog->findChildren<QToolButton*>()) {
        if (!button->isVisible() || button->icon().isNull()) continue;
        if (!icon_shows(button))
            missing << (button->objectName().isEmpty() ? button->toolTip() : button->objectName());
    }
    return missing;
}

// A visible text with a word of Latin letters once accelerators ("(&N)") and file patterns
// ("*.xlsx") are taken out.
inline bool reads_english(QString text) {
    static const QRegularExpression accelerator(R"(\(&.\)|&)");
    static const QRegularExpression pattern(R"(\*\.\w+|\*)");
    static const QRegularExpression word(R"([A-Za-z]{2,})");
    text.remove(accelerator);
    text.remove(pattern);
    return word.match(text).hasMatch();
}

}  // namespace dialog_look
