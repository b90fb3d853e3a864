#include "reports/print_parameters.h"

#include <array>

#include "platform/convert.h"
#include "platform/files.h"
#include "platform/money.h"
#include "shell/operation_log.h"

namespace reports {

QString designer_template_name;
QString designer_template_path;

namespace {

const std::array<ReceiptTemplate, 2>& templates() {
    static const std::array<ReceiptTemplate, 2> list = {{
        {kChargeTemplateName, QStringLiteral("grf/sf.grf"), QStringLiteral("bak/sf.bak"),
         QStringLiteral("select * from 用户信息"), QStringLiteral("select * from 电表信息")},
        {kPrepayTemplateName, QStringLiteral("grf/yc.grf"), QStringLiteral("bak/yc.bak"),
         QStringLiteral("select * from 预存信息"), QString()},
    }};
    return list;
}

}  // namespace

bool receipts_open_preview() {
    return kPrintPreviewKey.read(shell::settings::kTrue) != shell::settings::kFalse;
}

PrintParameters load_print_parameters() {
    PrintParameters p;
    p.preview_index = kPrintPreviewKey.read() == shell::settings::kFalse ? 1 : 0;
    p.copies_text = shell::settings::receipt_copies_text();
    return p;
}

SaveOutcome save_print_parameters(platform::Connection& connection, int preview_index,
                                  const QString& copies_text, const shell::RunContext& context) {
    SaveOutcome out;
    const double copies = platform::to_number(copies_text);
    if (!platform::money_positive(copies)) {
        out.message = QStringLiteral("打印张数不能小于0!");
        out.focus_copies = true;
        return out;
    }
    kPrintPreviewKey.write(preview_index == 1 ? shell::settings::kFalse : shell::settings::kTrue);
    kCopiesKey.write(platform::to_text(copies));
    // The settings are stored whatever becomes of the log row; a missing row is told first.
    if (!shell::write_operation_log(connection, context, QStringLiteral("基本设置"),
                                    QStringLiteral("打印参数设置"),
                                    QStringLiteral("修改打印参数设置")))
        out.log_failure = QStringLiteral("添加日志失败！");
    out.saved = true;
    out.message = QStringLiteral("保存成功!");
    return out;
}

const ReceiptTemplate* find_receipt_template(const QString& name) {
    for (const ReceiptTemplate& t : templates())
        if (t.name == name) return &t;
    return nullptr;
}

QStringList receipt_template_names() {
    QStringList names;
    for (const ReceiptTemplate& t : templates()) names << t.name;
    return names;
}

RestoreOutcome restore_receipt_template(const QString& name) {
    RestoreOutcome out;
    const ReceiptTemplate* t = find_receipt_template(name);
    if (!t) return out;
    // file_copy writes beside the target and renames it over, so the current template is
    // replaced whole or not at all; a missing shipped copy leaves it in place.
    const QString shipped = platform::app_path(t->shipped_copy);
    platform::make_directory(platform::path_directory_part(platform::app_path(t->file)));
    out.restored = platform::file_exists(shipped) &&
                   platform::file_copy(shipped, platform::app_path(t->file), true);
    out.message = out.restored ? QStringLiteral("恢复") + name + QStringLiteral("设计模板成功!")
                               : QStringLiteral("恢复") + name + QStringLiteral("设计模板失败!");
    if (!platform::file_exists(shipped))
        out.message +=
            QStringLiteral("\n原始模板 %1 不存在，当前模板未改动。").arg(t->shipped_copy);
    return out;
}

}  // namespace reports
