// The in-memory log of the newest moments the engine noticed, newest first, shown in the
// Activity Log window. Never stored, never sent; empty after every start. Main thread only.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUuid>
#include <deque>
#include <vector>

namespace tarnwhistle {

enum class EventKind {
    appActivated,
    windowChanged,
    titleChanged,
    urlChanged,
    typingStarted,
    typingPaused,
    click,
    scroll,
    copyDetected,
    pasteDetected,
    idleStarted,
    idleEnded,
    screenLocked,
    screenUnlocked,
    heartbeat,
};

QString rawValue(EventKind kind);  // "app.activated" ...
const std::vector<EventKind>& allEventKinds();

struct LocalEvent {
    QUuid id;
    QDateTime date;  // the real time of logging, not the engine's clock
    EventKind kind;
    QString detail;
};

class EventLog : public QObject {
    Q_OBJECT
public:
    static EventLog& shared();
    explicit EventLog(QObject* parent = nullptr) : QObject(parent) {}

    static constexpr int cap = 300;

    void log(EventKind kind, const QString& detail = {});
    // Forgets every moment (the user deleted local data).
    void clear();
    const std::deque<LocalEvent>& events() const { return events_; }

signals:
    void eventsChanged();

private:
    std::deque<LocalEvent> events_;  // newest first
};

}  // namespace tarnwhistle
