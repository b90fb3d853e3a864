#include "reading/property_fee_action.h"

#include <memory>

#include "lists/progress_window.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "reading/monthly_batch.h"
#include "reading/monthly_reading_page.h"
#include "reading/property_fee.h"
#include "reading/reading_install.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "store/main_database.h"

namespace reading {

void on_main_nav_generate_property_fee_click(shell::MainWindow* window) {
    if (!shell::require_permission(QStringLiteral("手动抄表"))) return;
    if (window) window->select_content_page(shell::kPageWelcome);
    platform::inform(
        QStringLiteral("该功能只能生成计量管理中收费项目为【物业】且计量状态为【正常】的表数据!\r\n"
                       "每月只能生成一次,多次生成无效!"));
    {
        std::unique_ptr<lists::ProgressScope> progress;
        GenerationProgress hooks;
        hooks.start = [&progress, window](int steps) {
            progress = std::make_unique<lists::ProgressScope>(window, steps);
        };
        hooks.step = [&progress] {
            if (progress) progress->step();
        };
        generate_property_fee_readings(store::main_connection(), platform::today(), hooks);
    }
    if (window) window->select_content_page(shell::kPageMonthlyReadings);
    if (MonthlyReadingPage* page = monthly_reading_page())
        fill_monthly_reading_list(window, page->monthly_list(), monthly_reading_statement());
}

}  // namespace reading
