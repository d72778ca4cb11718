// The capture loop against a scripted desktop, with timers and workers driven by hand, feeding
// a real signal engine.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "capture/capture.h"
#include "fake_desktop.h"
#include "signals/signal_engine.h"

namespace {
const qint64 ownPid = 4242;
const RunningApplication editor{100, "org.example.Editor", "Editor", 11};
const RunningApplication viewer{200, "org.example.Viewer", QString()};
const RunningApplication agent{ownPid, "tarnwhistle", "Tarnwhistle"};
const std::vector<double> everyTimer{1.5, 5.0, 60.0};  // polls, idle, heartbeat

class CaptureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        engine.configProvider = [this] { return config; };
        engine.sink = [this](const Signal& s) { emitted.push_back(s); };
        engine.events = &events;
        desktop.front = editor;
        desktop.nextSnapshot = Snapshot{"Plan.txt", std::nullopt, std::nullopt};
        desktop.changeCount = 7;  // a copy made before capture began is never one
        capture = std::make_unique<Capture>(
            engine, desktop, scheduler, [this] { return config; }, ownPid);
    }

    // Starts and lets the first poll finish, so a window context is open.
    void startWithContext() {
        capture->start();
        scheduler.drain();
        ASSERT_TRUE(engine.context.has_value());
    }
    void poll() {
        scheduler.fire(Capture::windowPollInterval);
        scheduler.drain();
    }
    // Asks for the current window's snippet (unless `ask` is false: one is pending already),
    // lets the delay pass and the read come back.
    void snippet(bool ask = true) {
        if (ask) capture->scheduleSnippet(*engine.lastObservation);
        scheduler.fire(Capture::snippetDelay);
        scheduler.drain();
    }
    // Whether a key pressed now reaches the engine.
    bool keyCounts() {
        const qint64 before = engine.bucketKeys;
        desktop.key();
        return engine.bucketKeys > before;
    }
    // The application the engine has in front; empty for none.
    QString front() const { return engine.focusApp ? engine.focusApp->bundle : QString(); }
    int count(const QString& type) const {
        return int(std::count_if(emitted.begin(), emitted.end(),
                                 [&](const Signal& s) { return s.type == type; }));
    }

    DeploymentConfig config;
    EventLog events;
    SignalEngine engine{[this] { return scheduler.clock; }};
    FakeDesktop desktop;
    ManualScheduler scheduler;
    std::unique_ptr<Capture> capture;
    std::vector<Signal> emitted;
};
}  // namespace

TEST_F(CaptureTest, StartAndStopHappenOnceAndStopLeavesNothingRunning) {
    capture->start();
    capture->start();
    EXPECT_EQ(scheduler.repeatingIntervals(), everyTimer);
    EXPECT_EQ(desktop.snapshots, 0) << "the poll runs on the worker";
    scheduler.drain();
    EXPECT_EQ(desktop.snapshots, 1);
    EXPECT_EQ(engine.lastObservation, (WindowObservation{editor.bundleId, editor.name, "Plan.txt",
                                                         std::nullopt, std::nullopt}));

    capture->stop("pause");
    capture->stop("pause");
    EXPECT_TRUE(scheduler.timers.empty()) << "timers and the pending snippet";
    EXPECT_FALSE(desktop.monitorInstalled);
    desktop.activate(viewer);
    EXPECT_FALSE(engine.focusApp.has_value()) << "an activation after stop reaches nothing";

    // A poll already under way when stop runs delivers nothing.
    capture->start();
    engine.lastObservation.reset();
    capture->stop("quit");
    scheduler.drain();
    EXPECT_FALSE(engine.lastObservation.has_value());
}

