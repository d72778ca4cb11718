// A scripted desktop with every capability, as on X11, and hand-driven timers and workers for
// testing the capture loop.
#pragma once

#include <algorithm>
#include <deque>
#include <map>
#include <vector>

#include "capture/capture_scheduler.h"
#include "capture/desktop_backend.h"

class FakeDesktop : public FrontWindowSource,
                    public IdleSource,
                    public LockSource,
                    public InputSource,
                    public ClipboardSource,
                    public WindowReader,
                    public WindowPicture {
  public:
    std::optional<RunningApplication> front;
    std::optional<double> idleSeconds = 0;
    bool monitorAvailable = true, monitorInstalled = false;
    quint64 changeCount = 0;
    QStringList types;
    bool trusted = true;
    std::optional<Snapshot> nextSnapshot;
    std::optional<Snapshot> freshSnapshot;  // what a fresh read finds, when it differs
    QString sampleText, screenshot;
    bool samplePasswordField = false;
    int snapshots = 0, samples = 0, screenshots = 0;
    qint64 lastSamplePid = 0;
    quint64 lastScreenshotWindow = 0;

    operator DesktopBackend() { return DesktopBackend::all(*this); }
    void activate(const RunningApplication& app) {
        front = app;
        applicationActivated(app);
    }
    void key(bool backspace = false) { inputEvent({InputEvent::Kind::keyDown, backspace, false}); }
    void copy(QStringList newTypes) {
        ++changeCount;
        types = std::move(newTypes);
        clipboardChanged();
    }

    std::optional<RunningApplication> frontmostApplication() override { return front; }
    QList<RunningApplication> runningApplications() override { return {}; }
    std::optional<double> secondsSinceLastInput() override { return idleSeconds; }
    bool installInputMonitor() override { return monitorInstalled = monitorAvailable; }
    void removeInputMonitor() override { monitorInstalled = false; }
    quint64 clipboardChangeCount() override { return changeCount; }
    QStringList clipboardTypes() override { return types; }
    bool isAccessibilityTrusted() override { return trusted; }
    std::optional<Snapshot> snapshot(qint64, const QString&, Reading reading) override {
        ++snapshots;
        return reading == Reading::fresh && freshSnapshot ? freshSnapshot : nextSnapshot;
    }
    TextSample textSample(qint64 pid, const QString&, int, int) override {
        ++samples;
        lastSamplePid = pid;
        return {sampleText, samplePasswordField};
    }
    QString screenshotText(qint64, quint64 window, int) override {
        ++screenshots;
        lastScreenshotWindow = window;
        return screenshot;
    }
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

    // Fires every timer with this interval once (one-shots end). Actions may add or cancel
    // timers, so the due ones are taken from a copy and fired only while still set.
    void fire(double seconds) {
        for (const auto& [id, timer] : std::map(timers)) {
            if (timer.seconds != seconds || !timers.count(id)) continue;
            if (!timer.repeating) timers.erase(id);
            timer.action();
        }
    }
    std::vector<double> repeatingIntervals() const {
        std::vector<double> out;
        for (const auto& [id, timer] : timers)
            if (timer.repeating) out.push_back(timer.seconds);
        std::sort(out.begin(), out.end());
        return out;
    }
    // Runs the queued work of `queues` until none is left, each queue's in order.
    void drain(std::vector<std::deque<std::function<void()>>*> queues = {}) {
        if (queues.empty()) queues = {&poll, &recognition, &main};
        while (std::any_of(queues.begin(), queues.end(), [](auto* q) { return !q->empty(); })) {
            for (auto* queue : queues) {
                while (!queue->empty()) {
                    auto work = std::move(queue->front());
                    queue->pop_front();
                    work();
                }
            }
        }
    }
};
