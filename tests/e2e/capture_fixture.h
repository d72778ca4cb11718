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
