// A display that goes away under a running capture, on an X server of the test's own, and the
// process's protection of what it holds in memory.
#include <sys/prctl.h>
#include <ctime>

#include "capture_fixture.h"

namespace {
// An X server of our own on a free display (or on `display` when given).
std::unique_ptr<QProcess> startServer(QString* display) {
    auto server = std::make_unique<QProcess>();
    QStringList arguments{"-screen",         "0",          "640x480x24",
                          "-nolisten",       "tcp",        "+extension",
                          "XInputExtension", "+extension", "MIT-SCREEN-SAVER"};
    arguments =
        (display->isEmpty() ? QStringList{"-displayfd", "1"} : QStringList{*display}) + arguments;
    server->start("Xvfb", arguments);
    if (!server->waitForStarted(10000)) return nullptr;
    if (display->isEmpty()) {
        if (!DesktopDriver::waitUntil([&] { return server->canReadLine(); })) return nullptr;
        *display = ":" + server->readLine().trimmed();
    }
    const QStringList xprop{"-display", *display, "-root", "-len", "1"};
    const bool up =
        DesktopDriver::waitUntil([&] { return !DesktopDriver::run("xprop", xprop).isEmpty(); });
    return up ? std::move(server) : nullptr;
}
}  // namespace

TEST_F(CaptureOnDesktop, LosingTheDisplayCostsNoCpuInventsNoActivityAndIsRecovered) {
    // Window text and pixels pass through the agent: a core file would hold them.
    EXPECT_EQ(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0) << "the process may leave a core file";
    QString display;
    auto server = startServer(&display);
    ASSERT_TRUE(server) << "no second X server";
    LinuxDesktopBackend lonely(display.toLatin1());
    ASSERT_TRUE(lonely.ok());
    RecordingCapture::makeCapture(lonely);
    // The capture goes before the backend it watches, whatever ends the test.
    const auto release = qScopeGuard([&] { RecordingCapture::TearDown(); });
    capture_->start();
    ASSERT_TRUE(capture_->inputMonitorInstalled());
    ASSERT_TRUE(lonely.secondsSinceLastInput().has_value());

    // What the loss leaves behind, taken when it is reported (after the capture has heard of
    // it): another desktop may take the freed display number and be dialled soon after.
    // Whether idle time is known, an application in front, and presence.
    std::optional<std::tuple<bool, bool, Presence>> atLoss;
    lonely.frontWatch.lost = [&, captureHears = lonely.frontWatch.lost] {
        captureHears();
        atLoss = {lonely.secondsSinceLastInput().has_value(), engine_.focusApp.has_value(),
                  engine_.presence};
    };
    server->terminate();
    // The dead connection's socket stays readable: watched, it would take a whole core.
    const std::clock_t before = std::clock();  // of all the process's threads
    ASSERT_TRUE(server->waitForFinished(10000));
    spin(2000);
    EXPECT_LT(double(std::clock() - before) / CLOCKS_PER_SEC, 0.5);
    EXPECT_EQ(atLoss, std::make_tuple(false, false, Presence::locked));

    // The same display comes back: found again, and presence resumes.
    server = startServer(&display);
    ASSERT_TRUE(server);
    // Tries back off up to 16 s apart by the time a slow server is up again.
    ASSERT_TRUE(waitUntil([&] { return lonely.ok(); }, 40000));
    ASSERT_TRUE(presenceIs(Presence::active));
    EXPECT_TRUE(lonely.secondsSinceLastInput().has_value());
}
