// Activation, window contexts and the agent's own windows, with real applications.
#include <gmock/gmock.h>

#include <QElapsedTimer>

#include "capture_fixture.h"

using DesktopDriver::App;

namespace {
const QString mousepadId = QStringLiteral("org.xfce.mousepad");
QString qtWindow() { return QStringLiteral(E2E_QT_WINDOW); }
}  // namespace

TEST_F(CaptureOnDesktop, TwoApplicationsGiveFocusAndSwitchWithTheirIdsAndDwell) {
    App mousepad(QStringLiteral("mousepad"), {});
    App qt(qtWindow(), {QStringLiteral("Plain window"), QStringLiteral("Hello")});
    ASSERT_TRUE(mousepad.started() && qt.started());
    // The window manager gives a new window the focus a moment after it maps; let that happen
    // before the test moves the focus, or it may move it back in the middle of the test.
    DesktopDriver::waitUntil([&] {
        return DesktopDriver::run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}) ==
               qt.windowArg();
    }, 2000);
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
    App mousepad(QStringLiteral("mousepad"), {});
    App qt(qtWindow(), {QStringLiteral("Other"), QStringLiteral("Other")});
    ASSERT_TRUE(mousepad.started() && qt.started());
    ASSERT_TRUE(qt.activate());
    makeCapture(mousepad.pid());  // mousepad plays the agent here
    capture_->start();
    ASSERT_TRUE(engine_->focusApp.has_value());
    ASSERT_TRUE(mousepad.activate());
    DesktopDriver::xdotool({QStringLiteral("type"), QStringLiteral("abc")});
    // Two window polls later nothing about it has arrived.
    DesktopDriver::spin(3200);
    EXPECT_NE(engine_->focusApp->bundle, mousepadId);
    EXPECT_FALSE(engine_->lastObservation && engine_->lastObservation->bundleId == mousepadId);
    EXPECT_EQ(engine_->bKeys, 0);
}
