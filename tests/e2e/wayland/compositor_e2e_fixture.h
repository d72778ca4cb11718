// Capture on a real KWin or GNOME Shell (headless, run by scripts/wayland-desktop), where the
// agent's helper inside the compositor reports the front window to the agent's D-Bus service.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>

#include "platform/wayland/compositor_report_service.h"
#include "platform/wayland/compositor_session.h"
#include "wayland_capture_fixture.h"

namespace e2e {

// A GTK dialog beside the Qt window (foot, the wlroots tests' second window, dies on KWin's
// virtual output).
inline const QString gtkId = QStringLiteral("zenity");

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

class CompositorCapture : public WaylandCapture {
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
        makeCapture(*session_);
        capture_->start();
        ASSERT_TRUE(waitUntil([&] { return session_->helperAnswered(); })) << "no helper";
    }
    void TearDown() override {
        WaylandCapture::TearDown();
        session_.reset();
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
        checkFocusPeriods(gtkId, qtWindowId);

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

    std::function<void(const QString& title)> activate_;
    std::unique_ptr<CompositorSession> session_;
};

}  // namespace e2e
