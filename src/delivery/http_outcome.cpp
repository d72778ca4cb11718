#include "delivery/http_outcome.h"

#include <QNetworkReply>
#include <QStringDecoder>

namespace {

// Qt reports 4xx/5xx answers as "content" and "server" errors; those are replies, not failures
// of the exchange. Everything else (refused, reset, timed out, TLS, proxy, protocol) is.
bool isTransportError(QNetworkReply::NetworkError error) {
    if (error == QNetworkReply::NoError) return false;
    const bool contentError = error >= QNetworkReply::ContentAccessDenied &&
                              error <= QNetworkReply::UnknownContentError;
    const bool serverError = error >= QNetworkReply::InternalServerError &&
                             error <= QNetworkReply::UnknownServerError;
    return !(contentError || serverError);
}

std::optional<QString> decoded(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

}  // namespace

HttpOutcome HttpOutcome::from(QNetworkReply* reply, qsizetype replyLimit) {
    HttpOutcome outcome;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid()) outcome.code = status.toLongLong();
    if (reply->error() == QNetworkReply::OperationCanceledError) {
        // Requests are never aborted on purpose: a cancelled one ran out of time. Qt would
        // call it "Operation canceled", which tells the user nothing.
        outcome.transportError = QStringLiteral("The request timed out.");
    } else if (isTransportError(reply->error())) {
        outcome.transportError = reply->errorString();
    }
    // A failed exchange has no reply; an answer with an empty body has an empty one.
    if (!outcome.transportError) outcome.reply = decoded(reply->read(replyLimit));
    return outcome;
}
