// Process entry: the application object with Qt's own dialogs in Chinese and a font that has
// every character the program shows, then the shell's start-up, which runs the whole program.
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "charging/charging_install.h"
#include "households/households_install.h"
#include "households/meters_install.h"
#include "lists/list_pages.h"
#include "lists/list_print.h"
#include "reading/reading_install.h"
#include "reports/reports_install.h"
#include "shell/admin.h"
#include "shell/main_window.h"
#include "shell/program_state.h"
#include "shell/startup.h"
#include "tariffs/tariffs_install.h"

namespace {

void load_qt_translations(QApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // Lives as long as the application: Qt's buttons (Yes/No, Cancel) and its file dialogs.
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), folder))
        QApplication::installTranslator(translator);
}

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
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    load_qt_translations(app);
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
        tariffs::install(window);
        reading::install(window);
        charging::install(window);
        reports::install(window);
    });
}
