// Capture on headless GNOME Shell: the agent's Shell extension reports the front window and
// the clipboard's types, Mutter's idle monitor the idle time. Windows are brought to the front
// by a test-only extension (gnome_test_driver@tarnwhistle.app), as a click would; input comes
// through Mutter's remote-desktop interface. Lock is not tested here: the headless Shell
// offers it only with a display manager and logind it can talk to, and was flaky with mocks.
#include <QDBusObjectPath>
#include <QDBusReply>

#include "compositor_e2e_fixture.h"

using namespace e2e;

namespace {

QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                  const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
}

void activate(const QString& title) {
    call(QStringLiteral("org.gnome.Shell"), QStringLiteral("/app/tarnwhistle/TestDriver"),
         QStringLiteral("app.tarnwhistle.TestDriver"), QStringLiteral("Activate"), {title});
}

// Presses Shift and moves the pointer, through a remote-desktop session of this connection
// (the session's first key is dropped, so Shift goes twice). Clients may take the clipboard
// only with the serial of an input event, which a headless Shell otherwise never has.
bool input() {
    const QString rd = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
    static QString session;
    if (session.isEmpty()) {
        const QDBusMessage made = call(rd, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), rd,
                                       QStringLiteral("CreateSession"));
        if (made.arguments().isEmpty()) return false;
        session = made.arguments().front().value<QDBusObjectPath>().path();
        call(rd, session, rd + QStringLiteral(".Session"), QStringLiteral("Start"));
    }
    const QString keys = rd + QStringLiteral(".Session");
    for (int i = 0; i < 2; ++i) {
        for (bool pressed : {true, false})
            call(rd, session, keys, QStringLiteral("NotifyKeyboardKeysym"),
                 {QVariant::fromValue(0xffe1u), pressed});
    }
    const QDBusMessage moved =
        call(rd, session, keys, QStringLiteral("NotifyPointerMotionRelative"), {5.0, 5.0});
    return moved.type() == QDBusMessage::ReplyMessage;
}

class GnomeCapture : public CompositorCapture {};

}  // namespace

TEST_F(GnomeCapture, WindowsCopiesAndIdleAreSeen) {
    using C = DesktopSession::Capability;
    activate_ = activate;
    startSession(CompositorSession::Compositor::gnome);
    EXPECT_EQ(session_->capabilities(),
              C::frontWindow | C::idle | C::lockSleep | C::clipboardTypes | C::textSample);
    capture_->start();
    ASSERT_TRUE(waitUntil([&] { return session_->helperAnswered(); }))
        << "the extension did not answer";
    checkFocusSwitchAndTitle();
    checkForgedReportsIgnored();

    // A copy in the window in front: its kind from the types the extension reports.
    ASSERT_TRUE(bringToFront(QStringLiteral("Budget review"), qtWindowId));
    ASSERT_TRUE(input());
    engine_.lastCopy.reset();
    apps_[1]->write(("copy " + canary + "\n").toUtf8());
    ASSERT_TRUE(waitUntil([&] { return engine_.lastCopy.has_value(); }));
    EXPECT_EQ(engine_.lastCopy->type, QStringLiteral("text"));
    EXPECT_EQ(engine_.lastCopy->bundle, qtWindowId);

    // Idle: no input for longer than the threshold, then input again.
    config_.idleThresholdSeconds = 3;
    ASSERT_TRUE(waitUntil([&] { return engine_.presence == Presence::idle; }, 30000));
    // Input goes on until the idle poll (every 5 s) sees it within the 3 s.
    ASSERT_TRUE(waitUntil(
        [&] {
            return input() && waitUntil([&] { return engine_.presence == Presence::active; }, 1000);
        },
        30000));
    bool idlePeriod = false;
    for (const Signal& s : signalsOf(QStringLiteral("activity.presence")))
        idlePeriod = idlePeriod || text(s, "state") == QLatin1String("idle");
    EXPECT_TRUE(idlePeriod);
    checkCanaryNowhere();
}
