// The real capture scheduler: QTimers on the thread that creates it (the main thread) and two
// worker threads, one per queue. Destroying it waits for the work under way to end.
#pragma once

#include <QObject>
#include <QThread>
#include <map>

#include "capture/capture_scheduler.h"

class QTimer;

namespace tarnwhistle {

class QtCaptureScheduler : public QObject, public CaptureScheduler {
    Q_OBJECT
public:
    explicit QtCaptureScheduler(QObject* parent = nullptr);
    ~QtCaptureScheduler() override;

    TimerId every(double seconds, std::function<void()> action) override;
    TimerId after(double seconds, std::function<void()> action) override;
    void cancel(TimerId id) override;
    void post(Queue queue, std::function<void()> work) override;
    void toMain(std::function<void()> action) override;
    TimePoint now() override;

private:
    TimerId startTimer(double seconds, bool repeating, std::function<void()> action);

    QThread pollThread_;
    QThread recognitionThread_;
    QObject* pollContext_;
    QObject* recognitionContext_;
    std::map<TimerId, QTimer*> timers_;
    TimerId nextId_ = 1;
};

}  // namespace tarnwhistle
