#include "reading/reading_install.h"

#include <QPointer>
#include <QPushButton>
#include <QTableView>

#include "lists/list_pages.h"
#include "platform/dialogs.h"
#include "reading/fixed_readings_window.h"
#include "reading/meter_change_page.h"
#include "reading/meter_readers_window.h"
#include "reading/monthly_reading_page.h"
#include "reading/property_fee_action.h"
#include "reading/reading_entry_window.h"
#include "shell/action_names.h"
#include "shell/main_window.h"
#include "ui_monthly_reading_page.h"

namespace reading {

namespace {

QPointer<MonthlyReadingPage> g_monthly;
QPointer<MeterChangePage> g_changes;

}  // namespace

MonthlyReadingPage* monthly_reading_page() { return g_monthly.data(); }
MeterChangePage* meter_change_page() { return g_changes.data(); }

void show_monthly_readings() {
    shell::MainWindow* window = shell::main_window();
    MonthlyReadingPage* page = g_monthly.data();
    if (!window || !page) return;
    window->select_content_page(shell::kPageMonthlyReadings);
    fill_monthly_reading_list(window, page->monthly_list(), monthly_reading_statement());
    page->form()->月抄表1->setFocus();
}

void install(shell::MainWindow& window) {
    auto* monthly = new MonthlyReadingPage;
    window.set_content_page_widget(shell::kPageMonthlyReadings, monthly);
    lists::wire_list_page(shell::kPageMonthlyReadings, monthly);
    g_monthly = monthly;

    auto* changes = new MeterChangePage;
    window.set_content_page_widget(shell::kPageMeterChanges, changes);
    lists::wire_list_page(shell::kPageMeterChanges, changes);
    g_changes = changes;

    shell::MainWindow* w = &window;
    window.register_action(shell::action::kMainNavMonthlyReading,
                           [w, monthly] { on_main_nav_monthly_reading_click(*w, *monthly); });
    // F5's second step: the reading window in add mode, without an owner.
    window.register_action(shell::action::kReadingEntryWindow, [monthly] {
        ReadingEntryWindow entry(monthly->monthly_list());
        platform::window_open_modal(&entry);
    });
    window.register_action(shell::action::kMainNavFixedReading,
                           [w] { on_main_nav_fixed_reading_click(w); });
    window.register_action(shell::action::kMainNavMeterChange,
                           [w, changes] { on_main_nav_meter_change_click(*w, *changes); });
    window.register_action(shell::action::kMainNavGeneratePropertyFee,
                           [w] { on_main_nav_generate_property_fee_click(w); });
    window.register_action(shell::action::kMenuMeterReaders,
                           [w] { on_menu_meter_readers(w); });
}

}  // namespace reading
