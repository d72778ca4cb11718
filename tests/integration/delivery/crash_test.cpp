// A child process inserts signals and flushes in a loop and is killed with SIGKILL at random
// moments. After every kill the database must open, pass SQLite's integrity check, and hold
// every signal either unbatched or in exactly one stored batch whose body lists it.
#include <sqlite3.h>

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <map>
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

QStringList column(sqlite3* db, const char* sql) {
    QStringList values;
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), SQLITE_OK) << sql;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        values.append(text ? QString::fromUtf8(text) : QString());
    }
    sqlite3_finalize(statement);
    return values;
}

void expectConsistent(const QString& path) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(column(db, "PRAGMA integrity_check"), QStringList{"ok"});
    EXPECT_EQ(column(db,
                     "SELECT COUNT(*) FROM signals WHERE batch_id IS NOT NULL AND batch_id "
                     "NOT IN (SELECT batch_id FROM batches)"),
              QStringList{"0"});

    std::map<QString, QStringList> marked;  // batch_id -> signal ids pointing at it
    const QStringList pairs = column(db,
                                     "SELECT batch_id || ' ' || id FROM signals "
                                     "WHERE batch_id IS NOT NULL ORDER BY created");
    for (const QString& pair : pairs) marked[pair.section(' ', 0, 0)].append(pair.section(' ', 1));

    std::set<QString> listed;
    for (const QString& body : column(db, "SELECT body FROM batches")) {
        const QJsonObject object = QJsonDocument::fromJson(body.toUtf8()).object();
        QStringList ids;
        for (const auto& item : object["data"].toArray())
            ids.append(item.toObject()["id"].toString());
        const QString batchId = object["batch_id"].toString();
        QStringList expected = marked[batchId];
        ids.sort();
        expected.sort();
        EXPECT_EQ(ids, expected) << "batch " << batchId.toStdString();
        for (const QString& id : ids)
            EXPECT_TRUE(listed.insert(id).second) << "twice: " << id.toStdString();
    }
    sqlite3_close(db);
}

TEST(CrashSafety, KilledMidFlushTheStoreStaysWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("store.sqlite"));
    {
        ConfigStore config(dir.path());
        config.load();
        DeploymentConfig small = config.config();
        small.maxBatch = 3;  // many batches, many transactions to interrupt
        config.save(small);
    }
    std::mt19937 random(7);
    qint64 previousSignals = 0;
    for (int kill = 0; kill < 24; ++kill) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kChildVariable), path);
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_also_run_disabled_tests",
                     "--gtest_filter=CrashChild.DISABLED_InsertAndFlushUntilKilled"});
        ASSERT_TRUE(child.waitForStarted());
        const int ticks = std::uniform_int_distribution<>(1, 25)(random);
        int seen = 0;
        while (seen < ticks && child.waitForReadyRead(30'000)) {
            while (child.canReadLine())
                if (child.readLine().startsWith("tick ")) ++seen;
        }
        ASSERT_GE(seen, ticks) << "the child stopped on its own";
        // The child has just finished a tick; a random pause spreads the kill over the
        // whole loop instead of always landing at its start.
        QThread::usleep(std::uniform_int_distribution<>(0, 40'000)(random));
        child.kill();  // SIGKILL, wherever it is
        child.waitForFinished();

        expectConsistent(path);
        Store reopened;
        reopened.open(path);
        ASSERT_TRUE(reopened.isOpen());
        const qint64 signalCount = reopened.recentSignals(1'000'000).size();
        EXPECT_GE(signalCount, previousSignals);  // nothing committed is lost
        previousSignals = signalCount;
    }
    EXPECT_GT(previousSignals, 24);
}

}  // namespace
