// A receiver outage as one agent sees it: requests per agent-hour at hours 1, 24 and 96 of the
// outage, with the per-batch retry schedule ("before": every batch retried on its own backoff,
// each flush's batch sent at once, up to 20 due batches every 15 s) and with the real Outbox
// pacing its destination ("after"), and the time it takes to clear a 1 000-batch backlog once
// the receiver is back. One batch per minute (the default flush interval); the simulated
// receiver answers in 100 ms.
#include <benchmark/benchmark.h>

#include <QRandomGenerator>
#include <cstdio>

#include "../tests/unit/delivery/outage_simulation.h"

namespace {

constexpr double kHour = 3600;
constexpr double kFlush = 60;
const int kHours[] = {1, 24, 96};

// The per-batch schedule, modelled directly: it needs no receiver, every request fails.
struct PerBatchSchedule {
    struct Batch {
        qint64 attempts = 0;
        double next = 0;
        bool sent = false;
    };
    std::vector<Batch> batches;
    std::vector<double> requests;
    QRandomGenerator random{7};

    void attempt(Batch& b, double t, bool up) {
        requests.push_back(t);
        if (up) {
            b.sent = true;
            return;
        }
        ++b.attempts;
        b.next =
            t + DestinationState::backoffDelay(b.attempts) * (0.8 + 0.4 * random.generateDouble());
    }
    // Runs flushes and retry ticks over [from, to); returns when the last waiting batch went.
    double run(double from, double to, bool up, bool produce) {
        double lastSent = from;
        for (double t = from; t < to; t += 15) {
            if (produce && std::fmod(t, kFlush) == 0) {
                batches.push_back({0, t, false});
                attempt(batches.back(), t, up);
            }
            int started = 0;
            for (Batch& b : batches) {
                if (b.sent || b.next > t) continue;
                if (++started > 20) break;
                attempt(b, t, up);
                if (b.sent) lastSent = t;
            }
            if (up && std::none_of(batches.begin(), batches.end(), [](auto& b) { return !b.sent; }))
                return lastSent - from;
        }
        return to - from;
    }
};

qsizetype countIn(const std::vector<double>& times, double from, double to) {
    return std::count_if(times.begin(), times.end(), [&](double t) { return t >= from && t < to; });
}

void BM_RequestsPerAgentHourDuringAnOutage(benchmark::State& state) {
    for (auto _ : state) {
        PerBatchSchedule before;
        before.run(0, 96 * kHour, false, true);

        OutageSimulation after(kFlush);
        after.receiver->answer = [] { return SimReceiver::status(503); };
        const TimePoint start = after.clock;
        after.runFor(96 * kHour);

        std::printf("\nrequests per agent-hour while the receiver is down\n");
        std::printf("  hour of outage   per-batch schedule   paced destination\n");
        for (int hour : kHours) {
            const double from = (hour - 1) * kHour, to = hour * kHour;
            const auto b = countIn(before.requests, from, to);
            const auto a = after.requestsBetween(start + from, start + to);
            std::printf("  %14d   %18lld   %17lld\n", hour, (long long)b, (long long)a);
            state.counters["before_h" + std::to_string(hour)] = double(b);
            state.counters["after_h" + std::to_string(hour)] = double(a);
        }
    }
}
BENCHMARK(BM_RequestsPerAgentHourDuringAnOutage)->Iterations(1)->Unit(benchmark::kSecond);

void BM_DrainOf1000BatchesAfterRecovery(benchmark::State& state) {
    for (auto _ : state) {
        const double outage = 1000 * kFlush;
        PerBatchSchedule before;
        before.run(0, outage, false, true);
        const double beforeDrain = before.run(outage, outage + 24 * kHour, true, false);

        OutageSimulation after(kFlush);
        after.receiver->answer = [] { return SimReceiver::status(503); };
        after.runFor(outage);
        after.produce = false;
        const qint64 backlog = after.store.countWaitingBatches();
        after.receiver->answer = [] { return SimReceiver::status(200); };
        const TimePoint recovered = after.clock;
        const size_t firstAfter = after.receiver->requests.size();
        const double afterDrain = after.runUntilDrained(24 * kHour);
        const double probe = after.receiver->requests.at(firstAfter).at - recovered;

        std::printf("\n%lld waiting batches when the receiver comes back\n", (long long)backlog);
        std::printf("  per-batch schedule: all delivered %.0f s after recovery\n", beforeDrain);
        std::printf(
            "  paced destination:  first probe after %.0f s, all delivered after %.0f s "
            "(%.0f s of draining, at most %d in flight)\n",
            probe, afterDrain, afterDrain - probe, after.receiver->maxInFlight);
        state.counters["backlog"] = double(backlog);
        state.counters["before_drain_s"] = beforeDrain;
        state.counters["after_probe_s"] = probe;
        state.counters["after_drain_s"] = afterDrain;
    }
}
BENCHMARK(BM_DrainOf1000BatchesAfterRecovery)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
