// Widget and tray tests (unit_ui, unit_app, e2e_ui) run inside a QApplication, offscreen unless
// the environment says otherwise (CTest gives e2e_ui the headless desktop's xcb).
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
    // Also when test discovery runs them outside CTest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
