#include <sqlite3.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "storage/store.h"
#include "storage/system_log.h"

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
    for (const char* stored : {"abc", "", " 7", "99999999999999999999"}) {
        store.setMetaValue(QString::fromUtf8(stored), QStringLiteral("seq"));
        EXPECT_EQ(store.nextSeq(), 1) << stored;
    }
    store.insert(makeSignal(QStringLiteral("s")));
    store.saveBatch(makeBatch(QStringLiteral("B"), 1, QStringLiteral("sent")), {"s"});
    store.deleteAll();
    EXPECT_TRUE(store.recentSignals(10).empty());
    EXPECT_TRUE(store.recentBatches(10).empty());
    EXPECT_EQ(store.nextSeq(), 2);
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

TEST(StoreWithoutConnection, ReturnsEmptyResultsAndLogsOnlyTheFailedOpen) {
    QStringList logged;
    SystemLog::setObserver([&](const QString& line) { logged.append(line); });
    Store store;
    store.insert(makeSignal(QStringLiteral("s")));
    EXPECT_EQ(store.nextSeq(), 1);
    EXPECT_EQ(store.saveBatch(makeBatch(QStringLiteral("B"), 1, "pending"), {"s"}), 0);
    EXPECT_TRUE(store.dueBatches(1e12).empty());
    EXPECT_TRUE(logged.isEmpty());

    QTemporaryDir dir;
    store.open(dir.path());  // a folder cannot be opened as a database
    EXPECT_EQ(logged, QStringList{"Tarnwhistle: could not open store"});
    // A failed open does not look open, and its empty results are not logged one by one.
    EXPECT_FALSE(store.isOpen());
    EXPECT_TRUE(store.recentSignals(5).empty());
    EXPECT_EQ(logged.size(), 1);
    SystemLog::setObserver({});
}

}  // namespace
