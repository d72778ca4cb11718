// A display that goes away under a running capture, on an X server of the test's own, and the
// process's protection of what it holds in memory.
#include <QProcess>
#include <QScopeGuard>
#include <ctime>
#include <sys/prctl.h>

#include "capture_fixture.h"

namespace {
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// An X server of our own on a free display (or on `display` when given).
std::unique_ptr<QProcess> startServer(QString* display) {
    auto server = std::make_unique<QProcess>();
    QStringList arguments{QStringLiteral("-screen"), QStringLiteral("0"),
                          QStringLiteral("640x480x24"), QStringLiteral("-nolisten"),
                          QStringLiteral("tcp"), QStringLiteral("+extension"),
                          QStringLiteral("XInputExtension"), QStringLiteral("+extension"),
                          QStringLiteral("MIT-SCREEN-SAVER")};
    if (display->isEmpty()) arguments = QStringList{QStringLiteral("-displayfd"), QStringLiteral("1")} + arguments;
    else arguments.prepend(*display);
    server->setProcessChannelMode(QProcess::SeparateChannels);
    server->start(QStringLiteral("Xvfb"), arguments);
    if (!server->waitForStarted(10000)) return nullptr;
    if (display->isEmpty()) {
        if (!DesktopDriver::waitUntil([&] { return server->canReadLine(); })) return nullptr;
        *display = QLatin1Char(':') + QString::fromLatin1(server->readLine().trimmed());
    }
    const QString name = *display;
    if (!DesktopDriver::waitUntil([&] {
            return !DesktopDriver::run(QStringLiteral("xprop"),
                                       {QStringLiteral("-display"), name, QStringLiteral("-root"),
                                        QStringLiteral("-len"), QStringLiteral("1")})
                        .isEmpty();
        }))
        return nullptr;
    return server;
}
}  // namespace

TEST_F(CaptureOnDesktop, LosingTheDisplayCostsNoCpuInventsNoActivityAndIsRecovered) {
    QString display;
    auto server = startServer(&display);
    ASSERT_TRUE(server) << "no second X server";
    LinuxDesktopBackend lonely(display.toLatin1());
    ASSERT_TRUE(lonely.ok());
    capture_ = std::make_unique<Capture>(*engine_, lonely, *scheduler_, [this] { return config_; },
                                         QCoreApplication::applicationPid());
    // The capture goes before the backend it watches, whatever ends the test.
    const auto release = qScopeGuard([&] {
        if (capture_) capture_->stop(QStringLiteral("quit"));
        capture_.reset();
        onPollWorker([] {});
    });
    capture_->start();
    ASSERT_TRUE(capture_->inputMonitorInstalled());
    ASSERT_TRUE(lonely.secondsSinceLastInput().has_value());

    // What the loss leaves behind, taken when it is reported (after the capture has heard of
    // it): another desktop may take the freed display number and be dialled soon after.
    struct AtLoss {
        bool reported = false, idleKnown = true, focused = true;
        Presence presence = Presence::active;
    } atLoss;
    lonely.frontWatch.lost = [&, captureHears = lonely.frontWatch.lost] {
        captureHears();
        atLoss = {true, lonely.secondsSinceLastInput().has_value(),
                  engine_->focusApp.has_value(), engine_->presence};
    };
    server->terminate();
    // The dead connection's socket stays readable: watched, it would take a whole core.
    const double before = cpuSeconds();
    ASSERT_TRUE(server->waitForFinished(10000));
    DesktopDriver::spin(2000);
    EXPECT_LT(cpuSeconds() - before, 0.5);
    ASSERT_TRUE(atLoss.reported);
    EXPECT_FALSE(atLoss.idleKnown);
    EXPECT_EQ(atLoss.presence, Presence::locked);
    EXPECT_FALSE(atLoss.focused);

    // The same display comes back: found again, and presence resumes.
    server = startServer(&display);
    ASSERT_TRUE(server);
    // Tries back off up to 16 s apart by the time a slow server is up again.
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return lonely.ok(); }, 40000));
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return engine_->presence == Presence::active; }));
    EXPECT_TRUE(lonely.secondsSinceLastInput().has_value());
}

TEST_F(CaptureOnDesktop, TheProcessLeavesNoCoreFile) {
    // Window text and pixels pass through the agent: a core file would hold them.
    EXPECT_EQ(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);
}
