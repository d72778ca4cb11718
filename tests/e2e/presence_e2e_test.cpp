// Idle from the X server's idle counter; lock and sleep from D-Bus services played by the test
// on the session bus and on the stand-in system bus.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>

#include "capture_fixture.h"
#include "dbus_emitter.h"

using DesktopDriver::App;

namespace {
// One real key press, and the wait until the engine has it (it also touches the episode).
void press(SignalEngine& engine) {
    const qint64 before = engine.bucketKeys;
    DesktopDriver::xdotool({QStringLiteral("key"), QStringLiteral("Right")});
    DesktopDriver::waitUntil([&] { return engine.bucketKeys > before; });
}
}  // namespace

TEST_F(CaptureOnDesktop, IdleStartsAndEndsFromTheRealIdleCounter) {
    App editor = mousepad();
    config_.idleThresholdSeconds = 3;
    ASSERT_TRUE(startWith(editor));
    advance(40);  // an episode long enough to be reported
    press(*engine_);
    const TimePoint lastInput = now();
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return engine_->presence == Presence::idle; },
                                         15000));
    // Idle began when input stopped, not when the poll noticed it.
    EXPECT_NEAR(engine_->presenceSince, lastInput, 1.0);

    advance(400);  // a long break ends the episode as idle
    DesktopDriver::xdotool({QStringLiteral("key"), QStringLiteral("Left")});
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return engine_->presence == Presence::active; },
                                         12000));
    const auto presence = signalsOf(QStringLiteral("activity.presence"));
    EXPECT_TRUE(std::any_of(presence.begin(), presence.end(), [](const Signal& s) {
        return text(s, QStringLiteral("state")) == QStringLiteral("idle");
    }));
    const auto episodes = signalsOf(QStringLiteral("task.episode"));
    ASSERT_FALSE(episodes.empty());
    EXPECT_EQ(text(episodes.back(), QStringLiteral("end_reason")), QStringLiteral("idle"));
}

TEST_F(CaptureOnDesktop, LockAndSleepFromDBusGivePresencePeriodsAndEndEpisodes) {
    App editor = mousepad();
    DBusEmitter screenSaver(false, QStringLiteral("org.freedesktop.ScreenSaver"));
    DBusEmitter logind(true, QStringLiteral("org.freedesktop.login1"));
    ASSERT_TRUE(screenSaver.ok() && logind.ok());
    ASSERT_TRUE(startWith(editor));
    advance(40);
    press(*engine_);

    const QString saverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
    const QString saver = QStringLiteral("org.freedesktop.ScreenSaver");
    // Only the screensaver itself speaks for it: the same signal from anyone else is ignored.
    QDBusConnection::sessionBus().send(
        QDBusMessage::createSignal(saverPath, saver, QStringLiteral("ActiveChanged")) << true);
    DesktopDriver::spin(1000);
    ASSERT_EQ(engine_->presence, Presence::active);
    QElapsedTimer sinceLock;  // the real time a loaded machine adds to the pushed 10 s
    sinceLock.start();
    screenSaver.emitBool(saverPath, saver, QStringLiteral("ActiveChanged"), true);
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return engine_->presence == Presence::locked; }));
    const auto episodes = signalsOf(QStringLiteral("task.episode"));
    ASSERT_EQ(episodes.size(), 1u);
    EXPECT_EQ(text(episodes[0], QStringLiteral("end_reason")), QStringLiteral("locked"));
    advance(10);
    screenSaver.emitBool(saverPath, saver, QStringLiteral("ActiveChanged"), false);
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return engine_->presence == Presence::active; }));
    const auto presence = signalsOf(QStringLiteral("activity.presence"));
    ASSERT_FALSE(presence.empty());
    EXPECT_EQ(text(presence.back(), QStringLiteral("state")), QStringLiteral("locked"));
    EXPECT_GE(integer(presence.back(), QStringLiteral("duration_s")), 10);
    EXPECT_LE(integer(presence.back(), QStringLiteral("duration_s")),
              qint64(10 + sinceLock.elapsed() / 1000.0 + 0.5));

    // Sleep and wake from logind on the system bus.
    const QString login1Path = QStringLiteral("/org/freedesktop/login1");
    logind.emitBool(login1Path, QStringLiteral("org.freedesktop.login1.Manager"),
                    QStringLiteral("PrepareForSleep"), true);
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return engine_->presence == Presence::locked; }));
    logind.emitBool(login1Path, QStringLiteral("org.freedesktop.login1.Manager"),
                    QStringLiteral("PrepareForSleep"), false);
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return engine_->presence == Presence::active; }));

    // The session's LockedHint, once the watcher has learnt which session is ours. Lock and
    // Unlock are only requests to a locker: they change nothing by themselves.
    const QString session = QString::fromLatin1(DBusEmitter::sessionPath);
    const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
    logind.emitPlain(session, sessionInterface, QStringLiteral("Lock"));
    ASSERT_TRUE(DesktopDriver::waitUntil([&] {
        logind.emitLockedHint(true);
        DesktopDriver::spin(100);
        return engine_->presence == Presence::locked;
    }));
    logind.emitPlain(session, sessionInterface, QStringLiteral("Unlock"));
    DesktopDriver::spin(300);
    EXPECT_EQ(engine_->presence, Presence::locked);
    logind.emitLockedHint(false);
    ASSERT_TRUE(DesktopDriver::waitUntil([&] { return engine_->presence == Presence::active; }));
    logind.emitPlain(session, sessionInterface, QStringLiteral("Lock"));
    DesktopDriver::spin(300);
    EXPECT_EQ(engine_->presence, Presence::active);

    // A signal of the right name from anyone but the name's owner is not believed.
    DBusEmitter impostor(true, QStringLiteral("org.example.NotLogind"));
    impostor.emitBool(login1Path, QStringLiteral("org.freedesktop.login1.Manager"),
                      QStringLiteral("PrepareForSleep"), true);
    DesktopDriver::spin(300);
    EXPECT_EQ(engine_->presence, Presence::active);
}
