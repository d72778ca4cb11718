#include "signals/event_log.h"

namespace tarnwhistle {

namespace {
constexpr const char* kRawValues[] = {
    "app.activated", "window.changed", "title.changed", "url.changed",     "typing.started",
    "typing.paused", "click",          "scroll",        "copy.detected",   "paste.detected",
    "idle.started",  "idle.ended",     "screen.locked", "screen.unlocked", "heartbeat",
};
}

QString rawValue(EventKind kind) {
    return QString::fromLatin1(kRawValues[int(kind)]);
}

const std::vector<EventKind>& allEventKinds() {
    static const std::vector<EventKind> kinds = [] {
        std::vector<EventKind> out;
        for (int i = 0; i <= int(EventKind::heartbeat); ++i) out.push_back(EventKind(i));
        return out;
    }();
    return kinds;
}

EventLog& EventLog::shared() {
    static EventLog* instance = new EventLog();  // lives until the process ends
    return *instance;
}

void EventLog::log(EventKind kind, const QString& detail) {
    events_.push_front(
        LocalEvent{QUuid::createUuid(), QDateTime::currentDateTimeUtc(), kind, detail});
    if (int(events_.size()) > cap) events_.pop_back();
    emit eventsChanged();  // once per moment, also when the oldest one fell off
}

void EventLog::clear() {
    if (events_.empty()) return;
    events_.clear();
    emit eventsChanged();
}

}  // namespace tarnwhistle
