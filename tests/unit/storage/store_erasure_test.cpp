// What the store leaves on disk after deleting, and how it shares the file with another process.
#include <sqlite3.h>

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <thread>

#include "base/system_log.h"
#include "storage/store.h"

namespace {

const QByteArray kMarker = "QX7marker-Feldmann";

class StoreErasureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store.now = [this] { return clock; };
        ASSERT_TRUE(store.open(path()));
    }
    QString path() const { return dir.filePath(QStringLiteral("store.sqlite")); }

    // Thousands of signals and batches whose text carries the marker, as a few days of use.
    void fill(int batches) {
        for (int b = 0; b < batches; ++b) {
            QStringList ids;
            for (int i = 0; i < 50; ++i) {
                const QString id = QStringLiteral("s%1-%2").arg(b).arg(i);
                ASSERT_TRUE(store.insert(
                    Signal{id, QStringLiteral("app.focus"), 1,
                           JSONObject{{QStringLiteral("note"), QString::fromLatin1(kMarker)}}}));
                ids << id;
            }
            BatchRecord batch;
            batch.batchId = QStringLiteral("B%1").arg(b);
            batch.seq = b + 1;
            batch.created = clock;
            batch.body = QString::fromLatin1(kMarker).repeated(20);
            batch.status = QStringLiteral("sent");
            ASSERT_EQ(store.saveBatch(batch, ids), 50);
        }
    }
    // How many copies of the marker the database file and its -wal hold.
    int copiesOnDisk() const {
        int copies = 0;
        for (const char* suffix : {"", "-wal"}) {
            QFile file(path() + suffix);
            if (!file.open(QIODevice::ReadOnly)) continue;
            const QByteArray bytes = file.readAll();
            for (qsizetype at = bytes.indexOf(kMarker); at >= 0;
                 at = bytes.indexOf(kMarker, at + 1))
                ++copies;
        }
        return copies;
    }

    QTemporaryDir dir;
    Store store;
    TimePoint clock = 1'700'000'000;
};

TEST_F(StoreErasureTest, DeleteAllLeavesNoCopyInTheFileOrItsLog) {
    fill(60);
    ASSERT_GT(copiesOnDisk(), 1000);
    ASSERT_TRUE(store.deleteAll());  // with the connection still open, as the agent does it
    EXPECT_EQ(copiesOnDisk(), 0);
    EXPECT_EQ(QFile(path() + "-wal").size(), 0);
}

TEST_F(StoreErasureTest, RetentionLeavesNoCopyOfWhatItRemoved) {
    fill(20);
    clock += 40 * 86400.0;
    ASSERT_TRUE(store.purge(30));
    EXPECT_TRUE(store.recentSignals(5).empty());
    EXPECT_EQ(copiesOnDisk(), 0);
}

TEST_F(StoreErasureTest, AWriterInAnotherProcessMakesWritesWaitNotFail) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    // The other connection lets go a moment later, well within the store's busy timeout.
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    const bool stored =
        store.insert(Signal{QStringLiteral("s"), QStringLiteral("app.focus"), 1, {}});
    release.join();
    sqlite3_close(other);
    EXPECT_TRUE(stored);
    EXPECT_EQ(store.countUnbatchedSignals(), 1);
}

}  // namespace
