// The default one-shot timer of the engine: a QTimer on the calling (main) thread.
#include <QTimer>

#include "signals/signal_engine.h"

namespace tarnwhistle {

namespace {

class QtOneShotTimer final : public OneShotTimer {
public:
    QtOneShotTimer(double seconds, std::function<void()> action) : timer_(new QTimer) {
        timer_->setSingleShot(true);
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_, &QTimer::timeout, timer_, std::move(action));
        timer_->start(static_cast<int>(seconds * 1000));
    }
    // The action may drop the last reference from inside the timeout; deleting later is safe.
    ~QtOneShotTimer() override {
        timer_->stop();
        timer_->deleteLater();
    }
    void invalidate() override { timer_->stop(); }

private:
    QTimer* timer_;
};

}  // namespace

std::shared_ptr<OneShotTimer> makeQtOneShotTimer(double seconds, std::function<void()> action) {
    return std::make_shared<QtOneShotTimer>(seconds, std::move(action));
}

}  // namespace tarnwhistle
