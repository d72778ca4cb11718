#include <sqlite3.h>
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

#include "storage/store.h"
#include "base/system_log.h"

namespace {

Signal makeSignal(const QString& id, const QString& type = QStringLiteral("app.focus")) {
    return Signal{id, type, 1, JSONObject{{QStringLiteral("app"), "Editor"}}};
}

BatchRecord makeBatch(const QString& id, qint64 seq, BatchStatus status, TimePoint next = 0) {
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

QStringList idsOf(const std::vector<BatchRecord>& batches) {
    QStringList ids;
    for (const auto& b : batches) ids << b.batchId;
    return ids;
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
    // A batch of one new signal of the same id.
    bool saveWithSignal(const BatchRecord& b) {
        store.insert(makeSignal(b.batchId + "-s"));
        return store.saveBatch(b, {b.batchId + "-s"}) == 1;
    }
    // Runs SQL on a second connection, as another process (or a fault) would.
    void sql(const char* text) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path().toUtf8().constData(), &db), SQLITE_OK);
        char* error = nullptr;
        const int rc = sqlite3_exec(db, text, nullptr, nullptr, &error);
        const std::string message = error ? error : "";
        sqlite3_free(error);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << message;
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
    store.close();
    Store again;
    again.open(path());
    ASSERT_EQ(again.recentSignals(10).size(), 1u);
    EXPECT_TRUE(logged.isEmpty()) << logged.join('\n').toStdString();
}

TEST_F(StoreTest, SignalsKeepTheirFirstRowAndUnreadableRowsTakeNoPlaces) {
    store.insert(makeSignal(QStringLiteral("b"), QStringLiteral("app.switch")));
    clock += 1;
    store.insert(makeSignal(QStringLiteral("a")));
    EXPECT_TRUE(store.insert(makeSignal(QStringLiteral("b"), QStringLiteral("input.pattern"))));
    sql("INSERT INTO signals(id,type,created,json) VALUES('broken','x',1699999998,'{not json'),"
        "('empty','x',1699999999,'{}')");
    const auto pending = store.pendingSignals(10);
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0], makeSignal(QStringLiteral("b"), QStringLiteral("app.switch")));
    EXPECT_EQ(pending[1], makeSignal(QStringLiteral("a")));
    ASSERT_EQ(store.pendingSignals(1).size(), 1u);
    EXPECT_EQ(store.recentSignals(10)[0].id, "a");
    EXPECT_EQ(store.countUnbatchedSignals(), 4);  // the unreadable rows still wait
}

TEST_F(StoreTest, SequenceNumbersCountUpFromWhatIsStoredAndSurviveDeletion) {
    EXPECT_EQ(store.nextSeq(), 1);
    store.setMetaValue(QStringLiteral("+41"), QStringLiteral("seq"));
    EXPECT_EQ(store.nextSeq(), 42);
    for (const char* stored : {"abc", "", " 7", "41\n", "99999999999999999999", "-"}) {
        store.setMetaValue(QString::fromUtf8(stored), QStringLiteral("seq"));
        EXPECT_EQ(store.nextSeq(), 1) << stored;
    }
    ASSERT_TRUE(saveWithSignal(makeBatch(QStringLiteral("B"), 1, BatchStatus::sent)));
    EXPECT_TRUE(store.deleteAll());
    EXPECT_TRUE(store.recentSignals(10).empty());
    EXPECT_TRUE(store.recentBatches(10).empty());
    EXPECT_EQ(store.nextSeq(), 2);
    // A stored batch's number counts as handed out even if nextSeq never recorded it.
    ASSERT_TRUE(saveWithSignal(makeBatch(QStringLiteral("C"), 40, BatchStatus::local)));
    EXPECT_EQ(store.nextSeq(), 41);
}

TEST_F(StoreTest, ABatchIsNeverReplacedNorResurrected) {
    const BatchRecord sent = makeBatch(QStringLiteral("B"), 1, BatchStatus::sent);
    ASSERT_TRUE(saveWithSignal(sent));
    store.insert(makeSignal(QStringLiteral("s2")));
    EXPECT_EQ(store.saveBatch(makeBatch(QStringLiteral("B"), 2, BatchStatus::pending), {"s2"}), 0);
    ASSERT_EQ(store.recentBatches(5).size(), 1u);
    EXPECT_EQ(store.recentBatches(5)[0], sent);
    EXPECT_EQ(store.countUnbatchedSignals(), 1);

    BatchRecord retry = sent;
    retry.status = BatchStatus::failed;
    EXPECT_FALSE(store.updateBatch(retry));  // sent stays sent

    BatchRecord old = makeBatch(QStringLiteral("D"), 3, BatchStatus::failed);
    old.created = clock - 8 * 86400.0;
    ASSERT_EQ(store.saveBatch(old, {"s2"}), 1);
    EXPECT_TRUE(store.purge(30));
    old.attempts = 9;
    EXPECT_FALSE(store.updateBatch(old));  // a reply to a dropped batch does not revive it
    EXPECT_TRUE(store.dueBatches(1e12).empty());
    old.status = BatchStatus::sent;
    EXPECT_TRUE(store.updateBatch(old));  // but a late success is the truth
    EXPECT_EQ(store.recentBatches(1)[0].status, BatchStatus::sent);
    EXPECT_FALSE(store.updateBatch(makeBatch(QStringLiteral("nope"), 9, BatchStatus::failed)));
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
    const QStringList early = idsOf(store.dueBatches(100));
    EXPECT_EQ(early.size(), 20);
    EXPECT_EQ(early.first(), "w4");
    const QStringList late = idsOf(store.dueBatches(1e12));
    EXPECT_EQ(late.size(), 20);
    EXPECT_EQ(late.first(), "w0");
    EXPECT_EQ(late.last(), "w19");
    EXPECT_EQ(store.countWaitingBatches(), 24);
}

