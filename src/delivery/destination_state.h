// How gently the outbox treats its receiver. While the destination answers, up to two requests
// are in flight; once it fails, one request at a time goes out (a probe), each after a wait
// that grows with every failure in a row (30 s doubling to 1 h, times the jitter factor) or
// as long as the receiver's Retry-After asks, whichever is longer. The first success ends it.
//
// Holds no clock of its own: every decision takes the current time. A clock that went back
// before the last failure ends the wait, so a step of the wall clock never stalls delivery.
#pragma once

#include <QString>
#include <algorithm>
#include <optional>

#include "signals/time.h"

namespace tarnwhistle {

class DestinationState {
  public:
    static constexpr int maxInFlight = 2;
    static constexpr double maxBackoff = 3600;      // seconds
    static constexpr double maxRetryAfter = 86400;  // seconds

    // 30 s doubling per attempt, capped at one hour: 30, 60, 120, ... 1920, 3600, 3600, ...
    static double backoffDelay(qint64 attempts);

    // Tracks `address`; a different address than before starts afresh.
    void track(const QString& address);
    const QString& address() const { return address_; }

    // Whether one more request may start now.
    bool mayStart(TimePoint now) const;
    void started() { ++inFlight_; }
    void ended() { inFlight_ = std::max(0, inFlight_ - 1); }
    // What the tracked address answered (a test batch's answer counts too).
    void succeeded();
    void failed(TimePoint now, double jitterFactor, std::optional<double> retryAfter);
    // The network came back: the next probe need not wait for the rest of the backoff.
    void endWait() { waitFor_ = 0; }

    bool backingOff() const { return failures_ > 0; }
    // When the next probe may go; absent unless backing off.
    std::optional<TimePoint> resumesAt() const;

  private:
    QString address_;
    int inFlight_ = 0;
    qint64 failures_ = 0;
    TimePoint waitFrom_ = 0;
    double waitFor_ = 0;
};

}  // namespace tarnwhistle
