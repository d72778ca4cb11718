// Activation, window contexts and the window in front, with real applications.
#include <gmock/gmock.h>

#include "capture_fixture.h"

namespace {
// Sets a property with xprop: `target` is "-root" or "-id <window>".
bool setProperty(const QString& target, const QString& property) {
    return !DesktopDriver::run("sh",
                               {"-c", QString("xprop %1 -f %2 && echo set").arg(target, property)})
                .isEmpty();
}
}  // namespace

TEST_F(CaptureOnDesktop, TwoApplicationsGiveFocusSwitchesWithTheirIdsAndDwellAndContexts) {
    App editor = mousepad();
    App qt = qtWindow("Plain window", "Hello");
    ASSERT_TRUE(editor.started() && qt.started());
    // A freshly started application may still present itself (taking the focus) a moment after
    // its window shows, most of all at the first start on a new desktop; a bounce of the focus
    // in the middle of the test would be shorter than a focus and go unreported. Let both
    // settle before the test moves the focus.
    spin(1500);
    ASSERT_TRUE(editor.activate());
    makeCapture();
    // Dwell is the pushed-forward time plus the real time the activations took, which a
    // loaded machine stretches: each one is checked against both.
    QElapsedTimer sinceStart, sinceSwitch;
    sinceStart.start();
    const auto seconds = [](double pushed, const QElapsedTimer& real) {
        return ::testing::AllOf(::testing::Ge(qint64(pushed)),
                                ::testing::Le(qint64(pushed + real.elapsed() / 1000.0 + 0.5)));
    };
    capture_->start();
    ASSERT_TRUE(engine_.focusApp.has_value());
    EXPECT_EQ(engine_.focusApp->bundle, mousepadId);
    EXPECT_EQ(engine_.focusApp->name, "Mousepad");

    advance(3);
    sinceSwitch.start();
    ASSERT_TRUE(qt.activate() && made("app.switch"));
    const Signal sw = signalsOf("app.switch").front();
    EXPECT_EQ(text(sw, "from_bundle_id"), mousepadId);
    EXPECT_EQ(text(sw, "to_bundle_id"), qtWindowId);
    EXPECT_THAT(integer(sw, "dwell_s"), seconds(3, sinceStart));

    // Back to the first one: the second application's focus closes too (the first one's went
    // with the switch).
    advance(4);
    ASSERT_TRUE(editor.activate() && made("app.focus", 2));
    const Signal second = signalsOf("app.focus")[1];
    EXPECT_EQ(text(second, "bundle_id"), qtWindowId);
    EXPECT_THAT(integer(second, "duration_s"), seconds(4, sinceSwitch));

    // A new title of the window in front is a new window context.
    ASSERT_TRUE(qt.activate() && titled("Plain window"));
    const size_t contexts = signalsOf("window.context").size();
    advance(5);
    qt.send("title Plain window, renamed");
    ASSERT_TRUE(titled("Plain window, renamed"));
    EXPECT_TRUE(made("window.context", contexts + 1));

    // Everything emitted is in the store, as emitted.
    EXPECT_EQ(store_.pendingSignals(1000), recorded_);
}

TEST_F(CaptureOnDesktop, AWindowIsToldByItsRealProcessAndNoActiveWindowEndsTheFocus) {
    // A sandboxed application sets _NET_WM_PID to its own namespace's number, which here may
    // name an unrelated process; the server knows the real one.
    App editor = mousepad();
    App qt = qtWindow("Sandboxed", "Sandboxed");
    ASSERT_TRUE(editor.started() && qt.started() && editor.activate());
    ASSERT_TRUE(setProperty("-id " + qt.windowArg(),
                            QString("_NET_WM_PID 32c -set _NET_WM_PID %1").arg(editor.pid())));
    ASSERT_TRUE(startWith(qt));
    // The window id may be one a window of an earlier test had: wait for this process.
    EXPECT_TRUE(waitUntil([&] {
        const auto front = backend_->frontmostApplication();
        return front && front->bundleId == qtWindowId && front->pid == qt.pid();
    }));
    ASSERT_TRUE(inFront(qtWindowId));
    // What the window manager says while the desktop itself, or a window of another display
    // server, has the focus.
    ASSERT_TRUE(setProperty("-root", "_NET_ACTIVE_WINDOW 32x -set _NET_ACTIVE_WINDOW 0"));
    EXPECT_TRUE(waitUntil([&] { return !engine_.focusApp.has_value(); }));
}
