#include "platform/linux/dbus_lock_watcher.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace {
const QString login1 = QStringLiteral("org.freedesktop.login1");
const QString login1Path = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString screenSavers[] = {QStringLiteral("org.freedesktop.ScreenSaver"),
                                QStringLiteral("org.gnome.ScreenSaver")};
}  // namespace

DBusLockWatcher::DBusLockWatcher(QObject* parent) : QObject(parent) {}

DBusLockWatcher::~DBusLockWatcher() { stop(); }

void DBusLockWatcher::start() {
    if (started_) return;
    started_ = true;
    QDBusConnection session = QDBusConnection::sessionBus();
    if (session.isConnected()) {
        // Any sender, any path: screensavers differ in where they publish.
        for (const QString& name : screenSavers)
            session.connect(QString(), QString(), name, QStringLiteral("ActiveChanged"), this,
                            SLOT(screenSaverActiveChanged(bool)));
    }
    QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected()) return;
    system.connect(login1, login1Path, managerInterface, QStringLiteral("PrepareForSleep"), this,
                   SLOT(prepareForSleep(bool)));
    login1Watcher_ = new QDBusServiceWatcher(login1, system,
                                             QDBusServiceWatcher::WatchForRegistration, this);
    connect(login1Watcher_, &QDBusServiceWatcher::serviceRegistered, this,
            &DBusLockWatcher::askForSession);
    askForSession();
}

void DBusLockWatcher::askForSession() {
    // Only our own session's lock matters; ask logind which one that is.
    QDBusConnection system = QDBusConnection::systemBus();
    QDBusMessage ask = QDBusMessage::createMethodCall(login1, login1Path, managerInterface,
                                                      QStringLiteral("GetSessionByPID"));
    ask << quint32(QCoreApplication::applicationPid());
    auto* watcher = new QDBusPendingCallWatcher(system.asyncCall(ask, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (started_ && reply.isValid()) watchSession(reply.value().path());
    });
}

void DBusLockWatcher::watchSession(const QString& path) {
    unwatchSession();
    sessionPath_ = path;
    QDBusConnection system = QDBusConnection::systemBus();
    system.connect(login1, path, sessionInterface, QStringLiteral("Lock"), this,
                   SLOT(sessionLock()));
    system.connect(login1, path, sessionInterface, QStringLiteral("Unlock"), this,
                   SLOT(sessionUnlock()));
}

void DBusLockWatcher::stop() {
    if (!started_) return;
    started_ = false;
    QDBusConnection session = QDBusConnection::sessionBus();
    for (const QString& name : screenSavers)
        session.disconnect(QString(), QString(), name, QStringLiteral("ActiveChanged"), this,
                           SLOT(screenSaverActiveChanged(bool)));
    QDBusConnection system = QDBusConnection::systemBus();
    system.disconnect(login1, login1Path, managerInterface, QStringLiteral("PrepareForSleep"),
                      this, SLOT(prepareForSleep(bool)));
    delete login1Watcher_;
    login1Watcher_ = nullptr;
    unwatchSession();
}

void DBusLockWatcher::unwatchSession() {
    QDBusConnection system = QDBusConnection::systemBus();
    if (!sessionPath_.isEmpty()) {
        system.disconnect(login1, sessionPath_, sessionInterface, QStringLiteral("Lock"), this,
                          SLOT(sessionLock()));
        system.disconnect(login1, sessionPath_, sessionInterface, QStringLiteral("Unlock"), this,
                          SLOT(sessionUnlock()));
        sessionPath_.clear();
    }
}

void DBusLockWatcher::screenSaverActiveChanged(bool active) {
    if (active) emit locked();
    else emit unlocked();
}

void DBusLockWatcher::prepareForSleep(bool sleeping) {
    if (sleeping) emit willSleep();
    else emit didWake();
}

void DBusLockWatcher::sessionLock() { emit locked(); }
void DBusLockWatcher::sessionUnlock() { emit unlocked(); }
