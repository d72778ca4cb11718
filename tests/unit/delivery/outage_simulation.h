// The real Outbox over a real store in a temporary folder, with its timers and its receiver
// simulated: the clock jumps from one event (a flush, a retry tick, an answer) to the next, so
// days of a receiver outage run in seconds. Used by the delivery tests and the outage bench.
#pragma once

#include <QJsonDocument>
#include <QRandomGenerator>
#include <algorithm>
#include <limits>
#include <map>

#include "delivery_world.h"

struct SimRequest {
    TimePoint at;
    QString batchId;
    std::optional<qint64> status;  // absent: no answer (connection refused)
};

// A receiver that answers each request `latency` seconds after it arrives, as `answer` says
// at arrival.
class SimReceiver : public Transport {
  public:
    explicit SimReceiver(const TimePoint& clock) : clock_(clock) {}

    static HttpOutcome status(qint64 code, const QByteArray& retryAfter = {}) {
        return HttpOutcome{code, std::nullopt, QString(), retryAfter};
    }
    static HttpOutcome refused() {
        return HttpOutcome{std::nullopt, QStringLiteral("Connection refused"), std::nullopt, {}};
    }

    std::function<HttpOutcome()> answer = [] { return status(200); };
    double latency = 0.1;
    std::vector<SimRequest> requests;
    int maxInFlight = 0;

    void post(const QNetworkRequest&, const QByteArray& body, qsizetype, int,
              std::function<void(const HttpOutcome&)> done) override {
        const HttpOutcome outcome = answer();
        requests.push_back(
            {clock_, QJsonDocument::fromJson(body)["batch_id"].toString(), outcome.code});
        pending_.emplace(clock_ + latency, std::make_pair(outcome, std::move(done)));
        maxInFlight = std::max(maxInFlight, int(pending_.size()));
    }

    // When the next answer comes, if one is awaited.
    TimePoint nextAnswer() const {
        return pending_.empty() ? std::numeric_limits<double>::infinity() : pending_.begin()->first;
    }
    void answerNext() {
        auto node = pending_.extract(pending_.begin());
        node.mapped().second(node.mapped().first);
    }
    int inFlight() const { return int(pending_.size()); }
    // The wall clock stepped by `delta`; answers still come after their latency.
    void shift(double delta) {
        decltype(pending_) moved;
        for (auto& [at, exchange] : pending_) moved.emplace(at + delta, std::move(exchange));
        pending_ = std::move(moved);
    }

  private:
    const TimePoint& clock_;
    std::multimap<TimePoint, std::pair<HttpOutcome, std::function<void(const HttpOutcome&)>>>
        pending_;
};

class OutageSimulation : public DeliveryWorld {
  public:
    // One signal per flush, so one batch per flush.
    explicit OutageSimulation(double flushIntervalSeconds = 60)
        : flushInterval_(flushIntervalSeconds) {
        configure([&](DeploymentConfig& c) {
            c.webhookURL = QStringLiteral("https://receiver.example/hook");
            c.flushIntervalSeconds = qint64(flushIntervalSeconds);
        });
        outbox.jitter = [this] { return 0.8 + 0.4 * random_.generateDouble(); };  // reproducible
        auto fake = std::make_unique<SimReceiver>(clock);
        receiver = fake.get();
        outbox.setTransport(std::move(fake));
        nextFlush_ = clock + flushInterval_;
        nextTick_ = clock + Outbox::retryIntervalSeconds;
    }

    // Runs flushes, retry ticks and answers in time order until `end`.
    void runUntil(TimePoint end) {
        for (;;) {
            const TimePoint answerAt = receiver->nextAnswer();
            const TimePoint next = std::min({nextFlush_, nextTick_, answerAt});
            if (next > end) break;
            clock = next;
            if (next == answerAt) {
                receiver->answerNext();
            } else if (next == nextFlush_) {
                if (produce) insertSignals(1);
                outbox.flush();
                nextFlush_ += flushInterval_;
            } else {
                outbox.retryDue();
                nextTick_ += Outbox::retryIntervalSeconds;
            }
        }
        clock = end;
    }
    void runFor(double seconds) { runUntil(clock + seconds); }
    // The wall clock is set by `delta` (back when negative); timers keep their rhythm.
    void stepClock(double delta) {
        clock += delta;
        nextFlush_ += delta;
        nextTick_ += delta;
        receiver->shift(delta);
    }

    // Runs until no batch waits and nothing is in flight (at most `limit` seconds); returns
    // the time that took.
    double runUntilDrained(double limit) {
        const TimePoint start = clock;
        while (clock - start < limit &&
               (store.countWaitingBatches() > 0 || receiver->inFlight() > 0))
            runFor(1);
        return clock - start;
    }

    // Requests (test batches included) that arrived in [from, to).
    qsizetype requestsBetween(TimePoint from, TimePoint to) const {
        return std::count_if(receiver->requests.begin(), receiver->requests.end(),
                             [&](const SimRequest& r) { return r.at >= from && r.at < to; });
    }

    SimReceiver* receiver = nullptr;
    bool produce = true;  // the agent keeps making signals

  private:
    QRandomGenerator random_{20261207};
    double flushInterval_;
    TimePoint nextFlush_;
    TimePoint nextTick_;
};
