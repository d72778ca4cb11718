// Capture on a real KWin or GNOME Shell (headless, run by scripts/wayland-desktop), where the
// agent's compositor-side helper reports the front window to the agent's D-Bus service. The
// engine's clock is the real one plus a skew the test pushes forward, so dwell times need no
// waiting.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <memory>

#include "capture/capture.h"
#include "capture/qt_capture_scheduler.h"
#include "platform/wayland/compositor_report_service.h"
#include "platform/wayland/compositor_session.h"
#include "signals/event_log.h"
#include "signals/signal_engine.h"

namespace e2e {

inline const QString qtWindowId = QStringLiteral("tarnwhistle-e2e-window");
inline const QString gtkId = QStringLiteral("zenity");
inline const QString canary = QStringLiteral("canary-51c0de-never-leaves-the-clipboard");

inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 15000) {
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
inline bool run(const QString& program, const QStringList& arguments,
                const QByteArray& input = {}) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(5000)) return false;
    process.write(input);
    process.closeWriteChannel();
    return process.waitForFinished(15000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

class SkewedScheduler : public QtCaptureScheduler {
  public:
    TimePoint now() override { return Time::now() + skew; }
    double skew = 0;
};

class CompositorCapture : public ::testing::Test {
  protected:
    void startSession(CompositorSession::Compositor compositor) {
        session_ = CompositorSession::start(
            compositor, QStringLiteral(TARNWHISTLE_SOURCE_DIR "/data/kwin/tarnwhistle-focus.js"));
        ASSERT_TRUE(session_) << "the report service could not be offered";
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
        session_.reset();
    }
    QProcess& launch(const QString& program, const QStringList& arguments) {
        apps_.push_back(std::make_unique<QProcess>());
        QProcess& app = *apps_.back();
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        env.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("wayland"));
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
    // Asks for the window titled `title` until `bundleId` is in front (a window just started
    // may not be there yet on the first asks).
    bool bringToFront(const QString& title, const QString& bundleId) {
        return waitUntil([&] {
            activate_(title);
            return waitUntil(
                [&] { return engine_.focusApp && engine_.focusApp->bundle == bundleId; }, 1000);
        });
    }
    bool titled(const QString& title) {
        return waitUntil(
            [&] { return engine_.lastObservation && engine_.lastObservation->title == title; });
    }

    // Two windows switched give focus periods and switches with their ids and dwell; a new
    // title is a new window context.
    void checkFocusSwitchAndTitle() {
        // A GTK dialog beside the Qt window (foot, the wlroots tests' second window, dies on
        // KWin's virtual output).
        launch(QStringLiteral("zenity"),
               {QStringLiteral("--info"), QStringLiteral("--title=Notice"),
                QStringLiteral("--text=Hello")});
        ASSERT_TRUE(bringToFront(QStringLiteral("Notice"), gtkId));
        scheduler_.skew += 30;
        QProcess& window = launch(QStringLiteral(E2E_QT_WINDOW),
                                  {QStringLiteral("Quarterly plan"), QStringLiteral("Plan text")});
        // A new window may or may not take the focus by itself; asking is harmless.
        ASSERT_TRUE(bringToFront(QStringLiteral("Quarterly plan"), qtWindowId));
        scheduler_.skew += 20;
        ASSERT_TRUE(bringToFront(QStringLiteral("Notice"), gtkId));
        const auto focuses = signalsOf(QStringLiteral("app.focus"));
        ASSERT_EQ(focuses.size(), 2u);
        EXPECT_EQ(text(focuses[0], "bundle_id"), gtkId);
        EXPECT_EQ(text(focuses[1], "bundle_id"), qtWindowId);
        const auto switches = signalsOf(QStringLiteral("app.switch"));
        ASSERT_EQ(switches.size(), 2u);
        EXPECT_EQ(text(switches[1], "from_bundle_id"), qtWindowId);
        EXPECT_EQ(text(switches[1], "to_bundle_id"), gtkId);
        const JSONValue dwell = switches[1].fields.at(QStringLiteral("dwell_s"));
        ASSERT_TRUE(dwell.integer());
        EXPECT_GE(*dwell.integer(), 20);
        EXPECT_LT(*dwell.integer(), 30);

        ASSERT_TRUE(bringToFront(QStringLiteral("Quarterly plan"), qtWindowId));
        ASSERT_TRUE(titled(QStringLiteral("Quarterly plan")));
        const size_t contexts = signalsOf(QStringLiteral("window.context")).size();
        scheduler_.skew += 10;
        window.write("title Budget review\n");
        ASSERT_TRUE(titled(QStringLiteral("Budget review")));
        EXPECT_GT(signalsOf(QStringLiteral("window.context")).size(), contexts);
    }

    // Another program on the session bus cannot report windows or copies: it is refused, and
    // the agent's front window and copies stay as they were.
    void checkForgedReportsIgnored() {
        ASSERT_TRUE(engine_.focusApp.has_value());
        const QString front = engine_.focusApp->bundle;
        QDBusConnection forger =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("forger"));
        ASSERT_TRUE(forger.isConnected());
        const auto tell = [&](const QString& method, const QVariantList& arguments) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                QLatin1String(CompositorReportService::serviceName),
                QLatin1String(CompositorReportService::objectPath),
                QStringLiteral("app.tarnwhistle.Compositor"), method);
            call.setArguments(arguments);
            // The service answers on this thread's event loop, which must run meanwhile.
            QDBusPendingCall pending = forger.asyncCall(call, 5000);
            waitUntil([&] { return pending.isFinished(); });
            return pending.reply();
        };
        engine_.lastCopy.reset();
        const QDBusMessage window =
            tell(QStringLiteral("WindowActivated"),
                 {QStringLiteral("org.example.Invented"), QStringLiteral("invented"),
                  QStringLiteral("Invented"), 1});
        EXPECT_EQ(window.errorName(), QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
        const QDBusMessage copy =
            tell(QStringLiteral("ClipboardChanged"), {QStringList{QStringLiteral("text/plain")}});
        EXPECT_EQ(copy.errorName(), QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
        QDBusConnection::disconnectFromBus(QStringLiteral("forger"));
        waitUntil([] { return false; }, 500);  // anything wrongly accepted would show by now
        EXPECT_EQ(engine_.focusApp->bundle, front);
        EXPECT_FALSE(engine_.lastCopy.has_value());
        for (const Signal& s : recorded_)
            EXPECT_FALSE(s.jsonString().contains(QStringLiteral("Invented")))
                << s.type.toStdString();
    }

    // Nothing recorded or logged carries the clipboard's contents.
    void checkCanaryNowhere() {
        capture_->stop(QStringLiteral("quit"));
        for (const Signal& s : recorded_)
            EXPECT_FALSE(s.jsonString().contains(canary)) << s.type.toStdString();
        for (const LocalEvent& e : events_.events()) EXPECT_FALSE(e.detail.contains(canary));
    }

    // Brings the window titled so to the front, as a click would.
    std::function<void(const QString& title)> activate_;
    DeploymentConfig config_;
    EventLog events_;
    SkewedScheduler scheduler_;
    SignalEngine engine_{[] { return Time::now(); }};
    std::unique_ptr<CompositorSession> session_;
    std::unique_ptr<Capture> capture_;
    std::vector<Signal> recorded_;
    std::vector<std::unique_ptr<QProcess>> apps_;
};

}  // namespace e2e
