// The receiver misbehaves at random (seeded) for its first requests, then recovers. Afterwards
// every stored signal must have arrived in exactly one batch, and the only duplicates allowed
// are whole-batch retries that carry the same batch_id and the same bytes.
#include <QJsonArray>
#include <QJsonDocument>
#include <map>
#include <random>

#include "../../unit/delivery/outbox_fixture.h"
#include "receiver_process.h"

namespace {

class DeliverySoak : public OutboxFixture {};

TEST_F(DeliverySoak, EverySignalArrivesInExactlyOneBatch) {
    ReceiverProcess receiver({"--secret", "soak", "--fail-rate", "0.6", "--fail-first", "80",
                              "--seed", "20261206", "--fail-modes", "status,drop,truncate,delay",
                              "--delay", "1"});
    configure([&](DeploymentConfig& c) {
        c.webhookURL = receiver.url();
        c.webhookSecret = QStringLiteral("soak");
        c.maxBatch = 7;
    });
    outbox.requestTimeoutMs = 300;
    std::mt19937 random(42);
    QStringList stored;
    for (int round = 0; round < 300; ++round) {
        if (round < 12) stored += insertSignals(std::uniform_int_distribution<>(0, 16)(random));
        outbox.flush();
        waitUntilIdle();
        clock += 5000;  // beyond the longest backoff: everything that failed is due again
        outbox.retryDue();
        waitUntilIdle();
        if (round >= 12 && store.countWaitingBatches() == 0) break;
    }
    ASSERT_EQ(store.countWaitingBatches(), 0);
    ASSERT_GT(stored.size(), 50);

    const auto batches = store.recentBatches(1000);
    std::set<QString> storedBatchIds;
    for (const auto& b : batches) {
        EXPECT_EQ(b.status, BatchStatus::sent);
        storedBatchIds.insert(b.batchId);
    }

    std::map<QString, QByteArray> bodyOf;       // batch_id -> the bytes received
    std::map<QString, bool> answeredOk;         // batch_id -> got a 2xx at least once
    int failedRequests = 0;
    for (const auto& r : receiver.received()) {
        EXPECT_TRUE(r.record["signature_valid"].toBool());
        const QString id = QJsonDocument::fromJson(r.body).object()["batch_id"].toString();
        const auto [it, fresh] = bodyOf.emplace(id, r.body);
        EXPECT_TRUE(fresh || it->second == r.body) << "a retry changed the body of " << id.toStdString();
        // A 200 counts once its status line is out, even if the body then breaks off.
        const QString action = r.record["action"].toString();
        const bool ok =
            (action == "status" || action == "truncate") && r.record["status"].toInt() == 200;
        answeredOk[id] = answeredOk[id] || ok;
        failedRequests += ok ? 0 : 1;
    }
    EXPECT_GT(failedRequests, 5);  // the receiver really did misbehave

    std::set<QString> receivedBatchIds;
    std::map<QString, int> arrivals;  // signal id -> number of distinct batches holding it
    for (const auto& [id, body] : bodyOf) {
        receivedBatchIds.insert(id);
        EXPECT_TRUE(answeredOk[id]) << id.toStdString();
        for (const auto& item : QJsonDocument::fromJson(body).object()["data"].toArray())
            ++arrivals[item.toObject()["id"].toString()];
    }
    EXPECT_EQ(receivedBatchIds, storedBatchIds);  // no batch lost, none invented
    EXPECT_EQ(arrivals.size(), size_t(stored.size()));
    for (const QString& id : stored) EXPECT_EQ(arrivals[id], 1) << id.toStdString();
}

}  // namespace
