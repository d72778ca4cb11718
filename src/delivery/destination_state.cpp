#include "delivery/destination_state.h"

#include <algorithm>
#include <cmath>

namespace tarnwhistle {

double DestinationState::backoffDelay(qint64 attempts) {
    const qint64 exponent = std::clamp<qint64>(attempts - 1, 0, 7);
    return std::min(30.0 * std::ldexp(1.0, int(exponent)), maxBackoff);
}

void DestinationState::track(const QString& address) {
    if (address == address_) return;
    *this = DestinationState();
    address_ = address;
}

bool DestinationState::mayStart(TimePoint now) const {
    if (failures_ == 0) return inFlight_ < maxInFlight;
    if (inFlight_ > 0) return false;
    return now < waitFrom_ || now >= waitFrom_ + waitFor_;
}

void DestinationState::succeeded() {
    failures_ = 0;
    waitFor_ = 0;
}

void DestinationState::failed(TimePoint now, double jitterFactor,
                              std::optional<double> retryAfter) {
    ++failures_;
    waitFrom_ = now;
    waitFor_ = std::max(backoffDelay(failures_) * jitterFactor,
                        std::min(retryAfter.value_or(0.0), maxRetryAfter));
}

std::optional<TimePoint> DestinationState::resumesAt() const {
    if (failures_ == 0) return std::nullopt;
    return waitFrom_ + waitFor_;
}

}  // namespace tarnwhistle
