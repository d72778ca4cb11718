#include "capture/qt_capture_scheduler.h"

#include <QTimer>
#include <cmath>

namespace tarnwhistle {

QtCaptureScheduler::QtCaptureScheduler(QObject* parent)
    : QObject(parent), pollContext_(new QObject), recognitionContext_(new QObject) {
    pollThread_.setObjectName(QStringLiteral("tarnwhistle.window-poll"));
    recognitionThread_.setObjectName(QStringLiteral("tarnwhistle.recognition"));
    pollContext_->moveToThread(&pollThread_);
    recognitionContext_->moveToThread(&recognitionThread_);
    connect(&pollThread_, &QThread::finished, pollContext_, &QObject::deleteLater);
    connect(&recognitionThread_, &QThread::finished, recognitionContext_, &QObject::deleteLater);
    pollThread_.start(QThread::LowPriority);
    recognitionThread_.start(QThread::LowPriority);
}

QtCaptureScheduler::~QtCaptureScheduler() {
    for (auto& [id, timer] : timers_) delete timer;
    pollThread_.quit();
    recognitionThread_.quit();
    pollThread_.wait();
    recognitionThread_.wait();
}

CaptureScheduler::TimerId QtCaptureScheduler::every(double seconds,
                                                    std::function<void()> action) {
    return startTimer(seconds, true, std::move(action));
}

CaptureScheduler::TimerId QtCaptureScheduler::after(double seconds,
                                                    std::function<void()> action) {
    return startTimer(seconds, false, std::move(action));
}

CaptureScheduler::TimerId QtCaptureScheduler::startTimer(double seconds, bool repeating,
                                                         std::function<void()> action) {
    const TimerId id = nextId_++;
    auto* timer = new QTimer(this);
    // Coarse: the loop's timers may drift a little so the system can batch wake-ups.
    timer->setTimerType(repeating ? Qt::CoarseTimer : Qt::PreciseTimer);
    timer->setSingleShot(!repeating);
    timer->setInterval(int(std::lround(seconds * 1000)));
    connect(timer, &QTimer::timeout, this, [this, id, repeating, action = std::move(action)] {
        if (!repeating) {
            auto it = timers_.find(id);
            if (it != timers_.end()) {
                it->second->deleteLater();
                timers_.erase(it);
            }
        }
        action();
    });
    timers_[id] = timer;
    timer->start();
    return id;
}

void QtCaptureScheduler::cancel(TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
}

void QtCaptureScheduler::post(Queue queue, std::function<void()> work) {
    QObject* context = queue == Queue::poll ? pollContext_ : recognitionContext_;
    QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
}

void QtCaptureScheduler::toMain(std::function<void()> action) {
    QMetaObject::invokeMethod(this, std::move(action), Qt::QueuedConnection);
}

TimePoint QtCaptureScheduler::now() { return Time::now(); }

}  // namespace tarnwhistle
