// A generated, realistic 8-hour working day for replays and benchmarks.
//
// The day: 08:00 to 16:00 UTC on a Monday. Work happens in segments of a few seconds to a few
// minutes in one application (typing bursts, clicks, scroll gestures, reading pauses, tab and
// document changes, copies pasted into the next application), interrupted by a coffee break that
// goes idle, two screen locks, a lunch break that goes idle and then locks, and a short visit to
// an excluded password manager. Around the user's actions the capture loop's rhythm is played:
// window polls every 1.5 s (none while locked), the idle poll and tick every 5 s (idle after
// 180 s without input), and a text sample 2 s after each new window.
#include <QDateTime>
#include <QTimeZone>
#include <random>

#include "replay/trace_call.h"
#include "replay/workday_trace.h"

namespace tarnwhistle {

namespace {

using Op = TraceCall::Op;

// Portable draws: the standard distributions differ between libraries, the engine does not.
struct Draw {
    std::mt19937_64 bits;
    double uniform() { return double(bits() >> 11) * 0x1.0p-53; }
    double between(double low, double high) { return low + (high - low) * uniform(); }
    std::size_t index(std::size_t count) { return std::size_t(uniform() * double(count)); }
    bool chance(double p) { return uniform() < p; }
};

struct Window {
    const char* title;
    const char* url;  // nullptr: none
    const char* document;
    const char* sample;
};

struct App {
    const char* bundleId;
    const char* name;
    double weight;  // how often work happens here
    double typing;  // share of actions that are typing bursts
    std::vector<Window> windows;
};

const std::vector<App>& apps() {
    static const std::vector<App> table = {
        {"org.mozilla.firefox",
         "Firefox",
         3.0,
         0.25,
         {
             {"Fix hour split · Pull Request #42 · tarn/engine",
              "https://github.com/tarn/engine/pull/42", nullptr,
              "Review requested. The hour close counts the open focus up to the tick."},
             {"Q1 planning notes - Google Docs", "https://docs.google.com/document/d/1AbCdEf/edit",
              nullptr, "Goals for the quarter. Owner: Jane Doe, jane.doe@example.com."},
             {"Budget 2026 - Google Sheets", "https://docs.google.com/spreadsheets/d/1XyZ9/edit",
              nullptr, "Travel 12,400  Licences 8,100  Hardware 22,750"},
             {"Inbox (12) - jane.doe@example.com - Gmail",
              "https://mail.google.com/mail/u/0/#inbox", nullptr,
              "Re: supplier invoice, call me on +44 20 7946 0958 tomorrow."},
             {"[ENG-1234] Crash on resume - Jira", "https://example.atlassian.net/browse/ENG-1234",
              nullptr, "Steps to reproduce: lock the screen while idle, unlock."},
             {"c++ - QTimer single shot - Stack Overflow",
              "https://stackoverflow.com/questions/123456/qtimer-single-shot", nullptr,
              "Use QTimer::singleShot with a context object."},
             {"Exponential backoff - Wikipedia",
              "https://en.wikipedia.org/wiki/Exponential_backoff", nullptr,
              "Exponential backoff is an algorithm that uses feedback."},
             {"PayPal: Summary", "https://www.paypal.com/myaccount/summary", nullptr,
              "Balance and recent activity."},
             {"Change password - Account settings", "https://accounts.example.org/security",
              nullptr, "Current password, new password."},
             {"Mozilla Firefox Private Browsing", nullptr, nullptr, ""},
         }},
        {"com.microsoft.VSCode",
         "Code",
         3.0,
         0.7,
         {
             {"focus.cpp - engine - Visual Studio Code", nullptr,
              "file:///home/jane/src/engine/focus.cpp", "void closeFocus(double t) {"},
             {"summaries.cpp - engine - Visual Studio Code", nullptr,
              "file:///home/jane/src/engine/summaries.cpp", "void flushHour(double end) {"},
             {"README.md - engine - Visual Studio Code", nullptr,
              "file:///home/jane/src/engine/README.md", "Replaying a trace"},
         }},
        {"org.gnome.Terminal",
         "Terminal",
         1.5,
         0.6,
         {
             {"jane@box: ~/src/engine", nullptr, nullptr, "$ ctest --output-on-failure"},
             {"jane@box: ~/src/engine/build", nullptr, nullptr, "$ ninja -j2"},
         }},
        {"com.tinyspeck.slackmacgap",
         "Slack",
         1.5,
         0.55,
         {
             {"general (Channel) - Acme - Slack", nullptr, nullptr,
              "Standup in five minutes. Ping Tom Baker if you are late."},
             {"Tom Baker (DM) - Acme - Slack", nullptr, nullptr, "Can you look at the PR?"},
         }},
        {"org.libreoffice.LibreOffice",
         "LibreOffice Calc",
         1.0,
         0.5,
         {
             {"Expenses March.ods - LibreOffice Calc", nullptr,
              "file:///home/jane/Documents/Expenses%20March.ods", "Date Amount Category"},
         }},
        {"org.mozilla.thunderbird",
         "Thunderbird",
         1.0,
         0.45,
         {
             {"Inbox - jane@acme.example - Mozilla Thunderbird", nullptr, nullptr,
              "From: Sam Hill <sam@acme.example>, Subject: contract renewal"},
         }},
    };
    return table;
}

const App kPasswordManager{
    "com.bitwarden.desktop", "Bitwarden", 0, 1.0, {{"Bitwarden", nullptr, nullptr, ""}}};

class DayWriter {
  public:
    DayWriter(quint64 seed, TimePoint dayStart)
        : draw_{std::mt19937_64(seed)},
          t_(dayStart),
          nextTick_(dayStart + 5),
          nextPoll_(dayStart + 1.5),
          lastInput_(dayStart) {}

