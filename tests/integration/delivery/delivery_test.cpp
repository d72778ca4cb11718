#include <sys/resource.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <cmath>

#include "../../unit/delivery/outbox_fixture.h"
#include "receiver_process.h"

namespace {

class Delivery : public OutboxFixture {
  protected:
    // Points the outbox at `receiver`, stores one signal and flushes it straight out.
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

struct Outcome {
    QJsonObject answer;
    std::optional<qint64> status;
    // The batch's last_error: empty when delivered, "*" for any transport error, "…" at the
    // end for any text that starts so.
    QString error;
    std::optional<double> holdsFor = {};  // how long the destination then waits, at least
};

qint64 peakMemoryKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(Delivery, EveryAnswerIsRecordedOnTheBatchWithoutCredentials) {
    const QString long400(400, u'x');
    const QString cutCharacter = QString(299, u'a') + QStringLiteral("é");
    const std::vector<Outcome> outcomes = {
        // First, while the peak memory is still low: a 400 MB answer costs next to nothing.
        {{{"status", 500}, {"action", "huge"}, {"size", 400 << 20}},
         500,
         "Server replied 500: " + QString(300, u'x')},
        {{{"status", 200}}, 200, {}},
        {{{"status", 204}, {"reply", ""}}, 204, {}},
        {{{"status", 299}, {"reply", "whatever"}}, 299, {}},
        // The receiver has the batch once it answers 2xx, also when the body breaks off.
        {{{"action", "truncate"}, {"status", 200}, {"reply", "a reply cut short"}}, 200, {}},
        {{{"status", 302}, {"reply", "moved"}}, 302, "Server replied 302: moved"},  // not followed
        {{{"status", 199}, {"reply", "early"}}, 199, "Server replied 199: "},  // 1xx has no body
        {{{"status", 404}, {"reply", "no such hook"}}, 404, "Server replied 404: no such hook"},
        {{{"status", 429}, {"reply", "slow"}, {"headers", QJsonObject{{"Retry-After", "120"}}}},
         429,
         "Server replied 429: slow",
         120},
        {{{"status", 500}, {"reply", long400}}, 500, "Server replied 500: " + QString(300, u'x')},
        {{{"status", 500}, {"reply", cutCharacter}}, 500, "Server replied 500"},
        {{{"action", "drop"}}, std::nullopt, "*"},
        {{{"action", "delay"}, {"delay", 5}}, std::nullopt, "The request timed out."},
        // Bytes keep coming, but the whole exchange has a deadline.
        {{{"status", 500}, {"action", "trickle"}, {"delay", 0.2}, {"size", 1000}},
         500,
         "Server replied 500: …"},
    };
    outbox.requestTimeoutMs = 500;
    ReceiverProcess receiver({});
    int row = 0;
    for (const Outcome& expected : outcomes) {
        const std::string name =
            QJsonDocument(expected.answer).toJson(QJsonDocument::Compact).left(60).toStdString();
        receiver.answerWith(QJsonObject{
            {"status", 200}, {"reply", "ok"}, {"action", "status"}, {"headers", QJsonObject{}}});
        receiver.answerWith(expected.answer);
        // A fresh destination per row (no backoff carried over), with credentials that no
        // text may show.
        const QString url = receiver.url(QStringLiteral("/hook?token=s3cret&row=%1").arg(++row))
                                .replace("http://", "http://alex:hunter2@");
        const TimePoint sentAt = clock;
        const qint64 memoryBefore = peakMemoryKiB();
        const BatchRecord batch = deliverOne(url);
        EXPECT_LT(peakMemoryKiB() - memoryBefore, 64 * 1024) << name;
        EXPECT_EQ(batch.attempts, 1) << name;
        EXPECT_EQ(batch.httpStatus, expected.status) << name;
        for (const QString& text : {batch.destination, batch.lastError.value_or(QString()),
                                    outbox.lastResult(), outbox.lastError().value_or(QString())}) {
            EXPECT_FALSE(text.contains("hunter2") || text.contains("s3cret") ||
                         text.contains("alex"))
                << name << " " << text.toStdString();
        }
        EXPECT_EQ(batch.destination, receiver.url());
        if (expected.error.isEmpty()) {
            EXPECT_EQ(batch.status, BatchStatus::sent) << name;
            EXPECT_FALSE(batch.lastError.has_value()) << name;
            EXPECT_TRUE(batch.sentAt.has_value()) << name;
            EXPECT_TRUE(outbox.lastResult().startsWith("Sent 1 signals at ")) << name;
            EXPECT_FALSE(outbox.lastError().has_value());
            EXPECT_EQ(store.metaValue("last_success")->toDouble(), clock);
            continue;
        }
        EXPECT_EQ(batch.status, BatchStatus::failed) << name;
        EXPECT_FALSE(batch.sentAt.has_value()) << name;
        ASSERT_TRUE(batch.lastError.has_value()) << name;
        if (expected.error == "*") {
            EXPECT_FALSE(batch.lastError->isEmpty()) << name;
            EXPECT_FALSE(batch.lastError->startsWith("Server replied")) << name;
        } else if (expected.error.endsWith(u'…')) {
            EXPECT_TRUE(batch.lastError->startsWith(expected.error.chopped(1))) << name;
        } else {
            EXPECT_EQ(*batch.lastError, expected.error) << name;
        }
        EXPECT_EQ(outbox.lastResult(), "Send failed: " + *batch.lastError) << name;
        EXPECT_EQ(outbox.lastError(), batch.lastError);
        const double delay = batch.nextAttempt - (sentAt + 0.001);
        EXPECT_TRUE(delay >= 24 && delay <= 36) << name << " " << delay;  // 30 s ± 20 %
        const double held = outbox.destination().resumesAt().value_or(0) - clock;
        EXPECT_GE(held, expected.holdsFor.value_or(24)) << name;
        EXPECT_LE(held, std::max(36.0, expected.holdsFor.value_or(0) + 1)) << name;
    }
    // No secret configured: the batches went unsigned.
    for (const auto& r : receiver.received())
        EXPECT_FALSE(r.record["headers"].toObject().contains("X-Tarnwhistle-Signature"));
}

TEST_F(Delivery, ARefusedConnectionIsATransportFailure) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    const BatchRecord batch = deliverOne(QStringLiteral("http://127.0.0.1:%1/hook").arg(port));
    EXPECT_EQ(batch.status, BatchStatus::failed);
    EXPECT_FALSE(batch.httpStatus.has_value());
    EXPECT_EQ(batch.lastError, "Connection refused");
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
        const BatchRecord b = store.recentBatches(1).front();
        EXPECT_EQ(b.attempts, attempt);
        delays.push_back(b.nextAttempt - clock);
    }
    const std::vector<double> expected = {24, 72, 120, 192, 576, 960, 1536, 4320, 3600, 3600};
    ASSERT_EQ(delays.size(), expected.size());
    for (size_t i = 0; i < delays.size(); ++i) EXPECT_NEAR(delays[i], expected[i], 1e-6) << i;

