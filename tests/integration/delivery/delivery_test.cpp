#include <sys/resource.h>

#include <gmock/gmock.h>
#include <QJsonArray>
#include <QSslConfiguration>
#include <QTcpSocket>
#include <QTest>
#include <cmath>

#include "../../unit/delivery/outbox_fixture.h"
#include "receiver_process.h"

namespace {

class Delivery : public OutboxFixture {
  protected:
    // Points the outbox at `url`, stores one signal and flushes it straight out.
    BatchRecord deliverOne(const QString& url, const QString& secret = QString()) {
        configure([&](DeploymentConfig& c) {
            c.webhookURL = url;
            c.webhookSecret = secret;
        });
        insertSignals(1);
        outbox.flush();
        waitUntilIdle();
        return store.recentBatches(1).front();
    }
};

qint64 peakMemoryKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(Delivery, EveryAnswerIsRecordedOnTheBatchWithoutCredentials) {
    // A row per distinct answer: what the receiver does, and what the batch then records. The
    // error is absent when delivered, "*" for any transport error, or "…" after a prefix.
    QFile table(QStringLiteral(TARNWHISTLE_TEST_DATA_DIR "/delivery/answers.json"));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    const QJsonArray rows = QJsonDocument::fromJson(table.readAll()).array();
    ASSERT_FALSE(rows.isEmpty());
    outbox.requestTimeoutMs = 500;
    ReceiverProcess receiver({});
    int n = 0;
    for (const auto& value : rows) {
        const QJsonObject row = value.toObject();
        const QJsonObject answer = row["answer"].toObject();
        const std::string name =
            QJsonDocument(answer).toJson(QJsonDocument::Compact).left(60).toStdString();
        receiver.answerWith(answer);
        // A fresh destination per row (no backoff carried over), with credentials that no
        // text may show.
        const QString url = receiver.url(QStringLiteral("/hook?token=s3cret&row=%1").arg(++n))
                                .replace("http://", "http://alex:hunter2@");
        const TimePoint sentAt = clock;
        const qint64 memoryBefore = peakMemoryKiB();
        const BatchRecord batch = deliverOne(url);
        EXPECT_LT(peakMemoryKiB() - memoryBefore, 64 * 1024) << name;
        EXPECT_EQ(batch.attempts, 1) << name;
        EXPECT_EQ(batch.httpStatus.value_or(-1), row["status"].toInteger(-1)) << name;
        EXPECT_EQ(batch.destination, receiver.url()) << name;
        const QString shown =
            batch.lastError.value_or("") + outbox.lastResult() + outbox.lastError().value_or("");
        for (const char* secret : {"hunter2", "s3cret", "alex"})
            EXPECT_FALSE(shown.contains(secret)) << name << " " << shown.toStdString();
        const QString expected = row["error"].toString();
        if (expected.isEmpty()) {
            EXPECT_EQ(batch.status, BatchStatus::sent) << name;
            EXPECT_TRUE(batch.sentAt && !batch.lastError) << name;
            EXPECT_TRUE(outbox.lastResult().startsWith("Sent 1 signals at ")) << name;
            EXPECT_EQ(store.metaValue("last_success")->toDouble(), clock);
            continue;
        }
        EXPECT_EQ(batch.status, BatchStatus::failed) << name;
        const QString error = batch.lastError.value_or("");
        if (expected == "*")
            EXPECT_TRUE(!error.isEmpty() && !error.startsWith("Server replied")) << name;
        else if (expected.endsWith(u'…'))
            EXPECT_TRUE(error.startsWith(expected.chopped(1))) << name;
        else
            EXPECT_EQ(error, expected) << name;
        EXPECT_EQ(outbox.lastResult(), "Send failed: " + error) << name;
        EXPECT_EQ(outbox.lastError(), batch.lastError) << name;
        const double delay = batch.nextAttempt - (sentAt + 0.001);
        EXPECT_TRUE(delay >= 24 && delay <= 36) << name << " " << delay;  // 30 s ± 20 %
        const double held = outbox.destination().resumesAt().value_or(0) - clock;
        const double holdsFor = row["holdsFor"].toDouble();  // a Retry-After, at least
        EXPECT_GE(held, std::max(24.0, holdsFor)) << name;
        EXPECT_LE(held, std::max(36.0, holdsFor + 1)) << name;
    }
    // No secret configured: the batches went unsigned.
    for (const auto& r : receiver.received())
        EXPECT_FALSE(r.record["headers"].toObject().contains("X-Tarnwhistle-Signature"));
}

TEST_F(Delivery, RetriesBackOffAndResendTheSameBodyFreshlySigned) {
    ReceiverProcess receiver({"--status", "500", "--secret", "top secret"});
    std::vector<double> jitters = {0.8, 1.2, 1.0, 0.8, 1.2, 1.0, 0.8, 1.2, 1.0, 1.0};
    size_t draw = 0;
    outbox.jitter = [&] { return jitters.at(draw++); };
    const BatchRecord first = deliverOne(receiver.url(), QStringLiteral("top secret"));
    std::vector<double> delays = {first.nextAttempt - clock};
    for (int attempt = 2; attempt <= 10; ++attempt) {
        clock = store.recentBatches(1).front().nextAttempt;
        outbox.retryDue();
        waitUntilIdle();
        delays.push_back(store.recentBatches(1).front().nextAttempt - clock);
    }
    EXPECT_THAT(delays, ::testing::Pointwise(::testing::DoubleNear(1e-6),
                                             {24, 72, 120, 192, 576, 960, 1536, 4320, 3600, 3600}));

    const auto requests = receiver.received();
    ASSERT_EQ(requests.size(), 10u);
    QSet<QString> signatures;
    for (const auto& r : requests) {
        EXPECT_EQ(r.body, first.body.toUtf8());  // byte for byte, every time
        EXPECT_TRUE(r.record["signature_valid"].toBool());
        EXPECT_EQ(r.header("User-Agent"), "Tarnwhistle/0.1.0 (Linux)");
        signatures.insert(r.header("X-Tarnwhistle-Signature"));
    }
    EXPECT_EQ(signatures.size(), 10);  // a new timestamp every time, so a new signature
    EXPECT_EQ(requests.back().header("X-Tarnwhistle-Timestamp"),
              QString::number(qint64(std::floor(clock))));
}

TEST_F(Delivery, OfflineWaitsAndIdleIsReportedOnceAfterTheLastOutcome) {
    ReceiverProcess receiver({"--status", "500"});
    configure([&](DeploymentConfig& c) {
        c.webhookURL = receiver.url();
        c.maxBatch = 1;
    });
    outbox.uniform = [](double lo, double) { return lo; };  // no spread when the network returns
    insertSignals(3);
    outbox.flush();  // two go at once, whatever the network state; then the failures hold it
    waitUntilIdle();
    ASSERT_EQ(receiver.received().size(), 2u);

    receiver.answerWith({{"action", "delay"}, {"delay", 0.2}});
    clock += 3600;
    outbox.pathUpdated(false);
    outbox.retryDue();
    EXPECT_TRUE(outbox.sending().isEmpty());

    outbox.pathUpdated(true);  // back online: one probe after the spread
    ASSERT_TRUE(QTest::qWaitFor([this] { return !outbox.sending().isEmpty(); }, 60'000));
    std::vector<qint64> waitingAtIdle;
    outbox.onIdle = [&] { waitingAtIdle.push_back(store.countWaitingBatches()); };
    outbox.retryDue();  // a probe is in flight: nothing more goes
    EXPECT_EQ(outbox.sending().size(), 1);
    waitUntilIdle();
    // Once, and only when the probe got through and the rest followed at once.
    EXPECT_THAT(waitingAtIdle, ::testing::ElementsAre(0));
    EXPECT_FALSE(outbox.onIdle);
    EXPECT_EQ(receiver.received().size(), 5u);

    // A request in flight when the user pauses still has its outcome stored.
    insertSignals(1);
    outbox.flush();
    ASSERT_EQ(outbox.sending().size(), 1);
    configure([](DeploymentConfig& c) { c.paused = true; });
    waitUntilIdle();
    EXPECT_EQ(store.recentBatches(1).front().status, BatchStatus::sent);
}

TEST_F(Delivery, TestBatchesLeaveTheBatchTableAndTheReceiverKeepsWhatItGetsPrivate) {
    ReceiverProcess receiver({"--secret", "k"});
    configure([&](DeploymentConfig& c) {
        c.webhookURL = receiver.url();
        c.webhookSecret = QStringLiteral("k");
    });
    auto runTest = [this] {
        std::optional<std::pair<bool, QString>> result;
        outbox.sendTest([&](bool ok, const QString& message) { result = {ok, message}; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 60'000));
        return result.value_or(std::pair<bool, QString>{});
    };
    EXPECT_EQ(runTest(), std::make_pair(true, QStringLiteral("Delivered (HTTP 200).")));
    EXPECT_EQ(outbox.lastSuccess(), clock);
    EXPECT_EQ(outbox.lastResult(), "Nothing sent yet");
    EXPECT_TRUE(store.recentBatches(5).empty());
    const auto requests = receiver.received();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].record["signature_valid"].toBool());
    const QJsonObject body = QJsonDocument::fromJson(requests[0].body).object();
    EXPECT_EQ(body["seq"].toInteger(), 0);
    EXPECT_EQ(body["data"].toArray()[0].toObject()["type"].toString(), "test.ping");
    for (const char* file : {"/1.body", "/1.json"})
        EXPECT_EQ(QFile::permissions(receiver.folder() + file) & 0x0077, 0) << file;

    // The receiver refuses an announced body over 10 MB before reading it.
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(receiver.port()));
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write("POST /hook HTTP/1.1\r\nHost: x\r\nContent-Length: 10485761\r\n\r\n{");
    QByteArray answer;
    while (!answer.contains("\r\n") && socket.waitForReadyRead(5000)) answer += socket.readAll();
    EXPECT_TRUE(answer.startsWith("HTTP/1.0 413") || answer.startsWith("HTTP/1.1 413"))
        << answer.constData();

    receiver.answerWith({{"status", 503}, {"reply", "busy"}});
    EXPECT_EQ(runTest(), std::make_pair(false, QStringLiteral("Server replied HTTP 503. busy")));
    EXPECT_EQ(outbox.lastError(), "HTTP 503");
    EXPECT_EQ(receiver.received().size(), 2u);  // the refused one is not recorded
}

// Only a receiver whose certificate chains to a trusted authority, is valid now and names the
// address's host gets a batch (the certificates: tests/data/delivery/certs/README.md).
TEST_F(Delivery, OnlyATrustedValidCertificateForTheHostIsAccepted) {
    const QString certs = QStringLiteral(TARNWHISTLE_TEST_DATA_DIR "/delivery/certs/");
    QSslConfiguration trust = QSslConfiguration::defaultConfiguration();
    trust.addCaCertificates(certs + "ca.pem");  // beside the system's, for this process
    QSslConfiguration::setDefaultConfiguration(trust);
    for (const QString name : {"good", "wronghost", "expired", "selfsigned", "otherca"}) {
        ReceiverProcess receiver({"--cert", certs + name + ".pem", "--key", certs + name + ".key"});
        const BatchRecord batch =
            deliverOne(QStringLiteral("https://127.0.0.1:%1/hook").arg(receiver.port()));
        const bool trusted = name == "good";
        EXPECT_EQ(batch.status, trusted ? BatchStatus::sent : BatchStatus::failed)
            << name.toStdString();
        EXPECT_EQ(receiver.received().size(), trusted ? 1u : 0u) << name.toStdString();
        EXPECT_EQ(batch.lastError.value_or("").isEmpty(), trusted) << name.toStdString();
    }
}

}  // namespace
