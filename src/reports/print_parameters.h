#pragma once
// The two settings of receipt printing in pz.ini, and the receipt templates with their
// shipped copies.
//   [控件注册] 打印预览: "真" receipts open the preview, "假" they print at once; missing reads
//     as preview.
//   [打印设置] 发票张数: how many copies the charging and prepayment windows print.
#include <QString>
#include <QStringList>

#include "shell/run_context.h"
#include "shell/settings_keys.h"

namespace platform {
struct Connection;
}

namespace reports {

inline const shell::SettingKey kPrintPreviewKey{QStringLiteral("控件注册"),
                                                QStringLiteral("打印预览")};
inline const shell::SettingKey kCopiesKey{QStringLiteral("打印设置"), QStringLiteral("发票张数")};

// Whether receipts open the preview (anything but "假").
bool receipts_open_preview();

// What the print-parameters window shows on opening.
struct PrintParameters {
    int preview_index = 0;  // 0 "开启", 1 "关闭"
    QString copies_text;    // as the charging windows read it (receipt_copies_text)
};
PrintParameters load_print_parameters();

struct SaveOutcome {
    bool saved = false;
    QString log_failure;  // "添加日志失败！" when the log row was not written, shown first
    QString message;      // information box
    bool focus_copies = false;  // the copies box takes the focus after the message
};
// Stores the selection (index 1 = "关闭") and the copies text, writes the log row.
SaveOutcome save_print_parameters(platform::Connection& connection, int preview_index,
                                  const QString& copies_text, const shell::RunContext& context);

// The two receipt templates, by the name the window offers.
struct ReceiptTemplate {
    QString name;          // "收费发票", "预存发票"
    QString file;          // "grf/sf.grf"
    QString shipped_copy;  // "bak/sf.bak"
    QString query;         // the report's query
    QString detail_query;  // empty: no detail grid
};
inline const QString kChargeTemplateName = QStringLiteral("收费发票");
inline const QString kPrepayTemplateName = QStringLiteral("预存发票");
// Null when the name is none of the two.
const ReceiptTemplate* find_receipt_template(const QString& name);
QStringList receipt_template_names();

// The template the designer was opened on ("收费发票" or "预存发票") and the file it loaded and
// saves to; set by the print-parameters window and the designer window.
extern QString designer_template_name;
extern QString designer_template_path;

struct RestoreOutcome {
    bool restored = false;
    QString message;  // empty for a name that is no template (nothing happens)
};
// Puts the shipped copy of a template in place of the current one. The current template is
// replaced only once the copy has been written whole; without a shipped copy it stays.
RestoreOutcome restore_receipt_template(const QString& name);

}  // namespace reports
