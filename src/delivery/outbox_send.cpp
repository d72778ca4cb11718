// Delivery: the signed POST, its outcome on the batch row, backoff, and test batches.
#include <QDateTime>
#include <QLocale>
#include <cmath>

#include "base/text_trim.h"
#include "config/config_store.h"
#include "delivery/http_outcome.h"
#include "delivery/outbox.h"
#include "delivery/signer.h"
#include "delivery/webhook_address.h"
#include "signals/ulid.h"
#include "storage/store.h"

namespace tarnwhistle {

namespace {

const QString kUnusableAddress = QStringLiteral("The webhook address is not a valid http(s) URL.");
constexpr double kUnusableAddressDelay = 3600;
constexpr qsizetype kBatchReplyLimit = 300;
constexpr qsizetype kTestReplyLimit = 200;

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

void Outbox::post(const QUrl& url, const QByteArray& body, const QString& secret,
                  qsizetype replyLimit, std::function<void(const HttpOutcome&)> done) {
    QNetworkRequest r = request(url, body, secret, now());
    r.setTransferTimeout(requestTimeoutMs);
    transport_->post(r, body, replyLimit, requestTimeoutMs, std::move(done));
}

void Outbox::send(const BatchRecord& batch) {
    const DeploymentConfig config = configStore_.config();
    const auto url = WebhookAddress::usable(config.webhookURL);
    if (!url) {
        BatchRecord failed = batch;
        failed.status = BatchStatus::failed;
        failed.lastError = kUnusableAddress;
        failed.nextAttempt = now() + kUnusableAddressDelay;
        store_.updateBatch(failed);
        purgeHeldSince_.reset();  // no attempt can ever be made to such an address
        ++revision_;
        lastResult_ = kUnusableAddress;
        emit changed();
        return;
    }
    const QString address = Text::trimHorizontalSpace(config.webhookURL);
    destination_.track(address);
    destination_.started();
    sending_.insert(batch.batchId);
    post(*url, batch.body.toUtf8(), config.webhookSecret, kBatchReplyLimit,
         [this, batch, address](const HttpOutcome& outcome) { finish(batch, outcome, address); });
}

void Outbox::finish(BatchRecord batch, const HttpOutcome& outcome, const QString& address) {
    sending_.remove(batch.batchId);
    batch.attempts += 1;
    batch.httpStatus = outcome.code;
    const TimePoint t = now();
    const bool delivered = outcome.delivered();
    const QString error = delivered ? QString() : outcome.failureText();
    // An answer from an address that has since been replaced says nothing about the new one.
    const bool current = address == destination_.address();
    if (current) destination_.ended();
    if (delivered) {
        batch.status = BatchStatus::sent;
        batch.sentAt = t;
        batch.lastError.reset();
        if (current) destination_.succeeded();
    } else {
        const double factor = jitter();
        batch.status = BatchStatus::failed;
        batch.lastError = error;
        batch.nextAttempt = t + DestinationState::backoffDelay(batch.attempts) * factor;
        if (current)
            destination_.failed(t, factor,
                                outcome.retryAfterSeconds(t, DestinationState::maxRetryAfter));
    }
    store_.updateBatch(batch);
    ++revision_;
    // The attempt a clock jump waited for: a failure, or a success that left nothing due.
    if (purgeHeldSince_ && (!delivered || dueNow(t).empty())) purgeHeldSince_.reset();
    // The backlog drains as answers come in; started before anything is published, so that
    // observers never see an empty `sending` in the middle of a drain.
    if (online_ && !configStore_.config().paused) pump(false);

    if (delivered) {
        markSuccess();
        const QTime clock = QDateTime::fromMSecsSinceEpoch(qint64(t * 1000)).toLocalTime().time();
        lastResult_ = QStringLiteral("Sent %1 signals at %2")
                          .arg(batch.signalCount)
                          .arg(QLocale::system().toString(clock, QLocale::ShortFormat));
    } else {
        lastResult_ = QStringLiteral("Send failed: ") + error;
        markFailure(error);
    }
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
    const QString address = Text::trimHorizontalSpace(config.webhookURL);
    // Sent at once, whatever the backoff: the user is waiting for the answer.
    post(*url, body, config.webhookSecret, kTestReplyLimit,
         [this, address, completion](const HttpOutcome& outcome) {
             const QString code = QString::number(outcome.code.value_or(0));
             if (outcome.delivered()) {
                 markSuccess();
                 // The receiver is back: the backlog need not wait for the next probe.
                 if (address == destination_.address() && destination_.backingOff()) {
                     destination_.succeeded();
                     retryDue();
                 }
                 completion(true, QStringLiteral("Delivered (HTTP %1).").arg(code));
             } else if (!outcome.code && outcome.transportError) {
                 markFailure(*outcome.transportError);
                 completion(false, *outcome.transportError);
             } else {
                 markFailure(QStringLiteral("HTTP ") + code);
                 completion(false, QStringLiteral("Server replied HTTP %1. %2")
                                       .arg(code, outcome.reply.value_or(QString())));
             }
         });
}

}  // namespace tarnwhistle