    std::vector<TraceCall> calls;

    TimePoint now() const { return t_; }

    void start() { push(Op::start); }

    // Lets time pass to `to`, playing the capture loop's polls, idle checks and ticks.
    void waitUntil(TimePoint to) {
        while (true) {
            TimePoint next = std::min(nextTick_, nextPoll_);
            if (snippetAt_) next = std::min(next, *snippetAt_);
            if (next > to) break;
            t_ = next;
            if (snippetAt_ && next == *snippetAt_) {
                snippetAt_.reset();
                if (!locked_ && window_ && window_->sample[0]) {
                    TraceCall c = make(Op::snippetCaptured);
                    c.obs = observation();
                    c.text = QString::fromUtf8(window_->sample);
                    calls.push_back(std::move(c));
                }
            } else if (next == nextPoll_) {
                nextPoll_ += 1.5;
                if (!locked_ && window_) {
                    TraceCall c = make(Op::windowObserved);
                    c.obs = observation();
                    calls.push_back(std::move(c));
                }
            } else {
                nextTick_ += 5;
                idlePoll();
                push(Op::tick);
            }
        }
        t_ = to;
    }
    void wait(double seconds) { waitUntil(t_ + seconds); }

    void activate(const App& app, const Window& window) {
        app_ = &app;
        window_ = &window;
        TraceCall c = make(Op::appActivated);
        c.bundleId = QString::fromUtf8(app.bundleId);
        c.text = QString::fromUtf8(app.name);
        calls.push_back(std::move(c));
        // The capture loop polls the new application's window at once.
        TraceCall poll = make(Op::windowObserved);
        poll.obs = observation();
        calls.push_back(std::move(poll));
        snippetAt_ = t_ + 2.0;
    }

    void showWindow(const Window& window) {
        window_ = &window;
        snippetAt_ = t_ + 2.0;
    }

    void typeBurst(int keys, double meanGap, bool pasteFirst = false) {
        for (int i = 0; i < keys; ++i) {
            if (i > 0) wait(std::max(0.03, draw_.between(0.4, 1.6) * meanGap));
            TraceCall c = make(Op::key);
            c.isBackspace = draw_.chance(0.07);
            c.isPaste = pasteFirst && i == 0;
            calls.push_back(std::move(c));
            input();
        }
    }

    void clickTimes(int count) {
        for (int i = 0; i < count; ++i) {
            if (i > 0) wait(draw_.between(0.15, 1.2));
            push(Op::click);
            input();
        }
    }

    // A gesture: a run of wheel events within half a second.
    void scrollGesture() {
        const int events = 4 + int(draw_.index(12));
        for (int i = 0; i < events; ++i) {
            if (i > 0) wait(0.04);
            push(Op::scroll);
            input();
        }
    }

    void copy() {
        TraceCall c = make(Op::copyDetected);
        c.text = QStringLiteral("text");
        calls.push_back(std::move(c));
        copied_ = true;
    }

    bool takeCopied() { return std::exchange(copied_, false); }

    void lockFor(double seconds) {
        push(Op::screenLocked);
        locked_ = true;
        wait(seconds);
        locked_ = false;
        push(Op::screenUnlocked);
        snippetAt_.reset();
    }

    void lockNow() {
        push(Op::screenLocked);
        locked_ = true;
    }
    void unlockNow() {
        locked_ = false;
        push(Op::screenUnlocked);
    }

    void finish() {
        TraceCall c = make(Op::flushAll);
        c.text = QStringLiteral("quit");
        calls.push_back(std::move(c));
    }

    Draw& draw() { return draw_; }
    const App* app() const { return app_; }

  private:
    TraceCall make(Op op) const {
        TraceCall c;
        c.t = t_;
        c.op = op;
        return c;
    }
    void push(Op op) { calls.push_back(make(op)); }

