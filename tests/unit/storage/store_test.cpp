#include <sqlite3.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "storage/store.h"
#include "base/system_log.h"

namespace {

Signal makeSignal(const QString& id, const QString& type = QStringLiteral("app.focus")) {
    return Signal{id, type, 1, JSONObject{{QStringLiteral("app"), "Editor"}}};
}

BatchRecord makeBatch(const QString& id, qint64 seq, const QString& status, TimePoint next = 0) {
    BatchRecord b;
    b.batchId = id;
    b.seq = seq;
    b.created = 1000;
    b.body = QStringLiteral("{\"batch_id\":\"%1\"}").arg(id);
    b.status = status;
    b.nextAttempt = next;
    b.signalCount = 1;
    b.types = QStringLiteral("app.focus");
    return b;
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        store.now = [this] { return clock; };
        SystemLog::setObserver([this](const QString& line) { logged.append(line); });
        store.open(path());
        ASSERT_TRUE(store.isOpen());
    }
    void TearDown() override { SystemLog::setObserver({}); }

    QString path() const { return dir.filePath(QStringLiteral("store.sqlite")); }

    // Runs SQL on a second connection, as another process (or a fault) would.
    void sql(const char* text) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path().toUtf8().constData(), &db), SQLITE_OK);
        char* error = nullptr;
        const int rc = sqlite3_exec(db, text, nullptr, nullptr, &error);
        const QString message = QString::fromUtf8(error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << message.toStdString();
    }

    QTemporaryDir dir;
    Store store;
    TimePoint clock = 1'700'000'000;
    QStringList logged;
};

TEST_F(StoreTest, FilesAreOwnerOnlyAndReopeningKeepsEverything) {
    store.insert(makeSignal(QStringLiteral("s1")));  // makes the -wal and -shm files exist
    for (const char* suffix : {"", "-wal", "-shm"}) {
        struct stat info {};
        ASSERT_EQ(::stat((path() + suffix).toUtf8().constData(), &info), 0) << suffix;
        EXPECT_EQ(info.st_mode & 0777, 0600u) << suffix;
    }
    store.open(path());  // already open: nothing happens
    store.close();
    Store again;
    again.open(path());
    ASSERT_EQ(again.recentSignals(10).size(), 1u);
    EXPECT_TRUE(logged.isEmpty()) << logged.join('\n').toStdString();
}

TEST_F(StoreTest, SignalsKeepTheirFirstRowAndComeBackInOrder) {
    store.insert(makeSignal(QStringLiteral("b"), QStringLiteral("app.switch")));
    clock += 1;
    store.insert(makeSignal(QStringLiteral("a")));
    clock += 1;
    store.insert(makeSignal(QStringLiteral("b"), QStringLiteral("input.pattern")));  // ignored
    sql("INSERT INTO signals(id,type,created,json) VALUES('broken','x',1699999998,'{not json'),"
        "('empty','x',1699999999,'{}')");

    const auto pending = store.pendingSignals(10);
    ASSERT_EQ(pending.size(), 2u);  // the undecodable row is left out
    EXPECT_EQ(pending[0].id, "b");
    EXPECT_EQ(pending[0].type, "app.switch");
    EXPECT_EQ(pending[1], makeSignal(QStringLiteral("a")));
    ASSERT_EQ(store.pendingSignals(1).size(), 1u);  // unreadable rows take no places
    EXPECT_EQ(store.pendingSignals(1)[0].id, "b");
    EXPECT_EQ(store.recentSignals(10)[0].id, "a");
    EXPECT_EQ(store.countUnbatchedSignals(), 4);  // the unreadable rows still wait
}

TEST_F(StoreTest, SequenceNumbersCountUpFromWhatIsStoredAndSurviveDeletion) {
    EXPECT_EQ(store.nextSeq(), 1);
    store.setMetaValue(QStringLiteral("+41"), QStringLiteral("seq"));
    EXPECT_EQ(store.nextSeq(), 42);
    for (const char* stored : {"abc", "", " 7", "41\n", "4 1", "99999999999999999999", "+", "-"}) {
        store.setMetaValue(QString::fromUtf8(stored), QStringLiteral("seq"));
        EXPECT_EQ(store.nextSeq(), 1) << stored;
    }
    store.insert(makeSignal(QStringLiteral("s")));
    store.saveBatch(makeBatch(QStringLiteral("B"), 1, QStringLiteral("sent")), {"s"});
    EXPECT_TRUE(store.deleteAll());
    EXPECT_TRUE(store.recentSignals(10).empty());
    EXPECT_TRUE(store.recentBatches(10).empty());
    EXPECT_EQ(store.nextSeq(), 2);

    // A stored batch's number counts as handed out even if nextSeq never recorded it.
    store.insert(makeSignal(QStringLiteral("t")));
    ASSERT_EQ(store.saveBatch(makeBatch(QStringLiteral("C"), 40, QStringLiteral("local")), {"t"}), 1);
    EXPECT_EQ(store.nextSeq(), 41);
}

