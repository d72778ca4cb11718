// A signal engine on virtual time with a recording sink, a held-back rule classifier and its
// own event log, for deterministic tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "replay/trace_replayer.h"

// Failures show field values as JSON (beside the type, where gtest looks for it).
namespace tarnwhistle {
inline void PrintTo(const JSONValue& value, std::ostream* out) {
    *out << value.serialized().value_or("<not writable>").toStdString();
}
}  // namespace tarnwhistle

// 2026-03-03T09:00:00Z, a Tuesday.
inline constexpr TimePoint kNine = 1772528400;
// Seconds since 1970 of hh:mm:ss UTC on that day.
inline TimePoint at(int h, int m, double s = 0) {
    return kNine + (h - 9) * 3600 + m * 60 + s;
}

// Local days follow TZ; every test that depends on them sets the zone it needs.
inline void useTimeZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
}

class EngineHarness : public ::testing::Test {
  public:
    static WindowObservation window(const QString& bundle, const QString& title,
                                    std::optional<QString> url = std::nullopt,
                                    std::optional<QString> document = std::nullopt) {
        return WindowObservation{bundle, bundle.section('.', -1), title, std::move(url),
                                 std::move(document)};
    }

  protected:
    // The engine starts at 9:00 UTC; a test that starts it elsewhere passes false.
    explicit EngineHarness(bool started = true) {
        useTimeZone("UTC");
        time.advanceTo(at(9, 0));
        engine.makeTimer = time.timers();
        engine.classify = classifier.function();
        engine.configProvider = [this] { return config; };
        engine.sink = [this](const Signal& s) { emitted.push_back(s); };
        engine.events = &log;
        config.salt = QStringLiteral("0123456789abcdef0123456789abcdef");
        if (started) engine.start();
    }

    // Moves the clock to `t`, firing due typing timers on the way.
    void advance(TimePoint t) { time.advanceTo(t); }

    std::vector<Signal> ofType(const QString& type) const {
        std::vector<Signal> out;
        std::copy_if(emitted.begin(), emitted.end(), std::back_inserter(out),
                     [&](const Signal& s) { return s.type == type; });
        return out;
    }
    // The field `key` of `s` (null when it has none).
    static JSONValue field(const Signal& s, const char* key) {
        const auto it = s.fields.find(QString::fromLatin1(key));
        return it != s.fields.end() ? it->second : JSONValue::null();
    }
    // The field `key` of the last signal of `type` (null when there is none).
    JSONValue last(const QString& type, const char* key) const {
        const auto all = ofType(type);
        return all.empty() ? JSONValue::null() : field(all.back(), key);
    }

    void observe(TimePoint t, const WindowObservation& obs) {
        advance(t);
        engine.windowObserved(obs);
    }
    // Activation followed by the capture loop's immediate poll, at time t.
    void focus(TimePoint t, const WindowObservation& obs) {
        advance(t);
        engine.appActivated(obs.bundleId, obs.appName);
        engine.windowObserved(obs);
    }
    void keys(TimePoint from, int count = 1, double gap = 0) {
        for (int i = 0; i < count; ++i) {
            advance(from + i * gap);
            engine.key(false, false);
        }
    }
    void tickAt(TimePoint t) {
        advance(t);
        engine.tick();
    }
    void flushAt(TimePoint t, const char* reason = "quit") {
        advance(t);
        engine.flushAll(reason);
    }

    VirtualTime time;
    DeferredRuleClassifier classifier;
    EventLog log;
    DeploymentConfig config;
    std::vector<Signal> emitted;
    SignalEngine engine{time.clock()};
};

inline const WindowObservation kEditor =
    EngineHarness::window("com.microsoft.VSCode", "main.cpp - Code");