    WindowObservation observation() const {
        WindowObservation obs;
        obs.bundleId = QString::fromUtf8(app_->bundleId);
        obs.appName = QString::fromUtf8(app_->name);
        obs.title = QString::fromUtf8(window_->title);
        if (window_->url) obs.url = QString::fromUtf8(window_->url);
        if (window_->document) obs.documentPath = QString::fromUtf8(window_->document);
        return obs;
    }

    void input() { lastInput_ = t_; }

    // The capture loop's idle check before every tick (threshold 180 s).
    void idlePoll() {
        const double idleFor = t_ - lastInput_;
        if (idle_ && idleFor < 180) {
            idle_ = false;
            push(Op::idleEnded);
        } else if (!idle_ && idleFor >= 180) {
            idle_ = true;
            TraceCall c = make(Op::idleStarted);
            c.since = lastInput_;
            calls.push_back(std::move(c));
        }
    }

    Draw draw_;
    TimePoint t_;
    TimePoint nextTick_, nextPoll_;
    TimePoint lastInput_;
    std::optional<TimePoint> snippetAt_;
    bool idle_ = false;
    bool locked_ = false;
    bool copied_ = false;
    const App* app_ = nullptr;
    const Window* window_ = nullptr;
};

const App& pickApp(Draw& draw, const App* avoid) {
    double total = 0;
    for (const App& app : apps()) total += &app == avoid ? 0 : app.weight;
    double x = draw.uniform() * total;
    for (const App& app : apps()) {
        if (&app == avoid) continue;
        if ((x -= app.weight) < 0) return app;
    }
    return apps().front();
}

const Window& pickWindow(Draw& draw, const App& app) {
    // Excluded and private windows are rare visits.
    std::size_t i = draw.index(app.windows.size());
    if (app.windows.size() > 7 && i >= 7 && draw.chance(0.8)) i = draw.index(7);
    return app.windows[i];
}

// One stretch of work in one application.
void workSegment(DayWriter& day, const App& app, double seconds) {
    Draw& draw = day.draw();
    const bool pasteHere = day.takeCopied();
    day.activate(app, pickWindow(draw, app));
    day.wait(draw.between(0.5, 2.0));
    if (pasteHere) day.typeBurst(1 + int(draw.index(3)), 0.3, true);
    const TimePoint end = day.now() + seconds;
    while (day.now() < end) {
        const double roll = draw.uniform();
        if (roll < app.typing) {
            day.typeBurst(3 + int(draw.index(60)), draw.between(0.12, 0.3));
        } else if (roll < app.typing + 0.15) {
            day.clickTimes(1 + int(draw.index(3)));
        } else if (roll < app.typing + 0.27) {
            day.scrollGesture();
        } else if (roll < app.typing + 0.32 && app.windows.size() > 1) {
            day.showWindow(pickWindow(draw, app));
            day.clickTimes(1);
        } else if (roll < app.typing + 0.36) {
            day.copy();
        }
        day.wait(draw.between(1.0, 25.0));  // reading, thinking
    }
}

void workUntil(DayWriter& day, TimePoint until) {
    Draw& draw = day.draw();
    while (day.now() < until - 30) {
        const App& app = pickApp(draw, day.app());
        workSegment(day, app, std::min(draw.between(20, 360), until - day.now()));
    }
    day.waitUntil(std::max(day.now(), until));
}

}  // namespace

QByteArray generateWorkdayTrace(quint64 seed) {
    const TimePoint dayStart =
        double(QDateTime(QDate(2026, 3, 2), QTime(8, 0), QTimeZone::utc()).toSecsSinceEpoch());
    auto at = [dayStart](double hours) { return dayStart + (hours - 8.0) * 3600; };
    DayWriter day(seed, dayStart);
    day.start();

    workUntil(day, at(10.5));
    day.wait(8 * 60);  // coffee: goes idle after 3 minutes
    workUntil(day, at(11.25));
    day.lockFor(7 * 60);  // a meeting away from the desk
    // A quick look at the password manager; its typing must not be noticed.
    day.activate(kPasswordManager, kPasswordManager.windows.front());
    day.typeBurst(16, 0.15);
    day.copy();
    day.wait(3);
    workUntil(day, at(12.0));
    day.wait(5 * 60);  // lunch: idle first, then the screen locks
    day.lockNow();
    day.waitUntil(at(12.8));
    day.unlockNow();
    workUntil(day, at(14.66));
    day.wait(6 * 60);
    workUntil(day, at(15.33));
    day.lockFor(3 * 60);
    workUntil(day, at(16.0));
    day.finish();

    QByteArray out;
    out.reserve(qsizetype(day.calls.size()) * 120);
    for (const TraceCall& call : day.calls) {
        out += call.toJsonLine();
        out += '\n';
    }
    return out;
}

}  // namespace tarnwhistle
