// Timers and threads of the capture loop behind one small interface, so tests drive time and
// the workers by hand. The real one uses QTimer and two worker threads.
#pragma once

#include <functional>

#include "signals/time.h"

namespace tarnwhistle {

class CaptureScheduler {
public:
    using TimerId = int;  // 0 is never a valid id
    enum class Queue {
        poll,         // "tarnwhistle.window-poll": accessibility reads, one at a time
        recognition,  // screenshot text recognition
    };

    virtual ~CaptureScheduler() = default;

    // Repeating timer on the main thread.
    virtual TimerId every(double seconds, std::function<void()> action) = 0;
    // One-shot timer on the main thread.
    virtual TimerId after(double seconds, std::function<void()> action) = 0;
    // Stops a timer; unknown or finished ids are ignored.
    virtual void cancel(TimerId id) = 0;
    // Runs `work` on a worker, in order with earlier work of the same queue.
    virtual void post(Queue queue, std::function<void()> work) = 0;
    // Runs `action` on the main thread, later (never inside the caller).
    virtual void toMain(std::function<void()> action) = 0;
    virtual TimePoint now() = 0;
};

}  // namespace tarnwhistle
