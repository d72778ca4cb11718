// Capture on a real wlroots compositor (headless sway, run by scripts/wayland-desktop): native
// Wayland windows in front give their app ids, titles, focus and switches; a copy gives its
// kind and never its contents; idle time is reported; the compositor's end is away time. The engine's clock is the real one plus a
// skew the test pushes forward, so dwell times need no waiting.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <memory>

#include "capture/capture.h"
#include "capture/qt_capture_scheduler.h"
#include "platform/wayland/wlroots_session.h"
#include "signals/event_log.h"
#include "signals/signal_engine.h"

namespace {

const QString qtWindowId = QStringLiteral("tarnwhistle-e2e-window");  // its desktop file name
const QString canary = QStringLiteral("canary-7f3a9c-never-leaves-the-clipboard");

bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() >= timeoutMs) return false;
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Runs a tool to its end with `input` on its standard input; whether it succeeded.
bool run(const QString& program, const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    // A tool that leaves a helper behind (wl-copy serves its selection) must not hold our pipes.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(5000)) return false;
    process.write(input);
    process.closeWriteChannel();
    return process.waitForFinished(15000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

bool focus(const QString& appId) {
    return run(QStringLiteral("swaymsg"), {QStringLiteral("[app_id=%1] focus").arg(appId)});
}

class SkewedScheduler : public QtCaptureScheduler {
  public:
    TimePoint now() override { return Time::now() + skew; }
    double skew = 0;
};

class WlrootsCapture : public ::testing::Test {
  protected:
    void SetUp() override {
        session_ = WlrootsSession::connect({}, QStringLiteral("tarnwhistle"),
                                           QCoreApplication::applicationPid());
        ASSERT_TRUE(session_) << "no wlroots compositor: run inside scripts/wayland-desktop sway";
        config_.idleThresholdSeconds = 3600;
        engine_.now = [this] { return scheduler_.now(); };
        engine_.configProvider = [this] { return config_; };
        engine_.sink = [this](const Signal& signal) { recorded_.push_back(signal); };
        engine_.classify = [](const QString&, const CategoryList&, const std::optional<QString>&,
                              bool, SignalEngine::ClassifyDone done) { done(std::nullopt); };
        engine_.events = &events_;
        capture_ = std::make_unique<Capture>(
            engine_, *session_, scheduler_, [this] { return config_; },
            QCoreApplication::applicationPid());
    }
    void TearDown() override {
        if (capture_) capture_->stop(QStringLiteral("quit"));
        capture_.reset();
        for (auto& app : apps_) {
            app->kill();
            app->waitForFinished(5000);
        }
    }
    QProcess& launch(const QString& program, const QStringList& arguments) {
        apps_.push_back(std::make_unique<QProcess>());
        QProcess& app = *apps_.back();
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        app.setProcessEnvironment(env);
        app.start(program, arguments);
        return app;
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
    bool inFront(const QString& bundleId) {
        return waitUntil([&] { return engine_.focusApp && engine_.focusApp->bundle == bundleId; });
    }

    DeploymentConfig config_;
    EventLog events_;
    SkewedScheduler scheduler_;
    SignalEngine engine_{[] { return Time::now(); }};
    std::unique_ptr<WlrootsSession> session_;
    std::unique_ptr<Capture> capture_;
    std::vector<Signal> recorded_;
    std::vector<std::unique_ptr<QProcess>> apps_;
};

}  // namespace

TEST_F(WlrootsCapture, NativeWindowsCopiesIdleAndTheCompositorsEndAreSeenAsOnAnyDesktop) {
    using C = DesktopSession::Capability;
    EXPECT_EQ(session_->capabilities(), C::frontWindow | C::idle | C::clipboardTypes);
    launch(QStringLiteral("foot"), {QStringLiteral("sleep"), QStringLiteral("600")});
    QProcess& window = launch(QStringLiteral(E2E_QT_WINDOW),
                              {QStringLiteral("Quarterly plan"), QStringLiteral("Plan text")});
    // Both windows are up before capture starts, the Qt window in front.
    ASSERT_TRUE(waitUntil([&] {
        const auto running = session_->backend().frontWindow->runningApplications();
        return running.size() == 2;
    }));
    ASSERT_TRUE(focus(qtWindowId));
    capture_->start();
    ASSERT_TRUE(inFront(qtWindowId));

    // Switching: the window left gets its focus period, the switch its dwell.
    scheduler_.skew += 30;
    ASSERT_TRUE(focus(QStringLiteral("foot")));
    ASSERT_TRUE(inFront(QStringLiteral("foot")));
    scheduler_.skew += 20;
    ASSERT_TRUE(focus(qtWindowId));
    ASSERT_TRUE(inFront(qtWindowId));
    const auto focuses = signalsOf(QStringLiteral("app.focus"));
    ASSERT_EQ(focuses.size(), 2u);
    EXPECT_EQ(text(focuses[0], "bundle_id"), qtWindowId);
    EXPECT_EQ(text(focuses[1], "bundle_id"), QStringLiteral("foot"));
    const auto switches = signalsOf(QStringLiteral("app.switch"));
    ASSERT_EQ(switches.size(), 2u);
    EXPECT_EQ(text(switches[1], "from_bundle_id"), QStringLiteral("foot"));
    EXPECT_EQ(text(switches[1], "to_bundle_id"), qtWindowId);
    // The dwell is the time in the window left: the skew plus the moment the switch took.
    const JSONValue dwell = switches[1].fields.at(QStringLiteral("dwell_s"));
    ASSERT_TRUE(dwell.integer());
    EXPECT_GE(*dwell.integer(), 20);
    EXPECT_EQ(dwell, focuses[1].fields.at(QStringLiteral("duration_s")));

    // A new title is a new window context; the compositor's title is the one observed.
    ASSERT_TRUE(waitUntil([&] { return engine_.lastObservation.has_value(); }));
    EXPECT_EQ(engine_.lastObservation->title, QStringLiteral("Quarterly plan"));
    scheduler_.skew += 10;
    window.write("title Budget review\n");
    ASSERT_TRUE(waitUntil([&] {
        return engine_.lastObservation && engine_.lastObservation->title == "Budget review";
    }));
    EXPECT_FALSE(signalsOf(QStringLiteral("window.context")).empty());

    // Copies: the kind from the MIME types, booked to the window in front; never the text.
    for (const auto& [type, kind] : {std::pair{"text/plain", "text"}, {"image/png", "image"}}) {
        engine_.lastCopy.reset();
        ASSERT_TRUE(run(QStringLiteral("wl-copy"), {QStringLiteral("--type"), QLatin1String(type)},
                        canary.toUtf8()));
        ASSERT_TRUE(waitUntil([&] { return engine_.lastCopy.has_value(); })) << type;
        EXPECT_EQ(engine_.lastCopy->type, QLatin1String(kind));
        EXPECT_EQ(engine_.lastCopy->bundle, qtWindowId);
    }

    // Idle: no input for longer than the threshold, then a key ends it.
    config_.idleThresholdSeconds = 3;
    ASSERT_TRUE(waitUntil([&] { return engine_.presence == Presence::idle; }, 30000));
    // The seat may drop the first keys of a new virtual keyboard: typed until they count.
    ASSERT_TRUE(waitUntil(
        [&] {
            if (engine_.presence == Presence::active) return true;
            run(QStringLiteral("wtype"),
                {QStringLiteral("-s"), QStringLiteral("400"), QStringLiteral("abc")});
            return false;
        },
        30000));
    bool idlePeriod = false;
    for (const Signal& s : signalsOf(QStringLiteral("activity.presence")))
        idlePeriod = idlePeriod || text(s, "state") == QLatin1String("idle");
    EXPECT_TRUE(idlePeriod);

    // The compositor goes away: away time from then on, nothing in front, idle time unknown.
    run(QStringLiteral("swaymsg"), {QStringLiteral("exit")});  // no answer comes: sway is gone
    ASSERT_TRUE(waitUntil([&] { return engine_.presence == Presence::locked; }));
    EXPECT_FALSE(engine_.focusApp.has_value());
    EXPECT_FALSE(session_->backend().idle->secondsSinceLastInput().has_value());

    capture_->stop(QStringLiteral("quit"));
    for (const Signal& s : recorded_)
        EXPECT_FALSE(s.jsonString().contains(canary)) << s.type.toStdString();
    for (const LocalEvent& e : events_.events()) EXPECT_FALSE(e.detail.contains(canary));
}
