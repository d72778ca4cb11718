// The outbox against a receiver that goes down, on a simulated clock: how many requests it
// sends while the receiver is down, and that every signal still arrives once it is back.
#include <gtest/gtest.h>
#include <map>

#include "outage_simulation.h"

namespace {

const double kHour = 3600, kDay = 86400;

TEST(Outage, AWeekDownGetsGentlerAndEverySignalArrivesOnceAfterwards) {
    OutageSimulation sim(600);  // a batch every ten minutes
    sim.receiver->answer = [] { return SimReceiver::status(503); };
    const TimePoint start = sim.clock;
    sim.runFor(7 * kDay);

    EXPECT_GE(sim.requestsBetween(start, start + kHour), 4);
    EXPECT_EQ(sim.receiver->maxInFlight, 1);  // one probe at a time while down
    // Once the backoff has grown to an hour, at most one request per (jittered) hour.
    const auto& requests = sim.receiver->requests;
    for (size_t i = 1; i < requests.size(); ++i) {
        if (requests[i - 1].at < start + 3 * kHour) continue;
        EXPECT_GE(requests[i].at - requests[i - 1].at, 0.8 * kHour) << i;
    }
    const size_t duringOutage = requests.size();
    EXPECT_LT(duringOutage, size_t(7 * 24 + 20));

    sim.receiver->answer = [] { return SimReceiver::status(200); };
    sim.produce = false;
    const double drained = sim.runUntilDrained(3 * kHour);
    EXPECT_EQ(sim.store.countWaitingBatches(), 0);
    EXPECT_LE(drained, 1.2 * kHour + 600);    // the next probe, then the backlog at once
    EXPECT_EQ(sim.receiver->maxInFlight, 2);  // two at a time once it answers

    // Every batch delivered exactly once by batch_id, and no signal left out of a batch.
    std::map<QString, int> accepted;
    for (size_t i = duringOutage; i < requests.size(); ++i)
        if (requests[i].status == 200) ++accepted[requests[i].batchId];
    const auto batches = sim.store.recentBatches(1'000'000);
    EXPECT_EQ(accepted.size(), batches.size());
    for (const BatchRecord& b : batches) {
        EXPECT_EQ(b.status, BatchStatus::sent);
        EXPECT_EQ(accepted[b.batchId], 1) << b.batchId.toStdString();
    }
    EXPECT_EQ(sim.store.countUnbatchedSignals(), 0);
}

TEST(Outage, RetryAfterHoldsTheDestinationAndATestBatchEndsTheWait) {
    OutageSimulation sim(60);
    sim.receiver->answer = [] { return SimReceiver::status(429, "7200"); };
    sim.runFor(61);
    ASSERT_EQ(sim.receiver->requests.size(), 1u);
    sim.runFor(7100);  // new batches pile up, nothing is sent
    EXPECT_EQ(sim.receiver->requests.size(), 1u);
    EXPECT_GT(sim.store.countWaitingBatches(), 100);

    // Back up: the user's connection test goes at once, and its success starts the drain.
    sim.receiver->answer = [] { return SimReceiver::status(200); };
    sim.produce = false;
    std::optional<bool> tested;
    sim.outbox.sendTest([&](bool ok, const QString&) { tested = ok; });
    EXPECT_EQ(sim.receiver->requests.size(), 2u);
    sim.runFor(60);
    EXPECT_EQ(tested, true);
    EXPECT_EQ(sim.store.countWaitingBatches(), 0);
    EXPECT_LE(sim.receiver->maxInFlight, 2);
}

TEST(Outage, ClockStepsNeitherStallNorDropBatches) {
    OutageSimulation sim(300);
    sim.receiver->answer = [] { return SimReceiver::refused(); };
    sim.runFor(12 * kHour);
    sim.produce = false;
    ASSERT_GT(sim.store.countWaitingBatches(), 100);

    // The wall clock goes back a day: the backoff and every next attempt now lie far ahead.
    sim.receiver->answer = [] { return SimReceiver::status(200); };
    sim.stepClock(-kDay);
    sim.runFor(120);
    EXPECT_EQ(sim.store.countWaitingBatches(), 0);

    // Down again, a backlog builds; then the clock leaps eight days ahead.
    sim.receiver->answer = [] { return SimReceiver::refused(); };
    sim.produce = true;
    sim.runFor(6 * kHour);
    sim.produce = false;
    ASSERT_GT(sim.store.countWaitingBatches(), 50);
    sim.receiver->answer = [] { return SimReceiver::status(200); };
    sim.stepClock(8 * kDay);
    EXPECT_FALSE(sim.outbox.purge(30));  // not before the batches had an attempt
    sim.runUntilDrained(2 * kHour);
    EXPECT_TRUE(sim.outbox.purge(30));
    for (const BatchRecord& b : sim.store.recentBatches(1'000'000))
        EXPECT_EQ(b.status, BatchStatus::sent);

    // After a jump, a failed attempt is the chance the batches had: then they are given up.
    sim.produce = true;
    sim.receiver->answer = [] { return SimReceiver::refused(); };
    sim.runFor(kHour);
    sim.stepClock(8 * kDay);
    const TimePoint jumpedAt = sim.clock;
    EXPECT_FALSE(sim.outbox.purge(30));
    sim.runFor(2 * kHour);
    EXPECT_TRUE(sim.outbox.purge(30));
    qint64 dropped = 0;
    for (const BatchRecord& b : sim.store.recentBatches(1'000'000)) {
        if (b.status == BatchStatus::sent) continue;
        EXPECT_EQ(b.status == BatchStatus::dropped, b.created < jumpedAt)
            << rawValue(b.status).toStdString();
        dropped += b.status == BatchStatus::dropped;
    }
    EXPECT_GT(dropped, 5);
}

}  // namespace
