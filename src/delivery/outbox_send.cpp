// Delivery: the signed POST, its outcome on the batch row, backoff, and test batches.
#include <QDateTime>
#include <QLocale>
#include <QNetworkReply>
#include <cmath>

#include "config/config_store.h"
#include "delivery/http_outcome.h"
#include "delivery/outbox.h"
#include "delivery/signer.h"
#include "delivery/webhook_address.h"
#include "signals/ulid.h"
#include "storage/store.h"

namespace {

const QString kUnusableAddress = QStringLiteral("The webhook address is not a valid http(s) URL.");
constexpr double kUnusableAddressDelay = 3600;
constexpr qsizetype kBatchReplyLimit = 300;
constexpr qsizetype kTestReplyLimit = 200;

// 30 s doubling per attempt, capped at one hour: 30, 60, 120, ... 1920, 3600, 3600, ...
double backoffDelay(qint64 attempts) {
    const qint64 exponent = std::clamp<qint64>(attempts - 1, 0, 7);
    return std::min(30.0 * std::ldexp(1.0, int(exponent)), 3600.0);
}

QString failureText(const HttpOutcome& outcome) {
    if (outcome.transportError) return *outcome.transportError;
    QString text = QStringLiteral("Server replied ") +
                   (outcome.code ? QString::number(*outcome.code) : QStringLiteral("nothing"));
    if (outcome.reply) text += QStringLiteral(": ") + *outcome.reply;
    return text;
}

}  // namespace

QNetworkRequest Outbox::request(const QUrl& url, const QByteArray& body, const QString& secret,
                                TimePoint at) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(60'000);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    request.setRawHeader("User-Agent", "Tarnwhistle/" + appVersion().toUtf8() + " (Linux)");
    const qint64 timestamp = qint64(std::floor(at));
    request.setRawHeader("X-Tarnwhistle-Timestamp", QByteArray::number(timestamp));
    if (!secret.isEmpty())
        request.setRawHeader("X-Tarnwhistle-Signature",
                             Signer::signature(secret, timestamp, body).toUtf8());
    return request;
}

QNetworkReply* Outbox::post(const QUrl& url, const QByteArray& body, const QString& secret) {
    QNetworkRequest r = request(url, body, secret, now());
    r.setTransferTimeout(requestTimeoutMs);
    return network_.post(r, body);
}

void Outbox::send(const BatchRecord& batch) {
    const DeploymentConfig config = configStore_.config();
    const auto url = WebhookAddress::usable(config.webhookURL);
    if (!url) {
        BatchRecord failed = batch;
        failed.status = QStringLiteral("failed");
        failed.lastError = kUnusableAddress;
        failed.nextAttempt = now() + kUnusableAddressDelay;
        store_.updateBatch(failed);
        ++revision_;
        lastResult_ = kUnusableAddress;
        emit changed();
        return;
    }
    sending_.insert(batch.batchId);
    QNetworkReply* reply = post(*url, batch.body.toUtf8(), config.webhookSecret);
    connect(reply, &QNetworkReply::finished, this, [this, reply, batch] {
        const HttpOutcome outcome = HttpOutcome::from(reply, kBatchReplyLimit);
        reply->deleteLater();
        finish(batch, outcome);
    });
}

void Outbox::finish(BatchRecord batch, const HttpOutcome& outcome) {
    sending_.remove(batch.batchId);
    batch.attempts += 1;
    batch.httpStatus = outcome.code;
    const TimePoint t = now();
    if (outcome.delivered()) {
        batch.status = QStringLiteral("sent");
        batch.sentAt = t;
        batch.lastError.reset();
        markSuccess();
        const QTime clock = QDateTime::fromMSecsSinceEpoch(qint64(t * 1000)).toLocalTime().time();
        lastResult_ = QStringLiteral("Sent %1 signals at %2")
                          .arg(batch.signalCount)
                          .arg(QLocale::system().toString(clock, QLocale::ShortFormat));
    } else {
        const QString error = failureText(outcome);
        batch.status = QStringLiteral("failed");
        batch.lastError = error;
        batch.nextAttempt = t + backoffDelay(batch.attempts) * jitter();
        lastResult_ = QStringLiteral("Send failed: ") + error;
        markFailure(error);
    }
    store_.updateBatch(batch);
    ++revision_;
    emit changed();
    if (sending_.isEmpty() && onIdle) {
        auto callback = std::move(onIdle);
        onIdle = nullptr;
        callback();
    }
}

void Outbox::sendTest(std::function<void(bool, const QString&)> completion) {
    const DeploymentConfig config = configStore_.config();
    const auto url = WebhookAddress::usable(config.webhookURL);
    if (!url) {
        completion(false, QStringLiteral("Enter a webhook address that starts with https://"));
        return;
    }
    const TimePoint t = now();
    Signal ping{ULID::make(t), QStringLiteral("test.ping"), 1,
                JSONObject{{QStringLiteral("ts"), Time::iso(t)},
                           {QStringLiteral("note"), "Test batch from Tarnwhistle settings"}}};
    const QByteArray body = envelope({ping}, ULID::make(t), 0);
    QNetworkReply* reply = post(*url, body, config.webhookSecret);
    connect(reply, &QNetworkReply::finished, this, [this, reply, completion] {
        const HttpOutcome outcome = HttpOutcome::from(reply, kTestReplyLimit);
        reply->deleteLater();
        const QString code = QString::number(outcome.code.value_or(0));
        if (outcome.delivered()) {
            markSuccess();
            completion(true, QStringLiteral("Delivered (HTTP %1).").arg(code));
        } else if (outcome.transportError) {
            markFailure(*outcome.transportError);
            completion(false, *outcome.transportError);
        } else {
            markFailure(QStringLiteral("HTTP ") + code);
            completion(false, QStringLiteral("Server replied HTTP %1. %2")
                                  .arg(code, outcome.reply.value_or(QString())));
        }
    });
}
