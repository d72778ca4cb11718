// Time for replays and tests: a clock and one-shot timers that move only when told to.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "signals/signal_engine.h"

namespace tarnwhistle {

class VirtualTime {
  public:
    std::function<TimePoint()> clock();
    SignalEngine::TimerFactory timers();

    TimePoint current() const { return current_; }
    // Fires every pending timer due at or before `t` in due order, with the clock at each due
    // time, then sets the clock to `t`.
    void advanceTo(TimePoint t);

  private:
    struct Timer;
    TimePoint current_ = 0;
    std::vector<std::shared_ptr<Timer>> pending_;
};

}  // namespace tarnwhistle
