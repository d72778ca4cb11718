// Requests over HTTP(S) with Qt's network access manager: no cookies, no cache, redirects
// never followed, certificates checked against the system's trust store. A reply is read only
// as far as it is used, so a huge or endless answer costs neither memory nor more than the
// deadline.
#pragma once

#include <QNetworkAccessManager>
#include <QObject>

#include "delivery/transport.h"

namespace tarnwhistle {

class NetworkTransport : public QObject, public Transport {
    Q_OBJECT
  public:
    explicit NetworkTransport(QObject* parent = nullptr);

    void post(const QNetworkRequest& request, const QByteArray& body, qsizetype replyLimit,
              int deadlineMs, std::function<void(const HttpOutcome&)> done) override;

  private:
    QNetworkAccessManager network_;
};

}  // namespace tarnwhistle
