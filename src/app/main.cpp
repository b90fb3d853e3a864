// Process entry: the application object with Qt's own dialogs in Chinese and a font that has
// every character the program shows, then the shell's start-up, which runs the whole program.
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/assembly.h"
#include "shell/main_window.h"
#include "shell/startup.h"

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

    // Each subsystem puts its pages into the content area and registers its handlers there.
    shell::program_startup([](shell::MainWindow& window) { app::assemble_program(window); });
}
