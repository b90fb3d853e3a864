// Shared entry of every test program: a headless application object, then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>

#include "harness/scripted_ui.h"
#include "platform/excel_install.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // A box, modal window or program end that a test did not script fails that test instead
    // of waiting for a user who is not there.
    UiScript unscripted;
    platform::report_database_errors_in_boxes();
    // Workbook statements run through the program's bridge, as in the program; a test may put
    // a fake of its own in place.
    platform::install_excel_bridge();
    return RUN_ALL_TESTS();
}
