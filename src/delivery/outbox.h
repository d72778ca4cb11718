// The delivery engine: gathers unbatched signals into batches on a timer, posts each batch
// signed to the configured webhook, records every outcome on the batch row, retries failures
// with exponential backoff, releases batches kept on this machine once an address is set,
// sends test batches and publishes a small delivery state. Main thread only.
//
// Requests are paced per destination (DestinationState): at most two in flight while the
// receiver answers, oldest batch first; while it fails, one probe at a time on a growing
// backoff, and new batches wait in the store until a probe gets through.
#pragma once

#include <QNetworkRequest>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "delivery/destination_state.h"
#include "delivery/transport.h"
#include "signals/signal.h"
#include "signals/time.h"
#include "storage/batch_record.h"

namespace tarnwhistle {

class ConfigStore;
class Store;

class Outbox : public QObject {
    Q_OBJECT
  public:
    // The agent's outbox, created by the application over its store and configuration.
    static Outbox& shared();
    Outbox(Store& store, ConfigStore& configStore, QObject* parent = nullptr);

    // "Tarnwhistle/<appVersion> (Linux)" names the agent to receivers; the project version
    // compiled in, "dev" when there is none.
    static QString appVersion();

    // Once at launch: restores the last success time, starts watching the network, the flush
    // and retry timers and the configuration subscription.
    void start();
    // Builds batches from every unbatched signal (up to maxBatch each) and sends them, oldest
    // waiting batch first, as far as the destination takes them now.
    void flush();
    // The batch body: the envelope around `batchSignals`, as UTF-8 JSON with sorted keys.
    QByteArray envelope(const std::vector<Signal>& batchSignals, const QString& batchId,
                        qint64 seq) const;
    // Sends the batches that are due, as many as the destination takes now, unless offline
    // or paused.
    void retryDue();
    // Sends a one-off test batch; `completion` gets a success flag and a message for the user.
    void sendTest(std::function<void(bool ok, const QString& message)> completion);
    // The network path changed; when it is usable, due batches go out after a short random
    // spread (so that the machines of a whole site do not all send at the same instant).
    void pathUpdated(bool satisfied);
    // Retention (Store::purge), unless the clock jumped forward since waiting batches last had
    // a delivery attempt: then it waits for one, so that a jump does not give them up
    // unseen. Returns whether the store was purged.
    bool purge(qint64 retentionDays);

    // The POST for `body`: headers, timestamp `at` (whole seconds), and a signature when
    // `secret` is not empty.
    static QNetworkRequest request(const QUrl& url, const QByteArray& body, const QString& secret,
                                   TimePoint at);

    QString lastResult() const { return lastResult_; }
    bool online() const { return online_; }
    qint64 revision() const { return revision_; }
    std::optional<TimePoint> lastSuccess() const { return lastSuccess_; }
    std::optional<TimePoint> lastFailure() const { return lastFailure_; }
    std::optional<QString> lastError() const { return lastError_; }

    // Ids of batches whose request is in flight.
    const QSet<QString>& sending() const { return sending_; }
    // Called once when the last in-flight request has its outcome stored, then cleared. Quit
    // sets it to wait for deliveries.
    std::function<void()> onIdle;

    // Replaceable in tests: the clock, the backoff jitter factor in [0.8, 1.2], a uniform
    // random number in [lo, hi] (retry tick and back-online spread), the login name the
    // subject code is made from (set by the creator: the engine's user principal), the
    // overall deadline of a request and whether start() watches the network.
    std::function<TimePoint()> now = Time::now;
    std::function<double()> jitter;
    std::function<double(double lo, double hi)> uniform;
    std::function<QString()> userPrincipal;
    int requestTimeoutMs = 60'000;
    bool watchNetwork = true;
    // Replaces the network (a fake receiver in tests and simulations).
    void setTransport(std::unique_ptr<Transport> transport);

    // The flush period (ms) the flush timer counts down, and the timer's current step (at
    // most a day); both 0 before start().
    qint64 flushPeriodMs() const { return flushTimer_.isActive() ? flushPeriodMs_ : 0; }
    int flushTimerInterval() const { return flushTimer_.isActive() ? flushTimer_.interval() : 0; }
    const DestinationState& destination() const { return destination_; }

    static constexpr int retryIntervalSeconds = 15;
    // The longest spread after the network comes back, in seconds.
    static constexpr int backOnlineSpreadSeconds = 30;
    // A next attempt further ahead than any backoff can put it means the clock went back.
    static constexpr double clockStepLimit = 1.2 * DestinationState::maxBackoff;

  signals:
    // Any of the published state (last result, success, failure and error, online, revision
    // and the requests in flight) changed.
    void changed();

  private:
    void scheduleFlush();
    void flushTimerFired();
    void armRetryTimer();
    void retryTimerFired();
    void configurationChanged();
    // Starts as many due batches as the destination takes now, oldest first. Batches made due
    // by a clock step are looked for on retry ticks and flushes, and after an answer only when
    // no ordinarily due batch is left to start (a second read of up to 20 whole rows).
    void pump(bool withClockSteps);
    std::vector<BatchRecord> dueNow(TimePoint t, bool withClockSteps = true);
    void noteClock(TimePoint t);
    void send(const BatchRecord& batch);
    void finish(BatchRecord batch, const HttpOutcome& outcome, const QString& address);
    void markSuccess();
    void markFailure(const QString& text);
    void watchNetworkPath();
    void post(const QUrl& url, const QByteArray& body, const QString& secret, qsizetype replyLimit,
              std::function<void(const HttpOutcome&)> done);

    Store& store_;
    ConfigStore& configStore_;
    std::unique_ptr<Transport> transport_;
    DestinationState destination_;
    QTimer flushTimer_;
    QTimer retryTimer_;
    QTimer backOnlineTimer_;
    qint64 currentInterval_ = 0;
    qint64 flushPeriodMs_ = 0;
    qint64 flushRemainingMs_ = 0;
    QSet<QString> sending_;
    // Clock jumps: the last time the outbox looked at the clock, and since when (if at all)
    // purging waits for a delivery attempt.
    std::optional<TimePoint> lastSeen_;
    std::optional<TimePoint> purgeHeldSince_;

    QString lastResult_ = QStringLiteral("Nothing sent yet");
    bool online_ = true;
    qint64 revision_ = 0;
    std::optional<TimePoint> lastSuccess_;
    std::optional<TimePoint> lastFailure_;
    std::optional<QString> lastError_;
};

}  // namespace tarnwhistle
