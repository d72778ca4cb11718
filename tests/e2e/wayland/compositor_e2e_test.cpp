// Capture on a real KWin or GNOME Shell (headless, run by scripts/wayland-desktop, each
// compositor running its own test of this program), where the agent's helper inside the
// compositor reports the front window to the agent's D-Bus service.
//
// KWin: the agent's KWin script reports the front window, data-control gives the clipboard's
// types, ext_idle_notify_v1 the idle time, KWin's locker the lock. Idle is not ended there:
// KWin offers no input injection without a privileged client.
//
// GNOME Shell: the agent's Shell extension reports the front window and the clipboard's types,
// Mutter's idle monitor the idle time. Windows are brought to the front by a test-only
// extension (gnome_test_driver@tarnwhistle.app), input comes through Mutter's remote-desktop
// interface. Lock is not tested: the headless Shell offers it only with a display manager and
// logind to talk to, and was flaky with mocked ones.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include "platform/wayland/compositor_report_service.h"
#include "platform/wayland/compositor_session.h"
#include "wayland_capture_fixture.h"

namespace {

// A method call whose answer is awaited with the event loop running (the agent's service in
// this very process answers on it).
QDBusMessage busCall(const QString& service, const QString& path, const QString& interface,
                     const QString& method, const QVariantList& arguments = {},
                     QDBusConnection bus = QDBusConnection::sessionBus()) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    QDBusPendingCall pending = bus.asyncCall(call, 5000);
    DesktopDriver::waitUntil([&] { return pending.isFinished(); });
    return pending.reply();
}

class CompositorCapture : public WaylandCapture {
  protected:
    // `activate` brings the window titled so to the front, as a click would.
    void start(CompositorSession::Compositor compositor,
               std::function<void(const QString&)> activate) {
        activate_ = std::move(activate);
        session_ = CompositorSession::start(
            compositor, TARNWHISTLE_SOURCE_DIR "/data/kwin/tarnwhistle-focus.js");
        ASSERT_TRUE(session_) << "the report service could not be offered";
        makeCapture(*session_);
        capture_->start();
        ASSERT_TRUE(waitUntil([&] { return session_->helperAnswered(); })) << "no helper";
    }
    // Another program on the session bus cannot report windows or copies: it is refused, and
    // the agent's front window and copies stay as they were.
    void checkForgedReportsIgnored() {
        const QString front = engine_.focusApp.value_or(FocusedApp{}).bundle;
        QDBusConnection forger =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "forger");
        const auto tell = [&](const QString& method, const QVariantList& arguments) {
            return busCall(CompositorReportService::serviceName,
                           CompositorReportService::objectPath, "app.tarnwhistle.Compositor",
                           method, arguments, forger)
                .errorName();
        };
        engine_.lastCopy.reset();
        const QString denied = "org.freedesktop.DBus.Error.AccessDenied";
        EXPECT_EQ(tell("WindowActivated", {"org.example.Invented", "invented", "Invented", 1}),
                  denied);
        EXPECT_EQ(tell("ClipboardChanged", {QStringList{"text/plain"}}), denied);
        QDBusConnection::disconnectFromBus("forger");
        spin(500);  // anything wrongly taken would show by now
        EXPECT_EQ(engine_.focusApp.value_or(FocusedApp{}).bundle, front);
        EXPECT_FALSE(engine_.lastCopy.has_value());
    }

    std::unique_ptr<CompositorSession> session_;
};

// KWin takes orders from scripts: a one-off script activates the window titled `title`.
void activateOnKWin(const QString& title) {
    QTemporaryFile file(QDir::tempPath() + "/e2e-activate-XXXXXX.js");
    if (!file.open()) return;
    file.write(QString("var all = workspace.clientList();\n"
                       "for (var i = 0; i < all.length; ++i)\n"
                       "    if (String(all[i].caption) === \"%1\")\n"
                       "        workspace.activeClient = all[i];\n")
                   .arg(title)
                   .toUtf8());
    file.flush();
    const QString name = QFileInfo(file).baseName(), kwin = "org.kde.KWin",
                  scripting = "/Scripting", scriptingInterface = "org.kde.kwin.Scripting";
    const QDBusMessage loaded =
        busCall(kwin, scripting, scriptingInterface, "loadScript", {file.fileName(), name});
    if (loaded.arguments().isEmpty()) return;
    busCall(kwin, QString("/%1").arg(loaded.arguments().front().toInt()), "org.kde.kwin.Script",
            "run");
    busCall(kwin, scripting, scriptingInterface, "unloadScript", {name});
}

void activateOnGnome(const QString& title) {
    busCall("org.gnome.Shell", "/app/tarnwhistle/TestDriver", "app.tarnwhistle.TestDriver",
            "Activate", {title});
}

// Presses Shift (twice: a session's first key is dropped) and moves the pointer. Clients may
// take the clipboard only with the serial of an input event, which a headless Shell lacks.
bool input() {
    const QString rd = "org.gnome.Mutter.RemoteDesktop";
    const QString sessionInterface = rd + ".Session";
    static QString session;  // lives as long as this process's bus connection
    if (session.isEmpty()) {
        const QDBusMessage made =
            busCall(rd, "/org/gnome/Mutter/RemoteDesktop", rd, "CreateSession");
        if (made.arguments().isEmpty()) return false;
        session = made.arguments().front().value<QDBusObjectPath>().path();
        busCall(rd, session, sessionInterface, "Start");
    }
    for (bool pressed : {true, false, true, false})
        busCall(rd, session, sessionInterface, "NotifyKeyboardKeysym",
                {QVariant::fromValue(0xffe1u), pressed});
    return busCall(rd, session, sessionInterface, "NotifyPointerMotionRelative", {5.0, 5.0})
               .type() == QDBusMessage::ReplyMessage;
}

}  // namespace

TEST_F(CompositorCapture, KWinWindowsCopiesIdleAndLockAreSeen) {
    start(CompositorSession::Compositor::kwin, activateOnKWin);
    checkFocusSwitchAndTitle();
    checkForgedReportsIgnored();
    // Data-control, which KWin offers to ordinary clients.
    checkCopies(
        [](const char* type) {
            QProcess::execute("wl-copy", {"--type", QLatin1String(type), canary});
        },
        {{"text/plain", "text"}, {"image/png", "image"}});

    config_.idleThresholdSeconds = 3;
    ASSERT_TRUE(presenceIs(Presence::idle, 30000));
    busCall("org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver", "Lock");
    EXPECT_TRUE(presenceIs(Presence::locked));
}

TEST_F(CompositorCapture, GnomeWindowsCopiesAndIdleAreSeen) {
    start(CompositorSession::Compositor::gnome, activateOnGnome);
    checkFocusSwitchAndTitle();
    checkForgedReportsIgnored();
    checkCopies(
        [&](const char*) {
            ASSERT_TRUE(input());
            apps_[1]->write(("copy " + canary + "\n").toUtf8());
        },
        {{"text/plain", "text"}});

    // Input goes on until the idle poll (every 5 s) sees it within the 3 s.
    checkIdleEndedBy([] { input(); });
}
