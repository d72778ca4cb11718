// Capture on a real KWin or GNOME Shell (headless, run by scripts/wayland-desktop), where the
// agent's helper inside the compositor reports the front window to the agent's D-Bus service.
// The engine's clock is the real one plus a skew the test pushes forward, so dwell times need
// no waiting.
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
// A GTK dialog beside the Qt window (foot, the wlroots tests' second window, dies on KWin's
// virtual output).
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

// A method call whose answer is awaited with the event loop running (the agent's service in
// this very process answers on it).
inline QDBusMessage busCall(const QString& service, const QString& path, const QString& interface,
                            const QString& method, const QVariantList& arguments = {},
                            QDBusConnection bus = QDBusConnection::sessionBus()) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    QDBusPendingCall pending = bus.asyncCall(call, 5000);
    waitUntil([&] { return pending.isFinished(); });
    return pending.reply();
}

class SkewedScheduler : public QtCaptureScheduler {
  public:
    TimePoint now() override { return Time::now() + skew; }
    double skew = 0;
};

class CompositorCapture : public ::testing::Test {
  protected:
    // `activate` brings the window titled so to the front, as a click would.
    void start(CompositorSession::Compositor compositor,
               std::function<void(const QString&)> activate) {
        activate_ = std::move(activate);
        session_ = CompositorSession::start(
            compositor, QStringLiteral(TARNWHISTLE_SOURCE_DIR "/data/kwin/tarnwhistle-focus.js"));
        ASSERT_TRUE(session_) << "the report service could not be offered";
        using C = DesktopSession::Capability;
        EXPECT_EQ(session_->capabilities(),
                  C::frontWindow | C::idle | C::lockSleep | C::clipboardTypes | C::textSample);
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
        capture_->start();
        ASSERT_TRUE(waitUntil([&] { return session_->helperAnswered(); })) << "no helper";
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
        session_.reset();
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
    // Asks for the window until its application is in front (a window just started may not be
    // there yet, or may not take the focus by itself).
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
    // title is a new window context. Leaves the Qt window, titled "Budget review", in front.
    void checkFocusSwitchAndTitle() {
        launch(QStringLiteral("zenity"),
               {QStringLiteral("--info"), QStringLiteral("--title=Notice"),
                QStringLiteral("--text=Hello")});
        ASSERT_TRUE(bringToFront(QStringLiteral("Notice"), gtkId));
        scheduler_.skew += 30;
        QProcess& window = launch(QStringLiteral(E2E_QT_WINDOW),
                                  {QStringLiteral("Quarterly plan"), QStringLiteral("Plan text")});
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
        // The time in the window left: the skew plus the moment the switch took.
        const JSONValue dwell = switches[1].fields.at(QStringLiteral("dwell_s"));
        ASSERT_TRUE(dwell.integer());
        EXPECT_GE(*dwell.integer(), 20);
        EXPECT_EQ(dwell, focuses[1].fields.at(QStringLiteral("duration_s")));

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
        const QString front = engine_.focusApp.value_or(FocusedApp{}).bundle;
        QDBusConnection forger =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("forger"));
        const auto tell = [&](const QString& method, const QVariantList& arguments) {
            return busCall(QLatin1String(CompositorReportService::serviceName),
                           QLatin1String(CompositorReportService::objectPath),
                           QStringLiteral("app.tarnwhistle.Compositor"), method, arguments, forger)
                .errorName();
        };
        engine_.lastCopy.reset();
        const QString denied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");
        EXPECT_EQ(tell(QStringLiteral("WindowActivated"),
                       {QStringLiteral("org.example.Invented"), QStringLiteral("invented"),
                        QStringLiteral("Invented"), 1}),
                  denied);
        EXPECT_EQ(
            tell(QStringLiteral("ClipboardChanged"), {QStringList{QStringLiteral("text/plain")}}),
            denied);
        QDBusConnection::disconnectFromBus(QStringLiteral("forger"));
        waitUntil([] { return false; }, 500);  // anything wrongly taken would show by now
        EXPECT_EQ(engine_.focusApp.value_or(FocusedApp{}).bundle, front);
        EXPECT_FALSE(engine_.lastCopy.has_value());
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
