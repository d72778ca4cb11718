#include "delivery/network_transport.h"

#include <QNetworkReply>
#include <QTimer>

#include "delivery/webhook_address.h"

namespace tarnwhistle {

namespace {

// One request in flight: reads the status as soon as the headers arrive and the body up to
// its limit, then ends the exchange, whatever else the receiver still sends.
class Exchange : public QObject {
  public:
    Exchange(QNetworkReply* reply, qsizetype replyLimit, int deadlineMs,
             std::function<void(const HttpOutcome&)> done, QObject* parent)
        : QObject(parent), reply_(reply), limit_(replyLimit), done_(std::move(done)) {
        reply_->setParent(this);
        // Qt stops reading from the socket once this much waits unread.
        reply_->setReadBufferSize(std::max<qsizetype>(limit_, 1));
        connect(reply_, &QNetworkReply::metaDataChanged, this, &Exchange::headersArrived);
        connect(reply_, &QNetworkReply::readyRead, this, &Exchange::readBody);
        connect(reply_, &QNetworkReply::finished, this, [this] { complete(false); });
        deadline_.setSingleShot(true);
        deadline_.setTimerType(Qt::PreciseTimer);
        connect(&deadline_, &QTimer::timeout, this, [this] { complete(true); });
        deadline_.start(deadlineMs);
    }

  private:
    std::optional<qint64> status() const {
        const QVariant value = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        return value.isValid() ? std::optional<qint64>(value.toLongLong()) : std::nullopt;
    }

    void headersArrived() {
        // A 2xx is all that is needed: the receiver has the batch.
        const auto code = status();
        if (code && *code >= 200 && *code <= 299) complete(false);
    }

    void readBody() {
        if (reply_->isOpen() && body_.size() < limit_) body_ += reply_->read(limit_ - body_.size());
        if (body_.size() >= limit_ && status()) complete(false);
    }

    void complete(bool timedOut) {
        if (finished_) return;
        finished_ = true;
        deadline_.stop();
        readBody();
        HttpOutcome outcome;
        outcome.code = status();
        if (outcome.code) {
            // Any status is an answer, also when the body broke off or the time ran out.
            outcome.reply = HttpOutcome::replyText(body_);
            outcome.retryAfter = reply_->rawHeader("Retry-After");
        } else if (timedOut || reply_->error() == QNetworkReply::OperationCanceledError) {
            // Qt calls its own transfer timeout "Operation canceled", which tells nobody much.
            outcome.transportError = QStringLiteral("The request timed out.");
        } else {
            outcome.transportError = WebhookAddress::scrubbed(reply_->errorString(), reply_->url());
        }
        disconnect(reply_, nullptr, this, nullptr);
        if (!reply_->isFinished()) reply_->abort();
        deleteLater();
        done_(outcome);
    }

    QNetworkReply* reply_;
    qsizetype limit_;
    std::function<void(const HttpOutcome&)> done_;
    QTimer deadline_;
    QByteArray body_;
    bool finished_ = false;
};

}  // namespace

NetworkTransport::NetworkTransport(QObject* parent) : QObject(parent) {
    // A redirect is an answer like any other, never followed; cookies and caching are switched
    // off per request.
    network_.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    network_.setStrictTransportSecurityEnabled(false);
}

void NetworkTransport::post(const QNetworkRequest& request, const QByteArray& body,
                            qsizetype replyLimit, int deadlineMs,
                            std::function<void(const HttpOutcome&)> done) {
    QNetworkRequest r = request;
    r.setTransferTimeout(
        std::min(deadlineMs, r.transferTimeout() > 0 ? r.transferTimeout() : deadlineMs));
    new Exchange(network_.post(r, body), replyLimit, deadlineMs, std::move(done), this);
}

}  // namespace tarnwhistle
