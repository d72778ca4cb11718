// Whether other applications' windows may be read: org.a11y.Status.IsEnabled is true and the
// accessibility bus answers. Followed through the switch's change signal and asked without
// blocking, so trusted() costs nothing and never waits on D-Bus. Main thread only.
#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QString>

namespace tarnwhistle {

class AccessibilityStatus : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Subscribes to the switch and asks for its state; trusted() is false until answered.
    void start();
    bool trusted() const { return enabled_ && answers_; }
    // Whether the first question has been answered (before that, trusted() is false).
    bool answered() const { return answered_; }

    static constexpr int callTimeoutMs = 2000;

private slots:
    void propertiesChanged(const QDBusMessage& message);

private:
    void askEnabled();
    void checkBus();

    bool started_ = false;
    bool enabled_ = false;
    bool answers_ = false;
    bool answered_ = false;
    quint64 generation_ = 0;  // answers to an older question are dropped
};

}  // namespace tarnwhistle
