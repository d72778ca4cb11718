// Activation, window contexts and the agent's own windows, with real applications.
#include <gmock/gmock.h>

#include <QElapsedTimer>

#include "capture_fixture.h"

using DesktopDriver::App;

namespace {
const QString mousepadId = QStringLiteral("org.xfce.mousepad");
const QString qtId = QStringLiteral("tarnwhistle-e2e-window");
QString qtWindow() { return QStringLiteral(E2E_QT_WINDOW); }
}  // namespace

TEST_F(CaptureOnDesktop, TwoApplicationsGiveFocusAndSwitchWithTheirIdsAndDwell) {
    App mousepad(QStringLiteral("mousepad"), {QStringLiteral("--disable-server")});
    App qt(qtWindow(), {QStringLiteral("Plain window"), QStringLiteral("Hello")});
    ASSERT_TRUE(mousepad.started() && qt.started());
    // A freshly started application may still present itself (taking the focus) a moment after
    // its window shows, most of all at the first start on a new desktop; a bounce of the focus
    // in the middle of the test would be shorter than a focus and go unreported. Let both
    // settle before the test moves the focus.
    DesktopDriver::spin(1500);
    ASSERT_TRUE(mousepad.activate());
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
    const QString qtId = text(sw, QStringLiteral("to_bundle_id"));
    EXPECT_EQ(qtId, QStringLiteral("tarnwhistle-e2e-window"));
    EXPECT_THAT(integer(sw, QStringLiteral("dwell_s")), seconds(3, sinceStart));
    const auto focus = signalsOf(QStringLiteral("app.focus"));
    ASSERT_EQ(focus.size(), 1u);
    EXPECT_EQ(text(focus[0], QStringLiteral("bundle_id")), mousepadId);
    EXPECT_THAT(integer(focus[0], QStringLiteral("duration_s")), seconds(3, sinceStart));

    // Back to the first one: the second application's focus closes too.
    advance(4);
    ASSERT_TRUE(mousepad.activate());
    ASSERT_TRUE(DesktopDriver::waitUntil(
        [&] { return signalsOf(QStringLiteral("app.focus")).size() == 2; }))
        << "presence " << int(engine_->presence) << ", engine's front "
        << engine_->focusApp.value_or(FocusedApp{}).bundle.toStdString() << ", backend's front "
        << backend_->frontmostApplication().value_or(RunningApplication{}).bundleId.toStdString()
        << " (pid " << backend_->frontmostApplication().value_or(RunningApplication{}).pid
        << "), mousepad pid " << mousepad.pid() << ", switches " << [&] {
               std::string all;
               for (const Signal& s : signalsOf(QStringLiteral("app.switch")))
                   all += text(s, QStringLiteral("to_bundle_id")).toStdString() + " ";
               return all;
           }();
    const Signal second = signalsOf(QStringLiteral("app.focus"))[1];
    EXPECT_EQ(text(second, QStringLiteral("bundle_id")), qtId);
    EXPECT_THAT(integer(second, QStringLiteral("duration_s")), seconds(4, sinceSwitch));

    // Everything emitted is in the store, as emitted.
    std::vector<Signal> stored = store_.pendingSignals(1000);
    EXPECT_EQ(stored, recorded_);
}

