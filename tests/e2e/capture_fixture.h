// The real Linux backend, the capture loop and a signal engine whose signals are recorded,
// wired as in the agent, the signals going into a real store in a temporary folder. The engine's clock is the real one plus a skew the test can push
// forward, so dwell times need no waiting.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "capture/capture.h"
#include "capture/qt_capture_scheduler.h"
#include "desktop_driver.h"
#include "platform/linux/linux_desktop_backend.h"
#include "signals/event_log.h"
#include "signals/signal_engine.h"
#include "storage/store.h"

// The applications the tests drive, and the ids the agent knows them by. Mousepad never hands
// its window to an instance a previous test is still closing.
inline const QString mousepadId = QStringLiteral("org.xfce.mousepad");
inline const QString qtWindowId = QStringLiteral("tarnwhistle-e2e-window");
inline DesktopDriver::App mousepad() {
    return {QStringLiteral("mousepad"), {QStringLiteral("--disable-server")}};
}
// A GTK form: a text, an entry and, one Tab further, a password field.
inline DesktopDriver::App zenityForm() {
    return {QStringLiteral("zenity"),
            {QStringLiteral("--forms"), QStringLiteral("--title"), QStringLiteral("Expense form"),
             QStringLiteral("--text"), QStringLiteral("Quarterly budget review"),
             QStringLiteral("--add-entry"), QStringLiteral("Project name"),
             QStringLiteral("--add-password"), QStringLiteral("Access code")}};
}
inline DesktopDriver::App qtWindow(const QString& title, const QString& text) {
    return {QStringLiteral(E2E_QT_WINDOW), {title, text}};
}

// The real scheduler on a clock the test can push forward, shared with the engine.
class SkewedScheduler : public QtCaptureScheduler {
public:
    TimePoint now() override { return Time::now() + skew; }
    double skew = 0;
};

class CaptureOnDesktop : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // A Capture that treats `ownPid` as the agent's own process.
    void makeCapture(qint64 ownPid = QCoreApplication::applicationPid());
    // Brings `app` to the front, then makes and starts the capture; false if `app` is not there.
    bool startWith(DesktopDriver::App& app);
    // Waits until the engine has `bundleId` in front.
    bool inFront(const QString& bundleId);
    TimePoint now() const { return scheduler_->now(); }
    void advance(double seconds) { scheduler_->skew += seconds; }

    std::vector<Signal> signalsOf(const QString& type) const;
    bool waitForSignal(const QString& type, int timeoutMs = 10000);
    bool logged(EventKind kind) const;
    static QString text(const Signal& signal, const QString& key);
    static qint64 integer(const Signal& signal, const QString& key);
    // Runs `work` on the window-poll worker and waits for it, event loop running.
    bool onPollWorker(const std::function<void()>& work, int timeoutMs = 10000);

    static LinuxDesktopBackend* backend_;
    static SkewedScheduler* scheduler_;
    DeploymentConfig config_;
    EventLog events_;
    std::unique_ptr<SignalEngine> engine_;
    std::unique_ptr<Capture> capture_;
    std::vector<Signal> recorded_;  // as emitted, also written to the store
    QTemporaryDir storeDir_;
    Store store_;
};
