// What every Wayland capture test shares: the real capture loop and engine over one
// compositor's backend, recording the signals made. The engine's clock is the real one plus a
// skew the test pushes forward, so dwell times need no waiting.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <memory>

#include "capture/capture.h"
#include "desktop_driver.h"
#include "capture/qt_capture_scheduler.h"
#include "signals/event_log.h"
#include "signals/signal_engine.h"

namespace e2e {

inline const QString qtWindowId = QStringLiteral("tarnwhistle-e2e-window");  // its desktop file
inline const QString canary = QStringLiteral("canary-51c0de-never-leaves-the-clipboard");

inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 15000) {
    return DesktopDriver::waitUntil(condition, timeoutMs);
}

class SkewedScheduler : public QtCaptureScheduler {
  public:
    TimePoint now() override { return Time::now() + skew; }
    double skew = 0;
};

class WaylandCapture : public ::testing::Test {
  protected:
    // The capture loop over `backend`, not yet started.
    void makeCapture(DesktopBackend backend) {
        config_.idleThresholdSeconds = 3600;
        engine_.configProvider = [this] { return config_; };
        engine_.sink = [this](const Signal& signal) { recorded_.push_back(signal); };
        engine_.classify = [](const QString&, const CategoryList&, const std::optional<QString>&,
                              bool, SignalEngine::ClassifyDone done) { done(std::nullopt); };
        engine_.events = &events_;
        capture_ = std::make_unique<Capture>(
            engine_, std::move(backend), scheduler_, [this] { return config_; },
            QCoreApplication::applicationPid());
    }
    void TearDown() override {
        if (capture_) capture_->stop(QStringLiteral("quit"));
        capture_.reset();
        // Nothing the agent made, up to its last flush, carries the clipboard's contents.
        for (const Signal& s : recorded_)
            EXPECT_FALSE(s.jsonString().contains(canary)) << s.type.toStdString();
        for (const LocalEvent& e : events_.events()) EXPECT_FALSE(e.detail.contains(canary));
        for (auto& app : apps_) {
            app->kill();
            app->waitForFinished(5000);
        }
    }
    QProcess& launch(const QString& program, const QStringList& arguments) {
        apps_.push_back(std::make_unique<QProcess>());
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        env.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("wayland"));
        apps_.back()->setProcessEnvironment(env);
        apps_.back()->start(program, arguments);
        return *apps_.back();
    }
    std::vector<Signal> signalsOf(const QString& type) const {
        std::vector<Signal> found;
        for (const Signal& s : recorded_)
            if (s.type == type) found.push_back(s);
        return found;
    }
    static QString text(const Signal& s, const char* key) {
        const auto it = s.fields.find(QLatin1String(key));
        return it != s.fields.end() && it->second.string() ? *it->second.string() : QString();
    }

    // After `first`, then `second` for 20 s (skewed), then `first` again in front: each window
    // left has its focus period, the switch back its dwell.
    void checkFocusPeriods(const QString& first, const QString& second) {
        const auto focuses = signalsOf(QStringLiteral("app.focus"));
        ASSERT_EQ(focuses.size(), 2u);
        EXPECT_EQ(text(focuses[0], "bundle_id"), first);
        EXPECT_EQ(text(focuses[1], "bundle_id"), second);
        const auto switches = signalsOf(QStringLiteral("app.switch"));
        ASSERT_EQ(switches.size(), 2u);
        EXPECT_EQ(text(switches[1], "from_bundle_id"), second);
        EXPECT_EQ(text(switches[1], "to_bundle_id"), first);
        // The time in the window left: the skew plus the moment the switch took.
        const JSONValue dwell = switches[1].fields.at(QStringLiteral("dwell_s"));
        ASSERT_TRUE(dwell.integer());
        EXPECT_GE(*dwell.integer(), 20);
        EXPECT_EQ(dwell, focuses[1].fields.at(QStringLiteral("duration_s")));
    }

    // Copies are seen by their kind, booked to the Qt window. `copy` puts the canary on the
    // clipboard as `mimeType`.
    void checkCopies(const std::function<void(const char* mimeType)>& copy,
                     std::initializer_list<std::pair<const char*, const char*>> kinds) {
        for (const auto& [type, kind] : kinds) {
            engine_.lastCopy.reset();
            copy(type);
            ASSERT_TRUE(waitUntil([&] { return engine_.lastCopy.has_value(); })) << type;
            EXPECT_EQ(engine_.lastCopy->type, QLatin1String(kind));
            EXPECT_EQ(engine_.lastCopy->bundle, qtWindowId);
        }
    }

    // No input for longer than 3 s is idle; `input` is given until the agent is active again,
    // and the idle time became a presence period.
    void checkIdleEndedBy(const std::function<void()>& input) {
        config_.idleThresholdSeconds = 3;
        ASSERT_TRUE(waitUntil([&] { return engine_.presence == Presence::idle; }, 30000));
        ASSERT_TRUE(waitUntil(
            [&] {
                input();
                return waitUntil([&] { return engine_.presence == Presence::active; }, 1000);
            },
            30000));
        bool idlePeriod = false;
        for (const Signal& s : signalsOf(QStringLiteral("activity.presence")))
            idlePeriod = idlePeriod || text(s, "state") == QLatin1String("idle");
        EXPECT_TRUE(idlePeriod);
    }

    DeploymentConfig config_;
    EventLog events_;
    SkewedScheduler scheduler_;
    SignalEngine engine_{[this] { return scheduler_.now(); }};
    std::unique_ptr<Capture> capture_;
    std::vector<Signal> recorded_;
    std::vector<std::unique_ptr<QProcess>> apps_;
};

}  // namespace e2e
