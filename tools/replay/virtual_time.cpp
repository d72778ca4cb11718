#include "replay/virtual_time.h"

#include <algorithm>

namespace tarnwhistle {

struct VirtualTime::Timer final : OneShotTimer {
    TimePoint due = 0;
    std::function<void()> action;
    bool valid = true;
    void invalidate() override { valid = false; }
};

std::function<TimePoint()> VirtualTime::clock() {
    return [this] { return current_; };
}

SignalEngine::TimerFactory VirtualTime::timers() {
    return [this](double seconds, std::function<void()> action) {
        std::erase_if(pending_, [](const auto& timer) { return !timer->valid; });
        auto timer = std::make_shared<Timer>();
        timer->due = current_ + seconds;
        timer->action = std::move(action);
        pending_.push_back(timer);
        return std::shared_ptr<OneShotTimer>(timer);
    };
}

void VirtualTime::advanceTo(TimePoint t) {
    while (true) {
        const auto next =
            std::min_element(pending_.begin(), pending_.end(), [](const auto& a, const auto& b) {
                if (a->valid != b->valid) return a->valid;  // valid timers first
                return a->due < b->due;
            });
        if (next == pending_.end() || !(*next)->valid || (*next)->due > t) break;
        const std::shared_ptr<Timer> timer = *next;
        timer->valid = false;
        current_ = std::max(current_, timer->due);
        timer->action();
    }
    std::erase_if(pending_, [](const auto& timer) { return !timer->valid; });
    current_ = t;
}

}  // namespace tarnwhistle
