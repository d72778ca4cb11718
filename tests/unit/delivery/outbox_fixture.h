// A store, a configuration store and an outbox over a temporary folder, with a hand-driven
// clock. Shared by the delivery unit and integration tests.
#pragma once

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>

#include "config/config_store.h"
#include "delivery/outbox.h"
#include "signals/ulid.h"
#include "storage/store.h"

class OutboxFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        store.now = [this] { return clock; };
        store.open(dir.filePath(QStringLiteral("store.sqlite")));
        configStore.load();
        outbox.now = [this] { return clock; };
        outbox.userPrincipal = [] { return QStringLiteral("alex"); };
        outbox.watchNetwork = false;
    }

    void configure(const std::function<void(DeploymentConfig&)>& change) {
        DeploymentConfig config = configStore.config();
        change(config);
        configStore.save(config);
    }

    // Stores `count` signals, one clock millisecond apart, and returns their ids.
    QStringList insertSignals(int count, const QString& type = QStringLiteral("app.focus")) {
        QStringList ids;
        for (int i = 0; i < count; ++i) {
            clock += 0.001;
            Signal s{ULID::make(clock), type, 1,
                     JSONObject{{QStringLiteral("duration_s"), qint64(i)},
                                {QStringLiteral("url"), "https://example.org/a/b"}}};
            store.insert(s);
            ids.append(s.id);
        }
        return ids;
    }

    // Runs the event loop until `done` holds; a hung exchange fails the test instead of hanging it.
    void runUntil(const std::function<bool()>& done) {
        const QDeadlineTimer deadline(60'000);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        EXPECT_TRUE(done()) << "still waiting after a minute";
    }
    // Every request in flight has its outcome stored.
    void waitUntilIdle() {
        runUntil([this] { return outbox.sending().isEmpty(); });
    }

    BatchRecord onlyBatch() {
        const auto batches = store.recentBatches(10);
        EXPECT_EQ(batches.size(), 1u);
        return batches.empty() ? BatchRecord{} : batches.front();
    }

    QTemporaryDir dir;
    TimePoint clock = 1'733'500'000;
    Store store;
    ConfigStore configStore{dir.path()};
    Outbox outbox{store, configStore};
};

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
