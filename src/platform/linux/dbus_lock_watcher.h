// Screen lock and sleep from D-Bus: the screensaver's ActiveChanged (freedesktop and GNOME
// names) on the session bus, logind's PrepareForSleep and our session's LockedHint (its
// changes and its value at start) on the system bus. A bus or service that is missing is
// simply not watched. Main thread.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

class QDBusServiceWatcher;

namespace tarnwhistle {

class DBusLockWatcher : public QObject {
    Q_OBJECT
public:
    explicit DBusLockWatcher(QObject* parent = nullptr);
    ~DBusLockWatcher() override;

    void start();
    void stop();

signals:
    void locked();
    void unlocked();
    void willSleep();
    void didWake();

private slots:
    void screenSaverActiveChanged(bool active);
    void prepareForSleep(bool sleeping);
    void sessionPropertiesChanged(const QDBusMessage& message);

private:
    void askForSession();
    void watchSession(const QString& path);
    void unwatchSession();
    void lockedHint(bool locked);
    bool started_ = false;
    QDBusServiceWatcher* login1Watcher_ = nullptr;  // logind may (re)start after us
    QString sessionPath_;
    bool sessionLocked_ = false;
};

}  // namespace tarnwhistle
