// A child process inserts signals and flushes in a loop and is killed with SIGKILL at random
// moments. After every kill the database must open, pass SQLite's integrity check, and hold
// every signal either unbatched or in exactly one stored batch whose body lists it.
#include <sqlite3.h>

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <random>

#include "config/config_store.h"
#include "delivery/outbox.h"
#include "signals/ulid.h"
#include "storage/store.h"

namespace {

const char* const kChildVariable = "TARNWHISTLE_CRASH_CHILD_STORE";

// Runs only in the child (see below); never returns.
TEST(CrashChild, DISABLED_InsertAndFlushUntilKilled) {
    const QString path = qEnvironmentVariable(kChildVariable);
    ASSERT_FALSE(path.isEmpty());
    Store store;
    store.open(path);
    ConfigStore config(QFileInfo(path).absolutePath());
    config.load();
    DeploymentConfig small = config.config();
    small.maxBatch = 3;  // many batches, many transactions to interrupt
    config.save(small);
    Outbox outbox(store, config);
    std::mt19937 random(uint32_t(QCoreApplication::applicationPid()));
    for (qint64 tick = 0;; ++tick) {
        for (int i = std::uniform_int_distribution<>(1, 4)(random); i > 0; --i)
            store.insert(Signal{ULID::make(Time::now()), QStringLiteral("app.focus"), 1,
                                JSONObject{{QStringLiteral("n"), tick}}});
        outbox.flush();
        fprintf(stdout, "tick %lld\n", static_cast<long long>(tick));
        fflush(stdout);
    }
}

// The value of the query's one row.
QString firstValue(sqlite3* db, const char* sql) {
    QString value;
    const auto keep = [](void* out, int, char** values, char**) {
        *static_cast<QString*>(out) = QString::fromUtf8(values[0]);
        return 0;
    };
    EXPECT_EQ(sqlite3_exec(db, sql, keep, &value, nullptr), SQLITE_OK) << sql;
    return value;
}

void expectConsistent(const QString& path) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(firstValue(db, "PRAGMA integrity_check"), "ok");
    // The (batch, signal) pairs the stored bodies list; a view of this connection only.
    sqlite3_exec(
        db,
        "CREATE TEMP VIEW listed AS SELECT b.batch_id AS batch, "
        "json_extract(d.value, '$.id') AS id FROM batches b, json_each(b.body, '$.data') d",
        nullptr, nullptr, nullptr);
    for (const char* faults : {
             // a signal marked as batched that its batch's body does not list (or no such batch)
             "SELECT COUNT(*) FROM signals WHERE batch_id IS NOT NULL "
             "AND (batch_id, id) NOT IN (SELECT batch, id FROM listed)",
             // a listed signal that is missing or not marked with that batch
             "SELECT COUNT(*) FROM listed l LEFT JOIN signals s ON s.id = l.id "
             "WHERE s.batch_id IS NOT l.batch",
             "SELECT COUNT(*) - COUNT(DISTINCT id) FROM listed",  // a signal listed twice
         })
        EXPECT_EQ(firstValue(db, faults), "0") << faults;
    sqlite3_close(db);
}

TEST(CrashSafety, KilledMidFlushTheStoreStaysWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("store.sqlite"));
    std::mt19937 random(7);
    qint64 previousSignals = 0;
    for (int kill = 0; kill < 24; ++kill) {
        QProcess child;
        child.setEnvironment(QProcess::systemEnvironment() << kChildVariable + ('=' + path));
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_also_run_disabled_tests",
                     "--gtest_filter=CrashChild.DISABLED_InsertAndFlushUntilKilled"});
        ASSERT_TRUE(child.waitForStarted());
        const int ticks = std::uniform_int_distribution<>(1, 25)(random);
        for (int seen = 0; seen < ticks;) {
            ASSERT_TRUE(child.waitForReadyRead(30'000)) << "the child stopped on its own";
            while (child.canReadLine()) seen += child.readLine().startsWith("tick ");
        }
        // The child has just finished a tick; a random pause spreads the kill over the
        // whole loop instead of always landing at its start.
        QThread::usleep(std::uniform_int_distribution<>(0, 40'000)(random));
        child.kill();  // SIGKILL, wherever it is
        child.waitForFinished();

        expectConsistent(path);
        Store reopened;
        ASSERT_TRUE(reopened.open(path));
        const qint64 signalCount = reopened.recentSignals(1'000'000).size();
        EXPECT_GE(signalCount, previousSignals);  // nothing committed is lost
        previousSignals = signalCount;
    }
    EXPECT_GT(previousSignals, 24);
}

}  // namespace
