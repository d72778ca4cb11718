// Idle from the X server's idle counter; lock and sleep from D-Bus services played by the test
// on the session bus and on the stand-in system bus.

#include "capture_fixture.h"
#include "dbus_emitter.h"

TEST_F(CaptureOnDesktop, IdleStartsAndEndsFromTheRealIdleCounter) {
    App editor = mousepad();
    config_.idleThresholdSeconds = 3;
    ASSERT_TRUE(startWith(editor));
    const qint64 keys = engine_.bucketKeys;
    xdotool({"key", "Right"});
    ASSERT_TRUE(waitUntil([&] { return engine_.bucketKeys > keys; }));
    const TimePoint lastInput = scheduler_->now();
    ASSERT_TRUE(presenceIs(Presence::idle));
    // Idle began when input stopped, not when the poll noticed it.
    EXPECT_NEAR(engine_.presenceSince, lastInput, 1.0);
    xdotool({"key", "Left"});
    EXPECT_TRUE(presenceIs(Presence::active));
}

TEST_F(CaptureOnDesktop, LockAndSleepAreBelievedFromTheirOwnersOnly) {
    App editor = mousepad();
    DBusEmitter screenSaver(false, "org.freedesktop.ScreenSaver");
    DBusEmitter logind(true, "org.freedesktop.login1");
    // Signals of the right names from anyone but the names' owners are not believed.
    DBusEmitter saverImpostor(false, "org.example.NotTheScreenSaver");
    DBusEmitter logindImpostor(true, "org.example.NotLogind");
    ASSERT_TRUE(screenSaver.ok() && logind.ok() && saverImpostor.ok() && logindImpostor.ok());
    const auto saverActive = [](DBusEmitter& from, bool active) {
        from.emitSignal("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
                        "ActiveChanged", {active});
    };
    const auto sleep = [](DBusEmitter& from, bool asleep) {
        from.emitSignal("/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                        "PrepareForSleep", {asleep});
    };
    const auto session = [&](const char* request) {
        logind.emitSignal(DBusEmitter::sessionPath, "org.freedesktop.login1.Session", request);
    };
    const auto stays = [&](Presence presence) {
        spin(300);
        return engine_.presence == presence;
    };
    ASSERT_TRUE(startWith(editor));
    // Said again until the watcher, just started, hears it.
    ASSERT_TRUE(waitUntil([&] {
        saverActive(screenSaver, true);
        return stays(Presence::locked);
    }));
    saverActive(screenSaver, false);
    ASSERT_TRUE(presenceIs(Presence::active));

    // Sleep and wake from logind on the system bus.
    sleep(logind, true);
    ASSERT_TRUE(presenceIs(Presence::locked));
    sleep(logind, false);
    ASSERT_TRUE(presenceIs(Presence::active));
    saverActive(saverImpostor, true);
    sleep(logindImpostor, true);
    EXPECT_TRUE(stays(Presence::active)) << "an impostor was believed";

    // The session's LockedHint, once the watcher has learnt which session is ours. Lock and
    // Unlock are only requests to a locker: they change nothing by themselves.
    session("Lock");
    ASSERT_TRUE(waitUntil([&] {
        logind.emitLockedHint(true);
        return stays(Presence::locked);
    }));
    session("Unlock");
    EXPECT_TRUE(stays(Presence::locked));
    logind.emitLockedHint(false);
    ASSERT_TRUE(presenceIs(Presence::active));
    session("Lock");
    EXPECT_TRUE(stays(Presence::active));
}
