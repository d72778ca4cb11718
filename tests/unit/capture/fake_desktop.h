// A scripted desktop and hand-driven timers and workers for testing the capture loop.
#pragma once

#include <algorithm>
#include <deque>
#include <map>
#include <vector>

#include "capture/capture_scheduler.h"
#include "capture/desktop_backend.h"

// One recording fake per capability; a test session combines the ones it needs.
class FakeFrontWindow : public FrontWindowSource {
  public:
    std::optional<RunningApplication> front;

    std::optional<RunningApplication> frontmostApplication() override { return front; }
    QList<RunningApplication> runningApplications() override { return {}; }
    void activate(const RunningApplication& app) {
        front = app;
        applicationActivated(app);
    }
};

class FakeIdle : public IdleSource {
  public:
    std::optional<double> idleSeconds = 0;
    std::optional<double> secondsSinceLastInput() override { return idleSeconds; }
};

class FakeLocks : public LockSource {};

class FakeInput : public InputSource {
  public:
    bool monitorAvailable = true;
    bool monitorInstalled = false;
    bool installInputMonitor() override { return monitorInstalled = monitorAvailable; }
    void removeInputMonitor() override { monitorInstalled = false; }
    void key(bool backspace = false, bool paste = false) {
        inputEvent({InputEvent::Kind::keyDown, backspace, paste});
    }
};

class FakeClipboard : public ClipboardSource {
  public:
    quint64 changeCount = 0;
    QStringList types;
    quint64 clipboardChangeCount() override { return changeCount; }
    QStringList clipboardTypes() override { return types; }
    void copy(QStringList newTypes) {
        ++changeCount;
        types = std::move(newTypes);
        clipboardChanged();
    }
};

class FakeReader : public WindowReader {
  public:
    bool trusted = true;
    std::optional<Snapshot> nextSnapshot;
    std::optional<Snapshot> freshSnapshot;  // what a fresh read finds, when it differs
    QString sampleText;
    bool samplePasswordField = false;
    int snapshots = 0, freshReads = 0, samples = 0;
    qint64 lastSamplePid = 0;

    bool isAccessibilityTrusted() override { return trusted; }
    std::optional<Snapshot> snapshot(qint64, const QString&, Reading reading) override {
        if (reading == Reading::fresh) {
            ++freshReads;
            return freshSnapshot ? freshSnapshot : nextSnapshot;
        }
        ++snapshots;
        return nextSnapshot;
    }
    TextSample textSample(qint64 pid, const QString&, int, int) override {
        ++samples;
        lastSamplePid = pid;
        return {sampleText, samplePasswordField};
    }
};

class FakePicture : public WindowPicture {
  public:
    QString screenshot;
    int screenshots = 0;
    quint64 lastScreenshotWindow = 0;
    QString screenshotText(qint64, quint64 window, int) override {
        ++screenshots;
        lastScreenshotWindow = window;
        return screenshot;
    }
};

// A desktop with every capability, as on X11.
class FakeDesktop : public FakeFrontWindow,
                    public FakeIdle,
                    public FakeLocks,
                    public FakeInput,
                    public FakeClipboard,
                    public FakeReader,
                    public FakePicture {
  public:
    operator DesktopBackend() { return DesktopBackend::all(*this); }
};

class ManualScheduler : public CaptureScheduler {
  public:
    struct Timer {
        double seconds;
        bool repeating;
        std::function<void()> action;
    };
    std::map<TimerId, Timer> timers;
    std::deque<std::function<void()>> poll, recognition, main;
    TimePoint clock = 1'750'000'000;
    TimerId next = 1;

    TimerId every(double seconds, std::function<void()> action) override {
        timers[next] = {seconds, true, std::move(action)};
        return next++;
    }
    TimerId after(double seconds, std::function<void()> action) override {
        timers[next] = {seconds, false, std::move(action)};
        return next++;
    }
    void cancel(TimerId id) override { timers.erase(id); }
    void post(Queue queue, std::function<void()> work) override {
        (queue == Queue::poll ? poll : recognition).push_back(std::move(work));
    }
    void toMain(std::function<void()> action) override { main.push_back(std::move(action)); }
    TimePoint now() override { return clock; }

    // Fires every timer with this interval once (one-shots end).
    void fire(double seconds) {
        std::vector<TimerId> due;
        for (const auto& [id, timer] : timers)
            if (timer.seconds == seconds) due.push_back(id);
        for (TimerId id : due) {
            auto it = timers.find(id);
            if (it == timers.end()) continue;
            auto action = it->second.action;
            if (!it->second.repeating) timers.erase(it);
            action();
        }
    }
    std::vector<double> repeatingIntervals() const {
        std::vector<double> out;
        for (const auto& [id, timer] : timers)
            if (timer.repeating) out.push_back(timer.seconds);
        std::sort(out.begin(), out.end());
        return out;
    }
    // Runs all queued work: workers first, then what they handed to the main thread.
    void drain() {
        while (!poll.empty() || !recognition.empty() || !main.empty()) {
            for (auto* queue : {&poll, &recognition, &main}) {
                while (!queue->empty()) {
                    auto work = std::move(queue->front());
                    queue->pop_front();
                    work();
                }
            }
        }
    }
};
