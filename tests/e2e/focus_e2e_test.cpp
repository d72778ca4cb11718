// Activation, window contexts and the agent's own windows, with real applications.
#include <gmock/gmock.h>

#include <QElapsedTimer>

#include "capture_fixture.h"

using DesktopDriver::App;

namespace {
// Sets a property with xprop: `target` is "-root" or "-id <window>".
bool setProperty(const QString& target, const QString& property) {
    return !DesktopDriver::run(QStringLiteral("sh"),
                               {QStringLiteral("-c"),
                                QStringLiteral("xprop %1 -f %2 && echo set").arg(target, property)})
                .isEmpty();
}
}  // namespace

TEST_F(CaptureOnDesktop, TwoApplicationsGiveFocusAndSwitchWithTheirIdsAndDwell) {
    App editor = mousepad();
    App qt = qtWindow(QStringLiteral("Plain window"), QStringLiteral("Hello"));
    ASSERT_TRUE(editor.started() && qt.started());
    // A freshly started application may still present itself (taking the focus) a moment after
    // its window shows, most of all at the first start on a new desktop; a bounce of the focus
    // in the middle of the test would be shorter than a focus and go unreported. Let both
    // settle before the test moves the focus.
    DesktopDriver::spin(1500);
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
    ASSERT_TRUE(engine_->focusApp.has_value());
    EXPECT_EQ(engine_->focusApp->bundle, mousepadId);
    EXPECT_EQ(engine_->focusApp->name, QStringLiteral("Mousepad"));

    advance(3);
    sinceSwitch.start();
    ASSERT_TRUE(qt.activate());
    ASSERT_TRUE(waitForSignal(QStringLiteral("app.switch")));
    const Signal sw = signalsOf(QStringLiteral("app.switch")).front();
    EXPECT_EQ(text(sw, QStringLiteral("from_bundle_id")), mousepadId);
    EXPECT_EQ(text(sw, QStringLiteral("to_bundle_id")), qtWindowId);
    EXPECT_THAT(integer(sw, QStringLiteral("dwell_s")), seconds(3, sinceStart));
    const auto focus = signalsOf(QStringLiteral("app.focus"));
    ASSERT_EQ(focus.size(), 1u);
    EXPECT_EQ(text(focus[0], QStringLiteral("bundle_id")), mousepadId);
    EXPECT_THAT(integer(focus[0], QStringLiteral("duration_s")), seconds(3, sinceStart));

    // Back to the first one: the second application's focus closes too.
    advance(4);
    ASSERT_TRUE(editor.activate());
    ASSERT_TRUE(DesktopDriver::waitUntil([&] {
        return signalsOf(QStringLiteral("app.focus")).size() == 2;
    })) << "engine's front "
        << engine_->focusApp.value_or(FocusedApp{}).bundle.toStdString();
    const Signal second = signalsOf(QStringLiteral("app.focus"))[1];
    EXPECT_EQ(text(second, QStringLiteral("bundle_id")), qtWindowId);
    EXPECT_THAT(integer(second, QStringLiteral("duration_s")), seconds(4, sinceSwitch));

    // Everything emitted is in the store, as emitted.
    std::vector<Signal> stored = store_.pendingSignals(1000);
    EXPECT_EQ(stored, recorded_);
}

TEST_F(CaptureOnDesktop, ATitleChangeOpensANewContext) {
    App qt = qtWindow(QStringLiteral("Roadmap draft"), QStringLiteral("Plans"));
    ASSERT_TRUE(startWith(qt));
    auto observedTitle = [&](const QString& title) {
        return DesktopDriver::waitUntil([&] {
            return engine_->lastObservation && engine_->lastObservation->title == title;
        });
    };
    ASSERT_TRUE(observedTitle(QStringLiteral("Roadmap draft")));
    const auto retitle = [&](const QString& title) {
        advance(5);
        qt.send(QStringLiteral("title ") + title);
        return observedTitle(title);
    };
    ASSERT_TRUE(retitle(QStringLiteral("Roadmap final")));
    ASSERT_EQ(signalsOf(QStringLiteral("window.context")).size(), 1u);
    ASSERT_TRUE(retitle(QStringLiteral("Roadmap review")));
    advance(5);
    capture_->stop(QStringLiteral("quit"));

    // Three contexts closed, each with its own title code.
    const auto contexts = signalsOf(QStringLiteral("window.context"));
    ASSERT_EQ(contexts.size(), 3u);
    QSet<QString> hashes;
    for (const Signal& s : contexts) {
        // Five pushed seconds plus the real ones the window poll took to notice.
        EXPECT_GE(integer(s, QStringLiteral("duration_s")), 5);
        EXPECT_LE(integer(s, QStringLiteral("duration_s")), 8);
        hashes.insert(text(s, QStringLiteral("title_hash")));
    }
    EXPECT_EQ(hashes.size(), 3);
    EXPECT_FALSE(hashes.contains(QString()));
}

TEST_F(CaptureOnDesktop, AWindowIsToldByItsRealProcessWhateverItsPidPropertySays) {
    // A sandboxed application sets _NET_WM_PID to its own namespace's number, which here may
    // name an unrelated process; the server knows the real one.
    App editor = mousepad();
    App qt = qtWindow(QStringLiteral("Sandboxed"), QStringLiteral("Sandboxed"));
    ASSERT_TRUE(editor.started() && qt.started() && editor.activate());
    ASSERT_TRUE(
        setProperty(QStringLiteral("-id ") + qt.windowArg(),
                    QStringLiteral("_NET_WM_PID 32c -set _NET_WM_PID %1").arg(editor.pid())));
    ASSERT_TRUE(qt.activate());
    // The window id may be one a window of an earlier test had: wait for this process.
    EXPECT_TRUE(DesktopDriver::waitUntil([&] {
        const auto front = backend_->frontmostApplication();
        return front && front->bundleId == qtWindowId && front->pid == qt.pid();
    }));
}

TEST_F(CaptureOnDesktop, NoActiveWindowEndsTheFocus) {
    App editor = mousepad();
    ASSERT_TRUE(startWith(editor));
    ASSERT_TRUE(engine_->focusApp.has_value());
    // What the window manager says while the desktop itself, or a window of another display
    // server, has the focus.
    ASSERT_TRUE(setProperty(QStringLiteral("-root"),
                            QStringLiteral("_NET_ACTIVE_WINDOW 32x -set _NET_ACTIVE_WINDOW 0")));
    EXPECT_TRUE(DesktopDriver::waitUntil([&] { return !engine_->focusApp.has_value(); }));
}
