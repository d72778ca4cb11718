// How the outbox gets a request to a receiver. The network implementation is the product's;
// tests and simulations put a fake one in its place to drive the outbox on a fake clock.
#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <functional>

#include "delivery/http_outcome.h"

namespace tarnwhistle {

class Transport {
  public:
    virtual ~Transport() = default;

    // Posts `body` with `request`. `done` is called exactly once, later from the event loop
    // (never from within post()), with what came back: at most `replyLimit` bytes of the
    // body are read, and the whole exchange ends after `deadlineMs` at the latest.
    virtual void post(const QNetworkRequest& request, const QByteArray& body, qsizetype replyLimit,
                      int deadlineMs, std::function<void(const HttpOutcome&)> done) = 0;
};

}  // namespace tarnwhistle
