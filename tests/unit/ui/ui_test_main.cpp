// Widget and tray tests (unit_ui, unit_app, e2e_ui) run inside a QApplication: offscreen unless
// the environment or the build (the window tests on the headless desktop: xcb) says otherwise.
#include <gtest/gtest.h>
#include <QApplication>

#ifndef UI_TEST_PLATFORM
#define UI_TEST_PLATFORM "offscreen"
#endif

int main(int argc, char** argv) {
    // Also when test discovery runs them outside CTest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", UI_TEST_PLATFORM);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