    const auto requests = receiver.received();
    ASSERT_EQ(requests.size(), 10u);
    QSet<QString> signatures;
    for (const auto& r : requests) {
        EXPECT_EQ(r.body, first.body.toUtf8());  // byte for byte, every time
        EXPECT_TRUE(r.record["signature_valid"].toBool())
            << r.header("X-Tarnwhistle-Signature").toStdString();
        EXPECT_EQ(r.header("User-Agent"), "Tarnwhistle/0.1.0 (Linux)");
        signatures.insert(r.header("X-Tarnwhistle-Signature"));
    }
    EXPECT_EQ(signatures.size(), 10);  // a new timestamp every time, so a new signature
    EXPECT_EQ(requests.back().header("X-Tarnwhistle-Timestamp"),
              QString::number(qint64(std::floor(clock))));
}

TEST_F(Delivery, LocalBatchesDrainOldestFirstTwoAtATimeOnceAnAddressIsSet) {
    configure([](DeploymentConfig& c) { c.maxBatch = 1; });
    insertSignals(45);
    outbox.flush();
    ASSERT_EQ(store.countWaitingBatches(), 0);
    ReceiverProcess receiver({"--secret", "s"});
    qsizetype mostInFlight = 0;
    QObject::connect(&outbox, &Outbox::changed,
                     [&] { mostInFlight = std::max(mostInFlight, outbox.sending().size()); });
    outbox.start();
    configure([&](DeploymentConfig& c) {
        c.webhookURL = receiver.url();
        c.webhookSecret = QStringLiteral("s");
    });
    EXPECT_EQ(outbox.sending().size(), 2);
    waitUntilIdle();  // each answer starts the next batch
    EXPECT_LE(mostInFlight, 2);
    EXPECT_EQ(store.countWaitingBatches(), 0);
    const auto received = receiver.received();
    ASSERT_EQ(received.size(), 45u);
    qint64 seq = 0;
    for (const auto& r : received) {
        EXPECT_TRUE(r.record["signature_valid"].toBool());
        const qint64 next = QJsonDocument::fromJson(r.body)["seq"].toInteger();
        EXPECT_LE(next, seq + 2);  // oldest first, give or take the other request in flight
        seq = std::max(seq, next);
    }
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
    EXPECT_TRUE(outbox.destination().backingOff());

    receiver.answerWith({{"status", 200}, {"action", "delay"}, {"delay", 0.2}});
    clock += 3600;
    outbox.pathUpdated(false);
    EXPECT_FALSE(outbox.online());
    outbox.retryDue();
    EXPECT_TRUE(outbox.sending().isEmpty());

    int idleCalls = 0;
    qint64 waitingAtIdle = -1;
    outbox.pathUpdated(true);  // back online: one probe after the spread
    for (int i = 0; i < 20 && outbox.sending().isEmpty(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(outbox.sending().size(), 1);
    outbox.onIdle = [&] {
        ++idleCalls;
        waitingAtIdle = store.countWaitingBatches();
    };
    outbox.retryDue();  // a probe is in flight: nothing more goes
    EXPECT_EQ(outbox.sending().size(), 1);
    QEventLoop loop;
    QObject::connect(&outbox, &Outbox::changed, &loop, [&] {
        if (outbox.sending().isEmpty()) loop.quit();
    });
    loop.exec();
    EXPECT_EQ(idleCalls, 1);
    EXPECT_EQ(waitingAtIdle, 0);  // the probe got through, the rest followed at once
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

TEST_F(Delivery, TestBatchesReportWithoutTouchingTheBatchTable) {
    ReceiverProcess ok({"--secret", "k"});
    configure([&](DeploymentConfig& c) {
        c.webhookURL = ok.url();
        c.webhookSecret = QStringLiteral("k");
    });
    auto runTest = [this] {
        std::optional<std::pair<bool, QString>> result;
        QEventLoop loop;
        outbox.sendTest([&](bool success, const QString& message) {
            result = {success, message};
            loop.quit();
        });
        loop.exec();
        return result.value_or(std::pair<bool, QString>{false, "no completion"});
    };
    const auto [success, message] = runTest();
    EXPECT_TRUE(success);
    EXPECT_EQ(message, "Delivered (HTTP 200).");
    EXPECT_EQ(outbox.lastSuccess(), clock);
    EXPECT_EQ(outbox.lastResult(), "Nothing sent yet");
    EXPECT_TRUE(store.recentBatches(5).empty());
    const auto requests = ok.received();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].record["signature_valid"].toBool());
    const QJsonObject body = QJsonDocument::fromJson(requests[0].body).object();
    EXPECT_EQ(body["seq"].toInteger(), 0);
    EXPECT_EQ(body["data"].toArray()[0].toObject()["type"].toString(), "test.ping");

    ok.answerWith({{"status", 503}, {"reply", "busy"}});
    const auto [failed, why] = runTest();
    EXPECT_FALSE(failed);
    EXPECT_EQ(why, "Server replied HTTP 503. busy");
    EXPECT_EQ(outbox.lastError(), "HTTP 503");
}

TEST_F(Delivery, TheTestReceiverKeepsBodiesPrivateAndRefusesHugeOnes) {
    ReceiverProcess receiver({});
    EXPECT_EQ(deliverOne(receiver.url()).status, BatchStatus::sent);
    for (const QString& file : {QStringLiteral("1.body"), QStringLiteral("1.json")})
        EXPECT_EQ(QFile::permissions(receiver.folder() + u'/' + file) & 0x0077, 0)
            << file.toStdString();

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(receiver.port()));
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write("POST /hook HTTP/1.1\r\nHost: x\r\nContent-Length: 10485761\r\n\r\n{");
    QByteArray answer;
    while (!answer.contains("\r\n") && socket.waitForReadyRead(5000)) answer += socket.readAll();
    EXPECT_TRUE(answer.startsWith("HTTP/1.0 413") || answer.startsWith("HTTP/1.1 413"))
        << answer.constData();
    EXPECT_EQ(receiver.received().size(), 1u);
}

}  // namespace
