#include "platform/chinese_ui.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <cstring>

namespace platform {

namespace {

struct Text {
    const char* context;
    const char* source;
    const char16_t* chinese;
};

// Texts of Qt's windows that Debian's qtbase_zh_CN.qm does not carry.
constexpr Text kSupplement[] = {
    // The file dialog's type column and its sidebar.
    {"QAbstractFileIconProvider", "Folder", u"文件夹"},
    {"QAbstractFileIconProvider", "File Folder", u"文件夹"},
    {"QAbstractFileIconProvider", "File", u"文件"},
    {"QAbstractFileIconProvider", "Drive", u"驱动器"},
    {"QAbstractFileIconProvider", "Shortcut", u"快捷方式"},
    {"QAbstractFileIconProvider", "Alias", u"快捷方式"},
    {"QAbstractFileIconProvider", "Unknown", u"未知"},
    // The print dialog's options.
    {"QPrintSettingsOutput", "Duplex Printing", u"双面打印"},
    {"QPrintSettingsOutput", "None", u"无"},
    {"QPrintSettingsOutput", "Long side", u"长边"},
    {"QPrintSettingsOutput", "Short side", u"短边"},
    {"QPrintSettingsOutput", "All Pages", u"所有页"},
    {"QPrintSettingsOutput", "Odd Pages", u"奇数页"},
    {"QPrintSettingsOutput", "Even Pages", u"偶数页"},
    {"QPrintDialog", "Automatic", u"自动"},
    {"QPrintDialog", "Portrait", u"纵向"},
    {"QPrintDialog", "Landscape", u"横向"},
    {"QPrintDialog", "Print current page", u"打印当前页"},
    {"QPrintDialog", "Print selection", u"打印选中部分"},
    {"QPrintDialog", "Print range", u"打印范围"},
    {"QPrintDialog", "Output Settings", u"输出设置"},
    {"QPrintDialog", "Print all", u"全部打印"},
    {"QPrintDialog", "File exists", u"文件已存在"},
    {"QPrintPreviewDialog", "Close", u"关闭"},
    {"QPageSetupDialog", "Page Setup", u"页面设置"},
    {"QCupsJobWidget", "Job Options", u"作业选项"},
    {"QCupsJobWidget", "Page Set:", u"页面组："},
};

}  // namespace

QString SupplementaryTranslator::translate(const char* context, const char* source_text,
                                           const char* /*disambiguation*/, int /*n*/) const {
    if (!context || !source_text) return {};
    for (const Text& text : kSupplement)
        if (std::strcmp(text.context, context) == 0 && std::strcmp(text.source, source_text) == 0)
            return QString::fromUtf16(text.chinese);
    return {};  // Qt's own translation, or the source text
}

ChineseUi::ChineseUi() : previous_locale_(QLocale()) {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    qt_loaded_ = qt_.load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (qt_loaded_) QCoreApplication::installTranslator(&qt_);
    // Installed last, so asked first: it answers only the texts Qt's file lacks.
    QCoreApplication::installTranslator(&ours_);
}

ChineseUi::~ChineseUi() {
    QCoreApplication::removeTranslator(&ours_);
    if (qt_loaded_) QCoreApplication::removeTranslator(&qt_);
    QLocale::setDefault(previous_locale_);
}

}  // namespace platform
