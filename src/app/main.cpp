// Process entry: the application object with Qt's own dialogs in Chinese and a font that has
// every character the program shows, then the shell's start-up, which runs the whole program.
#include <QApplication>
#include <QFont>
#include <QFontDatabase>

#include "households/households_install.h"
#include "households/meters_install.h"
#include "lists/list_pages.h"
#include "lists/list_print.h"
#include "platform/chinese_ui.h"
#include "shell/admin.h"
#include "shell/main_window.h"
#include "shell/program_state.h"
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

    shell::program_startup([](shell::MainWindow& window) {
        // Each subsystem puts its pages into the content area and registers its handlers here,
        // in folder order.
        lists::install_list_printing();
        lists::set_list_kind_sources({[] { return shell::reading_query_kind; },
                                      [] { return shell::charge_query_kind; },
                                      [] { return shell::reduction_list_kind; }});
        shell::install_administration(window);
        households::install(window);
        households::install_meters(window);
    });
}