TEST_F(CaptureTest, AtMostOneWindowPollIsUnderWayAndNoneWithoutTrust) {
    capture->start();
    scheduler.fire(Capture::windowPollInterval);  // the start-up poll is still queued
    EXPECT_EQ(scheduler.poll.size(), 1u);
    desktop.activate(viewer);  // the user moves on while the editor's read is under way
    scheduler.drain();
    EXPECT_EQ(front(), viewer.bundleId);
    EXPECT_EQ(engine.lastObservation->bundleId, viewer.bundleId) << "booked to the editor";
    poll();
    EXPECT_EQ(desktop.snapshots, 3) << "at start, on the activation, the poll";

    desktop.trusted = false;
    scheduler.fire(Capture::windowPollInterval);
    EXPECT_TRUE(scheduler.poll.empty());

    // An absent snapshot reports nothing and frees the next poll.
    desktop.trusted = true;
    desktop.nextSnapshot.reset();
    engine.lastObservation.reset();
    poll();
    EXPECT_FALSE(engine.lastObservation.has_value());
    scheduler.fire(Capture::windowPollInterval);
    EXPECT_EQ(scheduler.poll.size(), 1u);
}

TEST_F(CaptureTest, EachClipboardChangeIsOneCopyNamedByItsTypes) {
    startWithContext();
    EXPECT_FALSE(engine.lastCopy.has_value());

    desktop.copy({"TARGETS", "image/png"});
    ASSERT_TRUE(engine.lastCopy.has_value());
    EXPECT_EQ(engine.lastCopy->type, "image");
    engine.lastCopy.reset();
    emit desktop.clipboardChanged();  // the count did not move
    EXPECT_FALSE(engine.lastCopy.has_value());

    // Copies while stopped count once, at the next start.
    capture->stop("pause");
    desktop.copy({"UTF8_STRING"});
    desktop.copy({"UTF8_STRING"});
    EXPECT_FALSE(engine.lastCopy.has_value());
    capture->start();
    EXPECT_EQ(engine.lastCopy->type, "text");
}

// Input counts only from the monitor while the user works in another application; counting does
// not wait for the accessibility switch.
TEST_F(CaptureTest, IdleStartsAtTheThresholdPollingRestsWhileAwayAndInputCountsWhileHere) {
    config.idleThresholdSeconds = 60;
    desktop.monitorAvailable = false;
    desktop.trusted = false;
    capture->start();
    const std::vector<double> here{1.5, 3.0, 5.0, 60.0}, away{3.0, 5.0};
    EXPECT_EQ(scheduler.repeatingIntervals(), here);
    desktop.idleSeconds = 59.9;
    scheduler.fire(Capture::idlePollInterval);
    EXPECT_EQ(engine.presence, Presence::active);

    scheduler.clock += 100;
    desktop.idleSeconds = 60;
    scheduler.fire(Capture::idlePollInterval);
    EXPECT_EQ(engine.presence, Presence::idle);
    EXPECT_DOUBLE_EQ(engine.presenceSince, scheduler.clock - 60);
    EXPECT_EQ(scheduler.repeatingIntervals(), away);
    desktop.idleSeconds.reset();  // unknown idle time is no activity
    scheduler.fire(Capture::idlePollInterval);
    EXPECT_EQ(engine.presence, Presence::idle);

    desktop.idleSeconds = 0.5;
    scheduler.fire(Capture::idlePollInterval);
    EXPECT_EQ(engine.presence, Presence::active);
    EXPECT_EQ(scheduler.repeatingIntervals(), here);
    emit desktop.screenLocked();
    EXPECT_EQ(scheduler.repeatingIntervals(), away);
    emit desktop.screenUnlocked();
    EXPECT_FALSE(keyCounts()) << "no monitor";
    desktop.monitorAvailable = true;
    scheduler.fire(Capture::inputMonitorRetryInterval);
    EXPECT_EQ(scheduler.repeatingIntervals(), everyTimer) << "the retry ends with the monitor in";
    desktop.key(true);
    for (auto kind :
         {InputEvent::Kind::leftDown, InputEvent::Kind::rightDown, InputEvent::Kind::scroll})
        emit desktop.inputEvent({kind, false, false});
    EXPECT_EQ(engine.bucketKeys, 1);
    EXPECT_EQ(engine.burstBackspaces, 1);
    EXPECT_EQ(engine.bucketClicks, 2);
    EXPECT_EQ(engine.bucketScrolls, 1);

    config.paused = true;
    EXPECT_FALSE(keyCounts()) << "paused";
    config.paused = false;
    desktop.front = agent;
    EXPECT_FALSE(keyCounts()) << "typing into the agent's own window";
    desktop.front = editor;
    emit desktop.screenLocked();
    EXPECT_FALSE(keyCounts()) << "at the lock screen";
    emit desktop.screenUnlocked();
    EXPECT_TRUE(keyCounts()) << "unlocked";
    emit desktop.willSleep();
    EXPECT_FALSE(keyCounts()) << "asleep";
    emit desktop.didWake();
    EXPECT_TRUE(keyCounts()) << "awake";
    desktop.trusted = true;
    desktop.nextSnapshot->passwordFocused = true;
    poll();
    EXPECT_FALSE(keyCounts()) << "in a focused password field";
    desktop.nextSnapshot->passwordFocused = false;
    poll();
    EXPECT_TRUE(keyCounts()) << "out of the password field";
}

