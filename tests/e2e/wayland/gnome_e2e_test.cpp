// Capture on headless GNOME Shell: the agent's Shell extension reports the front window and
// the clipboard's types, Mutter's idle monitor the idle time. Windows are brought to the front
// by a test-only extension (gnome_test_driver@tarnwhistle.app), input comes through Mutter's
// remote-desktop interface. Lock is not tested: the headless Shell offers it only with a
// display manager and logind to talk to, and was flaky with mocked ones.
#include <QDBusObjectPath>

#include "compositor_e2e_fixture.h"

using namespace e2e;

namespace {

void activate(const QString& title) {
    busCall(QStringLiteral("org.gnome.Shell"), QStringLiteral("/app/tarnwhistle/TestDriver"),
            QStringLiteral("app.tarnwhistle.TestDriver"), QStringLiteral("Activate"), {title});
}

// Presses Shift (twice: a session's first key is dropped) and moves the pointer. Clients may
// take the clipboard only with the serial of an input event, which a headless Shell lacks.
bool input() {
    const QString rd = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
    const QString sessionInterface = rd + QStringLiteral(".Session");
    static QString session;  // lives as long as this process's bus connection
    if (session.isEmpty()) {
        const QDBusMessage made = busCall(rd, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), rd,
                                          QStringLiteral("CreateSession"));
        if (made.arguments().isEmpty()) return false;
        session = made.arguments().front().value<QDBusObjectPath>().path();
        busCall(rd, session, sessionInterface, QStringLiteral("Start"));
    }
    for (bool pressed : {true, false, true, false})
        busCall(rd, session, sessionInterface, QStringLiteral("NotifyKeyboardKeysym"),
                {QVariant::fromValue(0xffe1u), pressed});
    return busCall(rd, session, sessionInterface, QStringLiteral("NotifyPointerMotionRelative"),
                   {5.0, 5.0})
               .type() == QDBusMessage::ReplyMessage;
}

}  // namespace

TEST_F(CompositorCapture, GnomeWindowsCopiesAndIdleAreSeen) {
    start(CompositorSession::Compositor::gnome, activate);
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
