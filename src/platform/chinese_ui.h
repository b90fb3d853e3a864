#pragma once
// Qt's own windows (file dialogs, print preview and print dialog, boxes, edit menus) in Chinese,
// whatever the machine's own language: the default locale becomes zh_CN, Qt's Chinese
// translation from the system is loaded, and a small translation of ours supplies the texts that
// translation lacks (the file dialog's "Folder", the print dialog's duplex choices, ...).
//
// What Qt formats with the system locale rather than the default one (the file dialog's dates
// and sizes) is handled where those dialogs are made (platform/dialogs.h).
#include <QLocale>
#include <QString>
#include <QTranslator>

namespace platform {

// Our Chinese texts for Qt's own windows that the installed translation lacks, looked up by
// Qt's context and source text.
class SupplementaryTranslator final : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* source_text,
                      const char* disambiguation = nullptr, int n = -1) const override;
    bool isEmpty() const override { return false; }
};

// Installs the Chinese of Qt's windows for as long as it lives; the program keeps one for its
// whole run. Leaving the scope removes both translations and restores the default locale.
class ChineseUi {
public:
    ChineseUi();
    ~ChineseUi();
    ChineseUi(const ChineseUi&) = delete;
    ChineseUi& operator=(const ChineseUi&) = delete;

    // False when the system has no Qt translation file (our own texts are installed all the same).
    bool qt_translation_loaded() const { return qt_loaded_; }

private:
    QLocale previous_locale_;
    QTranslator qt_;
    SupplementaryTranslator ours_;
    bool qt_loaded_ = false;
};

}  // namespace platform