// No front application ends the focus without a successor; losing the display is away time until
// it comes back.
TEST_F(CaptureTest, NoFrontApplicationOrNoDisplayEndsTheFocus) {
    startWithContext();
    scheduler.clock += 30;
    desktop.front.reset();
    emit desktop.noFrontApplication();
    EXPECT_FALSE(engine.focusApp.has_value());
    EXPECT_EQ(count("app.focus"), 1);
    // Neither the agent itself nor a nameless application is ever observed.
    desktop.activate(agent);
    poll();
    desktop.activate({300, QString(), "Nameless"});
    poll();
    EXPECT_FALSE(engine.focusApp.has_value());
    EXPECT_EQ(desktop.snapshots, 1) << "the editor's, at start";
    scheduler.clock += 30;
    desktop.activate(viewer);
    EXPECT_EQ(count("app.switch"), 0) << "nothing came before the viewer";
    EXPECT_EQ(engine.focusApp->name, viewer.bundleId) << "the name falls back to the id";
    scheduler.drain();

    emit desktop.displayLost();
    EXPECT_EQ(engine.presence, Presence::locked);
    EXPECT_FALSE(engine.focusApp.has_value());
    // Idle time is unknown, not zero: nothing turns it into activity; no poll, no input, and an
    // unlock changes nothing.
    desktop.idleSeconds.reset();
    scheduler.fire(Capture::idlePollInterval);
    scheduler.fire(Capture::windowPollInterval);
    emit desktop.screenUnlocked();
    EXPECT_FALSE(keyCounts());
    EXPECT_EQ(engine.presence, Presence::locked);
    EXPECT_TRUE(scheduler.poll.empty());

    desktop.idleSeconds = 0;
    desktop.front = editor;
    emit desktop.displayRestored();
    EXPECT_EQ(engine.presence, Presence::active);
    EXPECT_EQ(front(), editor.bundleId);

    // The heartbeat is logged only while active, even with its timer still running.
    scheduler.fire(Capture::heartbeatInterval);
    engine.screenLocked();
    scheduler.fire(Capture::heartbeatInterval);
    EXPECT_EQ(std::count_if(events.events().begin(), events.events().end(),
                            [](const LocalEvent& e) { return e.kind == EventKind::heartbeat; }),
              1);
}