TEST_F(CaptureOnDesktop, TitleChangeOpensANewContextAndAnExcludedTitleGivesNone) {
    App qt(qtWindow(), {QStringLiteral("Roadmap draft"), QStringLiteral("Plans")});
    ASSERT_TRUE(qt.started());
    ASSERT_TRUE(qt.activate());
    makeCapture();
    capture_->start();
    auto observedTitle = [&](const QString& title) {
        return DesktopDriver::waitUntil([&] {
            return engine_->lastObservation && engine_->lastObservation->title == title;
        });
    };
    ASSERT_TRUE(observedTitle(QStringLiteral("Roadmap draft")));
    advance(5);
    auto rename = [&](const QString& title) {
        qt.send(QStringLiteral("title ") + title);
    };
    rename(QStringLiteral("Roadmap final"));
    ASSERT_TRUE(observedTitle(QStringLiteral("Roadmap final")));
    ASSERT_EQ(signalsOf(QStringLiteral("window.context")).size(), 1u);
    advance(5);
    rename(QStringLiteral("My salary 2025"));
    ASSERT_TRUE(observedTitle(QStringLiteral("My salary 2025")));
    EXPECT_TRUE(engine_->contextExcluded);
    advance(5);
    rename(QStringLiteral("Roadmap review"));
    ASSERT_TRUE(observedTitle(QStringLiteral("Roadmap review")));
    advance(5);
    capture_->stop(QStringLiteral("quit"));

    // Three contexts closed with their own title codes; the excluded window made none.
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

TEST_F(CaptureOnDesktop, TheAgentsOwnWindowIsNeverObserved) {
    // The Qt window plays the agent: typing into it leaves nothing behind, where an editor
    // would be left with an unsaved document (and a save prompt) for the next test.
    App mousepad(QStringLiteral("mousepad"), {QStringLiteral("--disable-server")});
    App qt(qtWindow(), {QStringLiteral("Agent"), QStringLiteral("Agent")});
    ASSERT_TRUE(mousepad.started() && qt.started());
    ASSERT_TRUE(mousepad.activate());
    makeCapture(qt.pid());
    capture_->start();
    ASSERT_TRUE(engine_->focusApp.has_value());
    ASSERT_TRUE(qt.activate());
    DesktopDriver::xdotool({QStringLiteral("type"), QStringLiteral("abc")});
    // Two window polls later nothing about it has arrived.
    DesktopDriver::spin(3200);
    ASSERT_TRUE(engine_->focusApp.has_value());
    EXPECT_NE(engine_->focusApp->bundle, qtId);
    EXPECT_FALSE(engine_->lastObservation && engine_->lastObservation->bundleId == qtId);
    EXPECT_EQ(engine_->bucketKeys, 0);
}

TEST_F(CaptureOnDesktop, AWindowIsToldByItsRealProcessWhateverItsPidPropertySays) {
    // A sandboxed application sets _NET_WM_PID to its own namespace's number, which here may
    // name an unrelated process; the server knows the real one.
    App mousepad(QStringLiteral("mousepad"), {QStringLiteral("--disable-server")});
    App qt(qtWindow(), {QStringLiteral("Sandboxed"), QStringLiteral("Sandboxed")});
    ASSERT_TRUE(mousepad.started() && qt.started());
    ASSERT_TRUE(mousepad.activate());
    ASSERT_FALSE(DesktopDriver::run(QStringLiteral("sh"),
                                    {QStringLiteral("-c"),
                                     QStringLiteral("xprop -id %1 -f _NET_WM_PID 32c -set "
                                                    "_NET_WM_PID %2 && echo set")
                                         .arg(qt.windowArg())
                                         .arg(mousepad.pid())})
                     .isEmpty());
    ASSERT_TRUE(qt.activate());
    // The window id may be one a window of an earlier test had: wait for this process.
    EXPECT_TRUE(DesktopDriver::waitUntil([&] {
        const auto front = backend_->frontmostApplication();
        return front && front->bundleId == qtId && front->pid == qt.pid();
    })) << "front process " << backend_->frontmostApplication().value_or(RunningApplication{}).pid
        << ", the window's real one " << qt.pid() << ", its pid property " << mousepad.pid();
}

TEST_F(CaptureOnDesktop, NoActiveWindowEndsTheFocus) {
    App mousepad(QStringLiteral("mousepad"), {QStringLiteral("--disable-server")});
    ASSERT_TRUE(mousepad.started() && mousepad.activate());
    makeCapture();
    capture_->start();
    ASSERT_TRUE(engine_->focusApp.has_value());
    // What the window manager says while the desktop itself, or a window of another display
    // server, has the focus.
    ASSERT_FALSE(DesktopDriver::run(QStringLiteral("sh"),
                                    {QStringLiteral("-c"),
                                     QStringLiteral("xprop -root -f _NET_ACTIVE_WINDOW 32x -set "
                                                    "_NET_ACTIVE_WINDOW 0 && echo set")})
                     .isEmpty());
    EXPECT_TRUE(DesktopDriver::waitUntil([&] { return !engine_->focusApp.has_value(); }));
}