TEST_F(StoreTest, ABatchThatCannotMarkAllItsSignalsIsUndone) {
    store.insert(makeSignal(QStringLiteral("s1")));
    store.insert(makeSignal(QStringLiteral("s2")));
    sql("CREATE TRIGGER mark BEFORE UPDATE ON signals WHEN new.id='s2' "
        "BEGIN SELECT RAISE(ABORT,'cannot mark'); END;");
    const BatchRecord batch = makeBatch(QStringLiteral("B"), 1, BatchStatus::pending);
    EXPECT_EQ(store.saveBatch(batch, {"s1", "s2"}), 0);
    EXPECT_EQ(store.countUnbatchedSignals(), 2);
    EXPECT_TRUE(store.recentBatches(5).empty());
    EXPECT_TRUE(logged.contains(QStringLiteral("Tarnwhistle SQL error: cannot mark")));
    sql("DROP TRIGGER mark;");
    EXPECT_EQ(store.saveBatch(batch, {"s1", "s2"}), 2);
}

TEST_F(StoreTest, RetentionKeepsWaitingWorkAndDropsItAfterAWeek) {
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
    store.insert(makeSignal(QStringLiteral("unbatched50")));
    clock = 1'700'000'000;

    store.purge(30);
    std::map<QString, BatchStatus> status;
    for (const auto& b : store.recentBatches(10)) status[b.batchId] = b.status;
    EXPECT_EQ(status, (std::map<QString, BatchStatus>{{"failed40", BatchStatus::dropped},
                                                      {"failed8", BatchStatus::dropped},
                                                      {"pending6", BatchStatus::pending},
                                                      {"local2", BatchStatus::local}}));
    QStringList ids;
    for (const auto& s : store.recentSignals(10)) ids << s.id;
    ids.sort();
    EXPECT_EQ(ids.join(' '), "failed8-s local2-s pending6-s unbatched50");

    store.purge(30);  // "failed40" is dropped now and older than the retention: gone
    EXPECT_EQ(store.recentBatches(10).size(), 3u);
    store.purge(0);  // counts as one day: only the waiting batch and the unbatched signal stay
    EXPECT_EQ(idsOf(store.recentBatches(10)), QStringList{"pending6"});
    ASSERT_EQ(store.recentSignals(10).size(), 1u);
    EXPECT_EQ(store.recentSignals(10)[0].id, "unbatched50");
}

TEST_F(StoreTest, AWriteThatFailsSaysSo) {
    sql("CREATE TRIGGER full BEFORE INSERT ON signals BEGIN SELECT RAISE(ABORT,'disk full'); END;"
        "CREATE TRIGGER metafull BEFORE INSERT ON meta BEGIN SELECT RAISE(ABORT,'disk full'); "
        "END;");
    EXPECT_FALSE(store.insert(makeSignal(QStringLiteral("s"))));
    EXPECT_FALSE(store.setMetaValue(QStringLiteral("1"), QStringLiteral("welcomed")));
    sql("DROP TRIGGER full; DROP TRIGGER metafull;");
    EXPECT_TRUE(store.insert(makeSignal(QStringLiteral("s"))));
    EXPECT_TRUE(store.setMetaValue(QStringLiteral("1"), QStringLiteral("welcomed")));
}

TEST(StoreWithoutConnection, ReturnsEmptyResultsAndLeavesAForeignFileAlone) {
    QStringList logged;
    SystemLog::setObserver([&](const QString& line) { logged.append(line); });
    QTemporaryDir dir;
    const QString foreign = dir.filePath(QStringLiteral("store.sqlite"));
    QFile file(foreign);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    // Never opened; a folder; a file that is not a database (opens, then fails at the schema).
    for (const QString& path : {QString(), dir.path(), foreign}) {
        logged.clear();
        Store store;
        if (!path.isEmpty()) {
            EXPECT_FALSE(store.open(path));
            EXPECT_TRUE(logged.contains("Tarnwhistle: could not open store"));
        }
        logged.clear();
        EXPECT_FALSE(store.insert(makeSignal(QStringLiteral("s"))));
        EXPECT_EQ(store.nextSeq(), 1);
        EXPECT_EQ(store.saveBatch(makeBatch(QStringLiteral("B"), 1, BatchStatus::pending), {"s"}),
                  0);
        EXPECT_FALSE(store.updateBatch(makeBatch(QStringLiteral("B"), 1, BatchStatus::sent)));
        EXPECT_FALSE(store.purge(30));
        EXPECT_FALSE(store.deleteAll());
        EXPECT_TRUE(store.dueBatches(1e12).empty());
        EXPECT_TRUE(logged.isEmpty()) << logged.join('\n').toStdString();
    }
    EXPECT_EQ(QFile(foreign).size(), 4096);
    SystemLog::setObserver({});
}

}  // namespace
