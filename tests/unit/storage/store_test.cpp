// The store over a temporary folder: what it keeps, hands out, refuses and leaves on disk.
#include <sqlite3.h>
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <QFile>
#include <QTemporaryDir>
#include <thread>

#include "base/system_log.h"
#include "storage/store.h"

namespace {

using ::testing::ElementsAre;
using ::testing::SizeIs;

Signal makeSignal(const QString& id, const QString& type = QStringLiteral("app.focus")) {
    return Signal{id, type, 1, JSONObject{{QStringLiteral("app"), "Editor"}}};
}

BatchRecord makeBatch(const QString& id, qint64 seq, BatchStatus status, TimePoint next = 0) {
    BatchRecord b;
    b.batchId = id;
    b.seq = seq;
    b.status = status;
    b.nextAttempt = next;
    return b;
}

class StoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store.now = [this] { return clock; };
        SystemLog::setObserver([this](const QString& line) { logged.append(line); });
        ASSERT_TRUE(store.open(path()));
    }
    void TearDown() override { SystemLog::setObserver({}); }

    QString path() const { return dir.filePath(QStringLiteral("store.sqlite")); }
    // Stores `b` with one new signal, "<batch id>-s", in it.
    bool saveWithSignal(const BatchRecord& b) {
        store.insert(makeSignal(b.batchId + "-s"));
        return store.saveBatch(b, {b.batchId + "-s"}) == 1;
    }
    // Runs SQL on a second connection, as another process (or a fault) would.
    void sql(const char* text) {
        sqlite3* db = nullptr;
        char* error = nullptr;
        ASSERT_EQ(sqlite3_open(path().toUtf8().constData(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, text, nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
    }

    // "id:status" of every stored batch, and the ids of every stored signal, sorted.
    QString batchStates() {
        QStringList states;
        for (const auto& b : store.recentBatches(100))
            states << b.batchId + ':' + rawValue(b.status);
        states.sort();
        return states.join(' ');
    }
    QString signalIds() {
        QStringList ids;
        for (const auto& s : store.recentSignals(100)) ids << s.id;
        ids.sort();
        return ids.join(' ');
    }
    // Whether the database file or its -wal holds `text` anywhere, free space included.
    bool onDisk(const QByteArray& text) const {
        for (const char* suffix : {"", "-wal"}) {
            QFile file(path() + suffix);
            if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text)) return true;
        }
        return false;
    }

    QTemporaryDir dir;
    Store store;
    TimePoint clock = 1'700'000'000;
    QStringList logged;
};

TEST_F(StoreTest, FilesAreOwnerOnly) {
    store.insert(makeSignal("s1"));  // makes the -wal and -shm files exist
    for (const char* suffix : {"", "-wal", "-shm"}) {
        struct stat info {};
        ASSERT_EQ(::stat((path() + suffix).toUtf8().constData(), &info), 0) << suffix;
        EXPECT_EQ(info.st_mode & 0777, 0600u) << suffix;
    }
    EXPECT_TRUE(logged.isEmpty()) << logged.join('\n').toStdString();
}

TEST_F(StoreTest, SignalsKeepTheirFirstRowAndUnreadableRowsTakeNoPlaces) {
    store.insert(makeSignal("b", "app.switch"));
    clock += 1;
    store.insert(makeSignal("a"));
    EXPECT_TRUE(store.insert(makeSignal("b", "input.pattern")));
    sql("INSERT INTO signals(id,type,created,json) VALUES('broken','x',1699999998,'{not json'),"
        "('empty','x',1699999999,'{}')");
    EXPECT_THAT(store.pendingSignals(10),
                ElementsAre(makeSignal("b", "app.switch"), makeSignal("a")));
    EXPECT_THAT(store.pendingSignals(1), SizeIs(1));
    EXPECT_EQ(store.recentSignals(10)[0].id, "a");
    EXPECT_EQ(store.countUnbatchedSignals(), 4);  // the unreadable rows still wait
}