// Only the latest request is read, and only from the observed window, for a signal that uses it.
TEST_F(CaptureTest, SnippetsComeFromTheObservedWindowAndArePicturedOnlyWhenShort) {
    desktop.sampleText = "Notes from the observed window, long enough to keep";
    startWithContext();  // the new context asked for a snippet
    snippet();
    EXPECT_EQ(desktop.samples, 1) << "only the latest request";
    EXPECT_EQ(desktop.lastSamplePid, editor.pid);
    EXPECT_EQ(engine.contextSnippets, (std::vector<QString>{desktop.sampleText}));
    EXPECT_EQ(desktop.screenshots, 0);

    config.enabledSignals["work.category"] = false;
    config.enabledSignals["task.label"] = false;
    snippet();
    EXPECT_EQ(desktop.samples, 1) << "no signal uses the snippet";
    config.enabledSignals["task.label"] = true;  // one is enough: the last case reads
    const RunningApplication otherWindow{editor.pid, editor.bundleId, editor.name, 12};
    const auto otherInFront = [&] { desktop.front = otherWindow; };
    const auto otherAddress = [&] {
        desktop.freshSnapshot = desktop.nextSnapshot;
        desktop.freshSnapshot->url = "https://excluded.example/";
    };
    const struct {
        const char* what;
        std::function<void()> beforeRead, duringRead;
        bool sampled, delivered;
    } cases[] = {
        {"another application is in front", [&] { desktop.front = viewer; }, [] {}, false, false},
        {"another window of the process came to the front", otherInFront, [] {}, false, false},
        {"the user moved to another window during the read", [] {}, otherInFront, true, false},
        {"the address changed under the same title", otherAddress, [] {}, false, false},
        {"the window is still the observed one", [] {}, [] {}, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        desktop.front = editor;
        desktop.freshSnapshot.reset();
        const int samples = desktop.samples;
        engine.contextSnippets.clear();
        capture->scheduleSnippet(*engine.lastObservation);
        c.beforeRead();
        scheduler.fire(Capture::snippetDelay);
        scheduler.drain({&scheduler.poll});
        c.duringRead();
        scheduler.drain();
        EXPECT_EQ(desktop.samples > samples, c.sampled);
        EXPECT_EQ(!engine.contextSnippets.empty(), c.delivered);
    }

    // A short sample falls back to a picture of the window, without a password field.
    config.screenshotReader = true;
    desktop.sampleText = QString(39, QLatin1Char('a'));
    desktop.screenshot = "Text seen in the picture of the window";
    snippet();
    EXPECT_EQ(desktop.lastScreenshotWindow, editor.window);
    EXPECT_EQ(engine.contextSnippets.back(), desktop.screenshot);

    desktop.screenshot.clear();
    snippet();
    EXPECT_EQ(engine.contextSnippets.back(), desktop.sampleText) << "nothing recognised";

    desktop.sampleText = QString(40, QLatin1Char('b'));
    snippet();
    EXPECT_EQ(engine.contextSnippets.back(), desktop.sampleText) << "forty characters are enough";

    // A password field in the sample, or focused in a fresh read: never pictured.
    desktop.sampleText = "Sign in";
    desktop.screenshot = "Text seen in the picture of the window";
    desktop.samplePasswordField = true;
    snippet();
    desktop.samplePasswordField = false;
    desktop.freshSnapshot = desktop.nextSnapshot;
    desktop.freshSnapshot->passwordFocused = true;
    snippet();
    EXPECT_EQ(desktop.screenshots, 2) << "one for the empty picture, none since";
    EXPECT_EQ(engine.contextSnippets.back(), desktop.sampleText);
}

// A Wayland-like session: front window and titles only. Nothing that needs a missing source is
// emitted, not even as zeros, and no retry waits for an input monitor that cannot exist.
TEST_F(CaptureTest, ASourceTheSessionLacksIsNeverStoodInFor) {
    config.idleThresholdSeconds = 60;
    config.screenshotReader = true;
    desktop.sampleText = "short";
    desktop.idleSeconds = 600;
    Capture partial(
        engine, DesktopBackend{.frontWindow = &desktop, .reader = &desktop}, scheduler,
        [this] { return config; }, ownPid);
    partial.start();
    scheduler.drain();
    EXPECT_EQ(scheduler.repeatingIntervals(), everyTimer);
    scheduler.fire(Capture::idlePollInterval);
    desktop.copy({"text/plain"});
    desktop.key();
    snippet(false);
    EXPECT_EQ(engine.presence, Presence::active);
    EXPECT_EQ(engine.bucketKeys, 0);
    EXPECT_EQ(desktop.screenshots, 0);
    EXPECT_EQ(desktop.samples, 1);
    scheduler.clock += 30;
    desktop.activate(viewer);
    EXPECT_EQ(front(), viewer.bundleId);
    partial.stop("quit");
    EXPECT_EQ(count("copy.detected"), 0);
    EXPECT_EQ(count("app.focus"), 1);

    // With neither a front window nor idle time nothing says anyone is here: no presence at all.
    emitted.clear();
    Capture blind(
        engine, DesktopBackend{.locks = &desktop}, scheduler, [this] { return config; }, ownPid);
    blind.start();
    emit desktop.screenLocked();
    scheduler.clock += 3600;
    blind.stop("quit");
    EXPECT_TRUE(scheduler.timers.empty());
    EXPECT_TRUE(emitted.empty());
}