TEST_F(StoreTest, ABatchIsNeverReplacedNorResurrected) {
    store.insert(makeSignal(QStringLiteral("s1")));
    store.insert(makeSignal(QStringLiteral("s2")));
    BatchRecord sent = makeBatch(QStringLiteral("B"), 1, QStringLiteral("sent"));
    ASSERT_EQ(store.saveBatch(sent, {"s1"}), 1);
    // The same id again: refused, the delivered batch and its signal's mark stay.
    EXPECT_EQ(store.saveBatch(makeBatch(QStringLiteral("B"), 2, QStringLiteral("pending")), {"s2"}), 0);
    ASSERT_EQ(store.recentBatches(5).size(), 1u);
    EXPECT_EQ(store.recentBatches(5)[0], sent);
    EXPECT_EQ(store.countUnbatchedSignals(), 1);

    BatchRecord retry = sent;
    retry.status = QStringLiteral("failed");
    EXPECT_FALSE(store.updateBatch(retry));  // sent stays sent
    EXPECT_EQ(store.recentBatches(5)[0].status, "sent");

    BatchRecord old = makeBatch(QStringLiteral("D"), 3, QStringLiteral("failed"));
    old.created = clock - 8 * 86400.0;
    ASSERT_EQ(store.saveBatch(old, {"s2"}), 1);
    EXPECT_TRUE(store.purge(30));
    old.status = QStringLiteral("failed");
    old.attempts = 9;
    EXPECT_FALSE(store.updateBatch(old));  // a reply to a dropped batch does not revive it
    EXPECT_EQ(store.dueBatches(1e12).size(), 0u);
    old.status = QStringLiteral("sent");
    EXPECT_TRUE(store.updateBatch(old));  // but a late success is the truth
    EXPECT_FALSE(store.updateBatch(makeBatch(QStringLiteral("nope"), 9, "failed")));
}

TEST_F(StoreTest, DueBatchesAreWaitingPastDueAndAtMostTwenty) {
    int seq = 30;
    for (const char* status : {"local", "sent", "dropped", "failed", "pending"}) {
        for (int i = 0; i < 5; ++i) {
            BatchRecord b = makeBatch(QStringLiteral("%1-%2").arg(status).arg(i), seq--,
                                      QString::fromUtf8(status), i < 4 ? 100 : 500);
            store.insert(makeSignal(b.batchId));
            ASSERT_EQ(store.saveBatch(b, {b.batchId}), 1);
        }
    }
    QStringList due;
    for (const auto& b : store.dueBatches(100)) due.append(b.batchId);
    EXPECT_EQ(due.join(' '), "pending-3 pending-2 pending-1 pending-0 failed-3 failed-2 failed-1 failed-0");
    EXPECT_EQ(store.dueBatches(1e12).size(), 10u);
}

TEST_F(StoreTest, ABatchThatCannotMarkAllItsSignalsIsUndone) {
    store.insert(makeSignal(QStringLiteral("s1")));
    store.insert(makeSignal(QStringLiteral("s2")));
    // Marking one signal fails: the whole batch is undone, not half stored.
    sql("CREATE TRIGGER mark BEFORE UPDATE ON signals WHEN new.id='s2' "
        "BEGIN SELECT RAISE(ABORT,'cannot mark'); END;");
    EXPECT_EQ(store.saveBatch(makeBatch(QStringLiteral("B"), 1, QStringLiteral("pending")),
                              {"s1", "s2"}),
              0);
    EXPECT_EQ(store.countUnbatchedSignals(), 2);
    EXPECT_TRUE(store.recentBatches(5).empty());
    EXPECT_TRUE(logged.contains(QStringLiteral("Tarnwhistle SQL error: cannot mark")));

    sql("DROP TRIGGER mark;");
    EXPECT_EQ(store.saveBatch(makeBatch(QStringLiteral("B"), 1, QStringLiteral("pending")),
                              {"s1", "s2"}),
              2);
    EXPECT_EQ(store.countUnbatchedSignals(), 0);
}