TEST_F(StoreTest, SequenceNumbersCountUpFromWhatIsStoredAndSurviveDeletion) {
    EXPECT_EQ(store.nextSeq(), 1);
    store.setMetaValue("+41", "seq");
    EXPECT_EQ(store.nextSeq(), 42);
    for (const char* stored : {"abc", "", " 7", "41\n", "99999999999999999999", "-"}) {
        store.setMetaValue(QString::fromUtf8(stored), "seq");
        EXPECT_EQ(store.nextSeq(), 1) << stored;
    }
    ASSERT_TRUE(saveWithSignal(makeBatch("B", 1, BatchStatus::sent)));
    EXPECT_TRUE(store.deleteAll());
    EXPECT_TRUE(store.recentSignals(10).empty());
    EXPECT_TRUE(store.recentBatches(10).empty());
    EXPECT_EQ(store.nextSeq(), 2);
    // A stored batch's number counts as handed out even if nextSeq never recorded it.
    ASSERT_TRUE(saveWithSignal(makeBatch("C", 40, BatchStatus::local)));
    EXPECT_EQ(store.nextSeq(), 41);
}

TEST_F(StoreTest, ABatchIsNeverReplacedNorResurrected) {
    const BatchRecord sent = makeBatch("B", 1, BatchStatus::sent);
    ASSERT_TRUE(saveWithSignal(sent));
    store.insert(makeSignal("s2"));
    EXPECT_EQ(store.saveBatch(makeBatch("B", 2, BatchStatus::pending), {"s2"}), 0);
    EXPECT_THAT(store.recentBatches(5), ElementsAre(sent));
    EXPECT_EQ(store.countUnbatchedSignals(), 1);

    BatchRecord retry = sent;
    retry.status = BatchStatus::failed;
    EXPECT_FALSE(store.updateBatch(retry));  // sent stays sent

    BatchRecord old = makeBatch("D", 3, BatchStatus::failed);
    old.created = clock - 8 * 86400.0;
    ASSERT_EQ(store.saveBatch(old, {"s2"}), 1);
    EXPECT_TRUE(store.purge(30));
    old.attempts = 9;
    EXPECT_FALSE(store.updateBatch(old));  // a reply to a dropped batch does not revive it
    EXPECT_TRUE(store.dueBatches(1e12).empty());
    old.status = BatchStatus::sent;
    EXPECT_TRUE(store.updateBatch(old));  // but a late success is the truth
    EXPECT_EQ(store.recentBatches(1)[0].status, BatchStatus::sent);
    EXPECT_FALSE(store.updateBatch(makeBatch("nope", 9, BatchStatus::failed)));
}

// The one test of the limit of 20 due batches per retry round.
TEST_F(StoreTest, DueBatchesAreWaitingAndPastDueLowestSeqFirstAtMostTwenty) {
    int seq = 1;  // batches that are not waiting come first: the status decides
    for (BatchStatus status : {BatchStatus::local, BatchStatus::sent, BatchStatus::dropped})
        ASSERT_TRUE(saveWithSignal(makeBatch(rawValue(status), seq++, status)));
    for (int i = 0; i < 24; ++i) {
        const BatchStatus status = i % 2 ? BatchStatus::failed : BatchStatus::pending;
        ASSERT_TRUE(saveWithSignal(
            makeBatch(QStringLiteral("w%1").arg(i), seq++, status, i < 4 ? 500 : 100)));
    }
    const auto early = store.dueBatches(100);
    ASSERT_THAT(early, SizeIs(20));
    EXPECT_EQ(early.front().batchId, "w4");
    const auto late = store.dueBatches(1e12);
    ASSERT_THAT(late, SizeIs(20));
    EXPECT_EQ(late.front().batchId, "w0");
    EXPECT_EQ(late.back().batchId, "w19");
    EXPECT_EQ(store.countWaitingBatches(), 24);
}

