#include "households/household_import.h"

#include <optional>

#include "households/list_totals.h"
#include "households/wait_window.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "shell/permission_prompts.h"
#include "shell/permissions.h"
#include "store/main_database.h"

namespace households {

namespace {

const QString kInfoCaption = QStringLiteral("信息提示");

}  // namespace

// ---- the frame --------------------------------------------------------------------------------

bool load_sheet_into_scratch_table(const QString& permission_item, const QString& prompt,
                                   QWidget* owner) {
    // Only an operator holding the import's permission item.
    if (!shell::require_permission(permission_item)) return false;
    // Both workbook formats are read; the content decides which one a file is.
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Open;
    request.place = platform::FilePlace::Exchange;
    request.filter = QStringLiteral("Excel 工作簿(*.xls;*.xlsx)|*.xls;*.xlsx|所有文件(*.*)|*.*");
    const QString file = platform::common_dialog_show(request, owner);
    if (file.isEmpty()) return false;
    // The sheet to read, Sheet1 proposed.
    QString sheet;
    if (!platform::input_box(prompt, kInfoCaption, QStringLiteral("Sheet1"), &sheet, owner) ||
        sheet.isEmpty()) {
        platform::message_box(QStringLiteral("您没有输入表名！"), kInfoCaption);
        return false;
    }
    platform::Connection& connection = store::main_connection();
    bool read = false;
    {
        // A large workbook takes seconds to read: the wait window stands meanwhile.
        WaitScope wait(owner);
        read = read_sheet_into_scratch_table(connection, file, sheet);
    }
    if (!read) {
        platform::message_box(
            QStringLiteral("导入数据库失败！\r\n") + platform::db_last_error(connection),
            kInfoCaption);
        return false;
    }
    return true;
}

// ---- the row loops with the wait window ----------------------------------------------------

namespace {

// The wait window over `owner` from the first row on, repainted as rows go in.
class RowWait {
public:
    explicit RowWait(QWidget* owner) : owner_(owner) {}
    ImportWait hooks() {
        return {[this] { scope_.emplace(owner_); },
                [this] {
                    if (scope_) scope_->keep_painted();
                }};
    }

private:
    QWidget* owner_;
    std::optional<WaitScope> scope_;
};

}  // namespace

ImportReport import_households_from_scratch(QWidget* owner) {
    RowWait wait(owner);
    return import_household_rows(store::main_connection(), wait.hooks());
}

ImportReport modify_households_from_scratch(QWidget* owner) {
    RowWait wait(owner);
    return modify_household_rows(store::main_connection(), wait.hooks());
}

ImportReport sort_meters_from_scratch(QWidget* owner) {
    RowWait wait(owner);
    return sort_meter_rows(store::main_connection(), wait.hooks());
}

// ---- the buttons ------------------------------------------------------------------------------

namespace {

// What the household imports add under their message: why the import stopped, on lines of its
// own (the rows a card number refuses), when it says.
QString why_stopped(const ImportReport& report) {
    return report.error.isEmpty() ? QString() : QStringLiteral("\r\n") + report.error;
}

}  // namespace

void on_main_household_import_click(QWidget* owner, const ShowHouseholds& show) {
    if (!load_sheet_into_scratch_table(QStringLiteral("批量添加"), kHouseholdSheetPrompt, owner))
        return;
    const ImportReport report = import_households_from_scratch(owner);
    if (!report.ok) {
        platform::message_box(QStringLiteral("批量添加出错,请检查模版!") + why_stopped(report));
        return;
    }
    if (show) show(report.numbers);
    platform::message_box(
        QStringLiteral("导入数据库成功！") + skipped_totals_text(report.skipped_totals),
        kInfoCaption);
}

void on_main_household_batch_modify_import_click(QWidget* owner, const ShowHouseholds& show) {
    if (!load_sheet_into_scratch_table(QStringLiteral("批量修改"), kHouseholdSheetPrompt, owner))
        return;
    const ImportReport report = modify_households_from_scratch(owner);
    if (!report.ok) {
        platform::message_box(QStringLiteral("批量修改出错,请检模版!") + why_stopped(report));
        return;
    }
    if (show) show(report.numbers);
    platform::message_box(
        QStringLiteral("导入数据库成功！") + skipped_totals_text(report.skipped_totals),
        kInfoCaption);
}

void on_main_meter_batch_sort_import_click(QWidget* owner) {
    if (!load_sheet_into_scratch_table(QStringLiteral("批量修改"), kMeterOrderSheetPrompt, owner))
        return;
    const ImportReport report = sort_meters_from_scratch(owner);
    if (!report.ok) {
        platform::message_box(QStringLiteral("批量修改出错,请检模版!") + report.error);
        return;
    }
    platform::message_box(
        QStringLiteral("导入数据库成功,请刷新显示！") + skipped_totals_text(report.skipped_totals),
        kInfoCaption);
}

}  // namespace households
