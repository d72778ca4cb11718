// How long the user has not touched any input device.
#pragma once

#include <optional>

namespace tarnwhistle {

class IdleSource {
  public:
    virtual ~IdleSource() = default;
    // Seconds since the last input event of any kind, from any device; absent while unknown
    // (no display). A source that only learns of idleness after a grace period says 0 within it.
    virtual std::optional<double> secondsSinceLastInput() = 0;
};

}  // namespace tarnwhistle
