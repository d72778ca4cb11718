// The delivery engine: gathers unbatched signals into batches on a timer, posts each batch
// signed to the configured webhook, records every outcome on the batch row, retries failures
// with exponential backoff, releases batches kept on this machine once an address is set,
// sends test batches and publishes a small delivery state. Main thread only.
#pragma once

#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

#include "signals/signal.h"
#include "signals/time.h"
#include "storage/batch_record.h"

class ConfigStore;
class Store;
struct HttpOutcome;

class Outbox : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString lastResult READ lastResult NOTIFY changed)
    Q_PROPERTY(bool online READ online NOTIFY changed)
    Q_PROPERTY(qint64 revision READ revision NOTIFY changed)
    Q_PROPERTY(QVariant lastSuccess READ lastSuccessValue NOTIFY changed)
    Q_PROPERTY(QVariant lastFailure READ lastFailureValue NOTIFY changed)
    Q_PROPERTY(QVariant lastError READ lastErrorValue NOTIFY changed)

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
    // Builds batches from every unbatched signal (up to maxBatch each) and sends them.
    void flush();
    // The batch body: the envelope around `batchSignals`, as UTF-8 JSON with sorted keys.
    QByteArray envelope(const std::vector<Signal>& batchSignals, const QString& batchId, qint64 seq) const;
    // Sends the batches that are due (at most 20), unless offline or paused.
    void retryDue();
    // Sends a one-off test batch; `completion` gets a success flag and a message for the user.
    void sendTest(std::function<void(bool ok, const QString& message)> completion);
    // The network path changed; when it is usable, due batches go out at once.
    void pathUpdated(bool satisfied);

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

    // Replaceable in tests: the clock, the backoff jitter factor in [0.8, 1.2], the login name
    // the subject code is made from (set by the creator: the engine's user principal), the
    // request timeout and whether start() watches the network.
    std::function<TimePoint()> now = Time::now;
    std::function<double()> jitter;
    std::function<QString()> userPrincipal;
    int requestTimeoutMs = 60'000;
    bool watchNetwork = true;

    // The flush timer's period (ms); 0 before start().
    int flushTimerInterval() const { return flushTimer_.isActive() ? flushTimer_.interval() : 0; }

    static constexpr int retryIntervalSeconds = 15;
    static constexpr int maxDueBatches = 20;

signals:
    void changed();

private:
    void scheduleFlush();
    void configurationChanged();
    void send(const BatchRecord& batch);
    void finish(BatchRecord batch, const HttpOutcome& outcome);
    void markSuccess();
    void markFailure(const QString& text);
    void watchNetworkPath();
    QNetworkReply* post(const QUrl& url, const QByteArray& body, const QString& secret);

    QVariant lastSuccessValue() const;
    QVariant lastFailureValue() const;
    QVariant lastErrorValue() const;

    Store& store_;
    ConfigStore& configStore_;
    QNetworkAccessManager network_;
    QTimer flushTimer_;
    QTimer retryTimer_;
    qint64 currentInterval_ = 0;
    QSet<QString> sending_;

    QString lastResult_ = QStringLiteral("Nothing sent yet");
    bool online_ = true;
    qint64 revision_ = 0;
    std::optional<TimePoint> lastSuccess_;
    std::optional<TimePoint> lastFailure_;
    std::optional<QString> lastError_;
};
