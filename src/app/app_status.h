// The one observable summary of how the agent is doing: paused or not, whether other windows
// may be read, whether there is a destination and whether delivery works, and three counts.
// The tray icon, the menu header and the windows display it; none of them works the state out
// for itself. Main thread only; refreshed every 3 seconds after start() and on every change of
// the configuration or the outbox.
#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

#include "signals/time.h"

namespace tarnwhistle {

class ConfigStore;
class Store;
class Outbox;

class AppStatus : public QObject {
    Q_OBJECT
    Q_PROPERTY(State state READ state NOTIFY stateChanged)
    Q_PROPERTY(bool trusted READ trusted NOTIFY trustedChanged)
    Q_PROPERTY(qint64 signalsToday READ signalsToday NOTIFY countsChanged)
    Q_PROPERTY(qint64 waiting READ waiting NOTIFY countsChanged)
    Q_PROPERTY(qint64 failing READ failing NOTIFY countsChanged)
    Q_PROPERTY(QString storeProblem READ storeProblem NOTIFY storeProblemChanged)
    Q_PROPERTY(QString unavailable READ unavailable WRITE setUnavailable NOTIFY unavailableChanged)

  public:
    // In display order.
    enum class State { paused, needsPermission, localOnly, connecting, connected, problem };
    Q_ENUM(State)

    static QString title(State state);        // "Paused", "Connected" ...
    static QColor color(State state);         // the dot and the pill
    static QString description(State state);  // the line under the state in Settings

    // What the state is chosen from.
    struct Inputs {
        bool paused = false;
        bool trusted = false;
        QString webhookURL;
        qint64 failing = 0;
        std::optional<TimePoint> lastSuccess;
        std::optional<TimePoint> lastFailure;
    };
    // The first rule that holds: paused, needs permission, no destination, failures newer than
    // the last success while batches wait, no success yet, else connected.
    static State stateFor(const Inputs& in);

    // The agent's status over the shared configuration, store and outbox (created by the app).
    static AppStatus& shared();

    // `trustCheck` answers whether other applications' windows may be read (no prompt).
    AppStatus(ConfigStore& config, Store& store, Outbox& outbox, std::function<bool()> trustCheck,
              QObject* parent = nullptr);

    // Refresh once, then every 3 seconds and after every configuration or outbox change.
    void start();
    // Recomputes everything; publishes only what changed; ends with refreshed().
    void refresh();

    State state() const { return state_; }
    bool trusted() const { return trusted_; }
    qint64 signalsToday() const { return signalsToday_; }
    qint64 waiting() const { return waiting_; }
    qint64 failing() const { return failing_; }
    // One sentence when the local database is not open (empty otherwise): without it nothing
    // is kept, and the counts say 0.
    QString storeProblem() const { return storeProblem_; }
    // One sentence naming what this desktop does not let the agent see (empty when nothing is
    // missing); the signals that would need it are not emitted.
    QString unavailable() const { return unavailable_; }
    void setUnavailable(const QString& sentence);

    // The webhook's host (or the trimmed text when it does not parse); absent without one.
    std::optional<QString> destinationHost() const;
    // "Tarnwhistle dashboard" or "Custom webhook · " + the shortened host; absent without one.
    std::optional<QString> destinationLabel() const;
    // "Last delivery " + relative time, or "Nothing delivered yet".
    QString lastSentText() const;

    // `text` when it has at most n characters, else its first n/2-1, "…", its last n/2-1.
    static QString shorten(const QString& text, int n);
    // "just now", "12 min ago", "3 h ago", or a relative date beyond a day.
    static QString relative(TimePoint date, TimePoint now);
    QString relative(TimePoint date) const { return relative(date, now()); }

    // The clock; replaceable in tests.
    std::function<TimePoint()> now = Time::now;

    static constexpr int refreshIntervalMs = 3000;

  signals:
    void stateChanged();
    void trustedChanged();
    void countsChanged();
    void storeProblemChanged();
    void unavailableChanged();
    // At the end of every refresh (the tray redraws its icon when the state changed).
    void refreshed();

  private:
    void scheduleRefresh();

    ConfigStore& config_;
    Store& store_;
    Outbox& outbox_;
    std::function<bool()> trustCheck_;
    QTimer timer_;
    bool refreshQueued_ = false;

    State state_ = State::connecting;
    bool trusted_ = false;
    qint64 signalsToday_ = 0;
    qint64 waiting_ = 0;
    qint64 failing_ = 0;
    QString storeProblem_;
    QString unavailable_;
};

}  // namespace tarnwhistle