TEST_F(StoreTest, RetentionKeepsWaitingWorkAndDropsItAfterAWeek) {
    const TimePoint day = 86400;
    auto saveAged = [&](const QString& id, const QString& status, double ageDays) {
        clock = 1'700'000'000 - ageDays * day;
        store.insert(makeSignal(id + "-s"));
        BatchRecord b = makeBatch(id, 1, status);
        b.created = clock;
        store.saveBatch(b, {id + "-s"});
    };
    saveAged(QStringLiteral("sent40"), QStringLiteral("sent"), 40);
    saveAged(QStringLiteral("failed40"), QStringLiteral("failed"), 40);
    saveAged(QStringLiteral("failed8"), QStringLiteral("failed"), 8);
    saveAged(QStringLiteral("pending6"), QStringLiteral("pending"), 6);
    saveAged(QStringLiteral("local2"), QStringLiteral("local"), 2);
    clock = 1'700'000'000 - 50 * day;
    store.insert(makeSignal(QStringLiteral("unbatched50")));
    clock = 1'700'000'000;

    store.purge(30);
    std::map<QString, QString> status;
    for (const auto& b : store.recentBatches(10)) status[b.batchId] = b.status;
    EXPECT_EQ(status, (std::map<QString, QString>{{"failed40", "dropped"},
                                                  {"failed8", "dropped"},
                                                  {"pending6", "pending"},
                                                  {"local2", "local"}}));
    QStringList ids;
    for (const auto& s : store.recentSignals(10)) ids.append(s.id);
    ids.sort();
    EXPECT_EQ(ids.join(' '), "failed8-s local2-s pending6-s unbatched50");

    store.purge(30);  // "failed40" is dropped now and older than the retention: gone
    EXPECT_EQ(store.recentBatches(10).size(), 3u);
    store.purge(0);  // counts as one day: only the waiting batch and the unbatched signal stay
    ASSERT_EQ(store.recentBatches(10).size(), 1u);
    EXPECT_EQ(store.recentBatches(10)[0].batchId, "pending6");
    ASSERT_EQ(store.recentSignals(10).size(), 1u);
    EXPECT_EQ(store.recentSignals(10)[0].id, "unbatched50");
}

TEST(StoreWithoutConnection, ReturnsEmptyResultsAndReportsFailure) {
    QStringList logged;
    SystemLog::setObserver([&](const QString& line) { logged.append(line); });
    QTemporaryDir dir;
    QFile notADatabase(dir.filePath(QStringLiteral("store.sqlite")));
    ASSERT_TRUE(notADatabase.open(QIODevice::WriteOnly));
    notADatabase.write(QByteArray(4096, 'x'));
    notADatabase.close();

    // Never opened; a folder; a file that is not a database (opens, then fails at the schema).
    for (const QString& path : {QString(), dir.path(), notADatabase.fileName()}) {
        logged.clear();
        Store store;
        if (!path.isEmpty()) {
            EXPECT_FALSE(store.open(path));
            EXPECT_TRUE(logged.contains(QStringLiteral("Tarnwhistle: could not open store")));
        }
        EXPECT_FALSE(store.isOpen()) << path.toStdString();
        logged.clear();
        EXPECT_FALSE(store.insert(makeSignal(QStringLiteral("s"))));
        EXPECT_EQ(store.nextSeq(), 1);
        EXPECT_EQ(store.saveBatch(makeBatch(QStringLiteral("B"), 1, "pending"), {"s"}), 0);
        EXPECT_FALSE(store.updateBatch(makeBatch(QStringLiteral("B"), 1, "sent")));
        EXPECT_FALSE(store.setMetaValue(QStringLiteral("1"), QStringLiteral("welcomed")));
        EXPECT_FALSE(store.purge(30));
        EXPECT_FALSE(store.deleteAll());
        EXPECT_TRUE(store.dueBatches(1e12).empty());
        EXPECT_TRUE(store.recentSignals(5).empty());
        EXPECT_TRUE(logged.isEmpty()) << logged.join('\n').toStdString();
    }
    QFile kept(notADatabase.fileName());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray(4096, 'x'));  // the foreign file is left as it was
    SystemLog::setObserver({});
}

TEST_F(StoreTest, AWriteThatFailsSaysSo) {
    sql("CREATE TRIGGER full BEFORE INSERT ON signals BEGIN SELECT RAISE(ABORT,'disk full'); END;"
        "CREATE TRIGGER metafull BEFORE INSERT ON meta BEGIN SELECT RAISE(ABORT,'disk full'); END;");
    EXPECT_FALSE(store.insert(makeSignal(QStringLiteral("s"))));
    EXPECT_FALSE(store.setMetaValue(QStringLiteral("1"), QStringLiteral("welcomed")));
    sql("DROP TRIGGER full; DROP TRIGGER metafull;");
    EXPECT_TRUE(store.insert(makeSignal(QStringLiteral("s"))));
    EXPECT_TRUE(store.insert(makeSignal(QStringLiteral("s"))));  // already stored is stored
    EXPECT_TRUE(store.setMetaValue(QStringLiteral("1"), QStringLiteral("welcomed")));
}

}  // namespace