TEST_F(StoreTest, WritesThatFailSaySoAndABatchThatCannotMarkAllItsSignalsIsUndone) {
    store.insert(makeSignal("s1"));
    store.insert(makeSignal("s2"));
    sql("CREATE TRIGGER mark BEFORE UPDATE ON signals WHEN new.id='s2' "
        "BEGIN SELECT RAISE(ABORT,'cannot mark'); END;"
        "CREATE TRIGGER full BEFORE INSERT ON signals BEGIN SELECT RAISE(ABORT,'disk full'); END;"
        "CREATE TRIGGER metafull BEFORE INSERT ON meta BEGIN SELECT RAISE(ABORT,'disk full'); "
        "END;");
    const BatchRecord batch = makeBatch("B", 1, BatchStatus::pending);
    EXPECT_EQ(store.saveBatch(batch, {"s1", "s2"}), 0);
    EXPECT_EQ(store.countUnbatchedSignals(), 2);
    EXPECT_TRUE(store.recentBatches(5).empty());
    EXPECT_TRUE(logged.contains("Tarnwhistle SQL error: cannot mark"));
    EXPECT_FALSE(store.insert(makeSignal("s")));
    EXPECT_FALSE(store.setMetaValue("1", "welcomed"));

    sql("DROP TRIGGER mark; DROP TRIGGER full; DROP TRIGGER metafull;");
    EXPECT_EQ(store.saveBatch(batch, {"s1", "s2"}), 2);
    EXPECT_TRUE(store.insert(makeSignal("s")));
    EXPECT_TRUE(store.setMetaValue("1", "welcomed"));
}

TEST_F(StoreTest, RetentionKeepsWaitingWorkDropsItAfterAWeekAndLeavesNoCopyOnDisk) {
    const std::tuple<const char*, BatchStatus, double> aged[] = {
        {"sent40", BatchStatus::sent, 40},
        {"failed40", BatchStatus::failed, 40},
        {"failed8", BatchStatus::failed, 8},
        {"pending6", BatchStatus::pending, 6},
        {"local2", BatchStatus::local, 2}};
    for (const auto& [id, status, days] : aged) {
        clock = 1'700'000'000 - days * 86400;
        BatchRecord b = makeBatch(id, 1, status);
        b.created = clock;
        ASSERT_TRUE(saveWithSignal(b));
    }
    clock = 1'700'000'000 - 50 * 86400;
    store.insert(makeSignal("unbatched50"));
    clock = 1'700'000'000;
    ASSERT_TRUE(onDisk("sent40"));

    store.purge(30);
    EXPECT_EQ(batchStates(), "failed40:dropped failed8:dropped local2:local pending6:pending");
    EXPECT_EQ(signalIds(), "failed8-s local2-s pending6-s unbatched50");
    EXPECT_FALSE(onDisk("sent40"));  // not in the file's free space nor in its log
    store.purge(30);                 // "failed40" is dropped now and older than the retention: gone
    EXPECT_EQ(batchStates(), "failed8:dropped local2:local pending6:pending");
    store.purge(0);  // counts as one day: only the waiting batch and the unbatched signal stay
    EXPECT_EQ(batchStates(), "pending6:pending");
    EXPECT_EQ(signalIds(), "unbatched50");
}

TEST_F(StoreTest, WithoutAConnectionItReturnsEmptyResultsAndLeavesAForeignFileAlone) {
    const QString foreign = dir.filePath(QStringLiteral("foreign.sqlite"));
    QFile file(foreign);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    // Never opened; a folder; a file that is not a database (opens, then fails at the schema).
    for (const QString& path : {QString(), dir.path(), foreign}) {
        logged.clear();
        Store closed;
        if (!path.isEmpty()) {
            EXPECT_FALSE(closed.open(path));
            EXPECT_TRUE(logged.contains("Tarnwhistle: could not open store"));
        }
        logged.clear();
        EXPECT_FALSE(closed.insert(makeSignal("s")));
        EXPECT_EQ(closed.nextSeq(), 1);
        EXPECT_EQ(closed.saveBatch(makeBatch("B", 1, BatchStatus::pending), {"s"}), 0);
        EXPECT_FALSE(closed.updateBatch(makeBatch("B", 1, BatchStatus::sent)));
        EXPECT_FALSE(closed.purge(30));
        EXPECT_FALSE(closed.deleteAll());
        EXPECT_TRUE(closed.dueBatches(1e12).empty());
        EXPECT_TRUE(logged.isEmpty()) << logged.join('\n').toStdString();
    }
    EXPECT_EQ(QFile(foreign).size(), 4096);
}

TEST_F(StoreTest, AWriterInAnotherProcessMakesWritesWaitNotFail) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    // The other connection lets go a moment later, well within the store's busy timeout.
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    const bool stored = store.insert(makeSignal("s"));
    release.join();
    sqlite3_close(other);
    EXPECT_TRUE(stored);
    EXPECT_EQ(store.countUnbatchedSignals(), 1);
}

}  // namespace
