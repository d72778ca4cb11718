// What every capture test on a real desktop shares, X11 or Wayland: the real capture loop over
// one desktop backend, and a signal engine wired as in the agent whose signals are recorded.
// The engine's clock is the real one plus a skew the test pushes forward, so dwell times need
// no waiting.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <memory>
#include <vector>

#include "capture/capture.h"
#include "capture/qt_capture_scheduler.h"
#include "desktop_driver.h"
#include "signals/event_log.h"
#include "signals/signal_engine.h"

inline const QString qtWindowId = QStringLiteral("tarnwhistle-e2e-window");  // its desktop file

class SkewedScheduler : public QtCaptureScheduler {
  public:
    TimePoint now() override { return Time::now() + skew; }
    double skew = 0;
};

class RecordingCapture : public ::testing::Test {
  protected:
    // One scheduler for the suite: deleting it waits for its workers.
    static void SetUpTestSuite() { scheduler_ = new SkewedScheduler; }
    static void TearDownTestSuite() {
        delete scheduler_;
        scheduler_ = nullptr;
    }
    void SetUp() override {
        scheduler_->skew = 0;
        engine_.configProvider = [this] { return config_; };
        engine_.sink = [this](const Signal& signal) { recorded_.push_back(signal); };
        // Classification is not what these tests look at.
        engine_.classify = [](const QString&, const CategoryList&, const std::optional<QString>&,
                              bool, SignalEngine::ClassifyDone done) { done(std::nullopt); };
        engine_.events = &events_;
    }
    void TearDown() override {
        if (capture_) capture_->stop("quit");
        capture_.reset();
        // Late worker results for this Capture are dropped; let them drain before the engine goes.
        onPollWorker([] {});
    }

    // The capture loop over `backend`, not started.
    void makeCapture(DesktopBackend backend) {
        capture_ = std::make_unique<Capture>(
            engine_, backend, *scheduler_, [this] { return config_; },
            QCoreApplication::applicationPid());
    }
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 15000) {
        return DesktopDriver::waitUntil(condition, timeoutMs);
    }
    static void spin(int ms) { DesktopDriver::spin(ms); }
    void advance(double seconds) { scheduler_->skew += seconds; }
    bool inFront(const QString& bundleId, int timeoutMs = 15000) {
        return waitUntil([&] { return engine_.focusApp && engine_.focusApp->bundle == bundleId; },
                         timeoutMs);
    }
    bool titled(const QString& title) {
        return waitUntil(
            [&] { return engine_.lastObservation && engine_.lastObservation->title == title; });
    }
    bool presenceIs(Presence presence, int timeoutMs = 15000) {
        return waitUntil([&] { return engine_.presence == presence; }, timeoutMs);
    }

    std::vector<Signal> signalsOf(const QString& type) const {
        std::vector<Signal> found;
        for (const Signal& s : recorded_)
            if (s.type == type) found.push_back(s);
        return found;
    }
    // Waits until `count` signals of `type` were made.
    bool made(const QString& type, size_t count = 1) {
        return waitUntil([&] { return signalsOf(type).size() >= count; });
    }
    static QString text(const Signal& s, const QString& key) {
        const auto it = s.fields.find(key);
        return it != s.fields.end() && it->second.string() ? *it->second.string() : QString();
    }
    static qint64 integer(const Signal& s, const QString& key) {
        const auto it = s.fields.find(key);
        return it != s.fields.end() && it->second.integer() ? *it->second.integer() : -1;
    }
    // Runs `work` on the window-poll worker and waits for it, event loop running.
    bool onPollWorker(const std::function<void()>& work,
                      CaptureScheduler::Queue queue = CaptureScheduler::Queue::poll) {
        auto done = std::make_shared<std::atomic<bool>>(false);
        scheduler_->post(queue, [work, done] {
            work();
            *done = true;
        });
        return waitUntil([done] { return done->load(); }, 30000);
    }

    inline static SkewedScheduler* scheduler_ = nullptr;
    DeploymentConfig config_;
    EventLog events_;
    SignalEngine engine_{[] { return scheduler_->now(); }};
    std::unique_ptr<Capture> capture_;
    std::vector<Signal> recorded_;  // as emitted
};
