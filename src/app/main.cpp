// Process entry: the application object with Qt's own dialogs in Chinese and a font that has
// every character the program shows, then the shell's start-up, which runs the whole program.
#include <QApplication>
#include <QFont>
#include <QFontDatabase>

#include "app/assembly.h"
#include "platform/chinese_ui.h"
#include "platform/excel_install.h"
#include "shell/main_window.h"
#include "shell/startup.h"

namespace {

// The first CJK family the system has, so that no character falls back to a font of another
// style in the middle of a caption.
void use_cjk_font() {
    const QStringList families = QFontDatabase::families();
    for (const QString& family :
         {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
          QStringLiteral("Noto Sans SC")}) {
        if (families.contains(family)) {
            QFont font(family);
            font.setPointSize(10);
            QApplication::setFont(font);
            return;
        }
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Lives as long as the application: Qt's own buttons, dialogs and menus in Chinese.
    const platform::ChineseUi chinese_ui;
    use_cjk_font();
    // Imports and exports read and write workbooks inside their statements.
    platform::install_excel_bridge();

    // Each subsystem puts its pages into the content area and registers its handlers there.
    shell::program_startup([](shell::MainWindow& window) { app::assemble_program(window); });
}
