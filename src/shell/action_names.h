#pragma once
// The names under which subsystems register their handlers with the main window
// (MainWindow::register_action): each navigation entry, menu entry and hot-key step by its
// handler name. A name the frame does not know fails loudly, so a typo cannot leave an entry
// silently disabled; these constants keep callers and the frame's tables on one spelling.
namespace shell::action {

inline constexpr char kMainNavHouseholdList[] = "on_main_nav_household_list_click";
inline constexpr char kMainNavHouseholdQuery[] = "on_main_nav_household_query_click";
inline constexpr char kMainNavHouseholdMeters[] = "on_main_nav_household_meters_click";
inline constexpr char kMainNavMonthlyReading[] = "on_main_nav_monthly_reading_click";
inline constexpr char kMainNavReadingQuery[] = "on_main_nav_reading_query_click";
inline constexpr char kMainNavHandheld[] = "on_main_nav_handheld_click";
inline constexpr char kMainNavFixedReading[] = "on_main_nav_fixed_reading_click";
inline constexpr char kMainNavMeterChange[] = "on_main_nav_meter_change_click";
inline constexpr char kMainNavGeneratePropertyFee[] = "on_main_nav_generate_property_fee_click";
inline constexpr char kMainNavCounterCharging[] = "on_main_nav_counter_charging_click";
inline constexpr char kMainNavCardCharging[] = "on_main_nav_card_charging_click";
inline constexpr char kMainNavBatchCharging[] = "on_main_nav_batch_charging_click";
inline constexpr char kMainNavChargeQuery[] = "on_main_nav_charge_query_click";
inline constexpr char kMainNavDailyChargeReport[] = "on_main_nav_daily_charge_report_click";
inline constexpr char kMainNavMonthlyChargeReport[] = "on_main_nav_monthly_charge_report_click";
inline constexpr char kMainNavAnnualChargeLedger[] = "on_main_nav_annual_charge_ledger_click";
inline constexpr char kMainNavAnnualChargeReport[] = "on_main_nav_annual_charge_report_click";
inline constexpr char kMainNavMonthlyReadingReport[] = "on_main_nav_monthly_reading_report_click";
inline constexpr char kMainNavMonthlyHouseholdReport[] = "on_main_nav_monthly_household_report_click";
inline constexpr char kMainNavAnnualHouseholdReport[] = "on_main_nav_annual_household_report_click";
inline constexpr char kMainNavChangePassword[] = "on_main_nav_change_password_click";
inline constexpr char kMainNavHelp[] = "on_main_nav_help_click";
inline constexpr char kMainNavExit[] = "on_main_nav_exit_click";
inline constexpr char kMainNavAddPrepayment[] = "on_main_nav_add_prepayment_click";
inline constexpr char kMainNavPrepayQuery[] = "on_main_nav_prepay_query_click";
inline constexpr char kMainNavPrepayDeduction[] = "on_main_nav_prepay_deduction_click";
inline constexpr char kMainNavDeductionQuery[] = "on_main_nav_deduction_query_click";
inline constexpr char kMenuSystemParameters[] = "on_menu_system_parameters";
inline constexpr char kMainMenuPrintParameters[] = "on_main_menu_print_parameters_click";
inline constexpr char kMenuFeeItems[] = "on_menu_fee_items";
inline constexpr char kMenuPriceCategories[] = "on_menu_price_categories";
inline constexpr char kMenuStreets[] = "on_menu_streets_click";
inline constexpr char kMenuMeterReaders[] = "on_menu_meter_readers";
inline constexpr char kMenuOperatorSettings[] = "on_menu_operator_settings";
inline constexpr char kMenuOperatorPermissions[] = "on_menu_operator_permissions";
inline constexpr char kMenuSurcharges[] = "on_menu_surcharges";
inline constexpr char kMenuBanks[] = "on_menu_banks";
inline constexpr char kMenuMonthlyBaseAdjust[] = "on_menu_monthly_base_adjust";
inline constexpr char kMainMenuReductions[] = "on_main_menu_reductions_click";
inline constexpr char kMainMenuLateFee[] = "on_main_menu_late_fee_click";
inline constexpr char kMenuTieredPrices[] = "on_menu_tiered_prices";
inline constexpr char kMenuSystemInitialise[] = "on_menu_system_initialise";
inline constexpr char kMenuBackupSettings[] = "on_menu_backup_settings";
inline constexpr char kMenuBackupDatabase[] = "on_menu_backup_database";
inline constexpr char kMenuRestoreDatabase[] = "on_menu_restore_database";
inline constexpr char kMenuLogManagement[] = "on_menu_log_management";
inline constexpr char kMenuExit[] = "on_menu_exit";
inline constexpr char kMenuInvoiceManagement[] = "on_menu_invoice_management";
inline constexpr char kMainMenuPrintCards[] = "on_main_menu_print_cards_click";
inline constexpr char kMainMenuReprintReceipt[] = "on_main_menu_reprint_receipt_click";
inline constexpr char kMenuUiSettings[] = "on_menu_ui_settings";
inline constexpr char kMenuCalculator[] = "on_menu_calculator";
inline constexpr char kMenuNotepad[] = "on_menu_notepad";
inline constexpr char kMenuHelp[] = "on_menu_help";
inline constexpr char kMenuNavigationHint[] = "on_menu_navigation_hint";
inline constexpr char kMenuAgreementText[] = "on_menu_agreement_text";
inline constexpr char kMainChargePopupEdit[] = "on_main_charge_popup_edit_click";
inline constexpr char kMainChargePopupVoid[] = "on_main_charge_popup_void_click";
inline constexpr char kMainChargePopupExport[] = "on_main_charge_popup_export_click";
inline constexpr char kMainChargePopupPrint[] = "on_main_charge_popup_print_click";
inline constexpr char kMainChargePopupReprint[] = "on_main_charge_popup_reprint_click";
inline constexpr char kMainPrepayPopupEdit[] = "on_main_prepay_popup_edit_click";
inline constexpr char kMainPrepayPopupVoid[] = "on_main_prepay_popup_void_click";
inline constexpr char kMainPrepayPopupReprint[] = "on_main_prepay_popup_reprint_click";
inline constexpr char kMainHouseholdAdd[] = "on_main_household_add_click";
inline constexpr char kHouseholdQueryWindow[] = "HouseholdQueryWindow";
inline constexpr char kReadingEntryWindow[] = "ReadingEntryWindow";
inline constexpr char kMainMeterAdd[] = "on_main_meter_add_click";

}  // namespace shell::action
