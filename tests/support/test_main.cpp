// Every test executable runs inside a QCoreApplication so that Qt's event loop, timers and
// networking work as they do in the agent.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
