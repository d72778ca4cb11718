#include "platform/linux/dbus_lock_watcher.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace tarnwhistle {

namespace {
const QString login1 = QStringLiteral("org.freedesktop.login1");
const QString login1Path = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
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
        // Any path (screensavers differ in where they publish), but only from the owner of the
        // screensaver's name: any other program could fake a lock or an unlock.
        for (const QString& name : screenSavers)
            session.connect(name, QString(), name, QStringLiteral("ActiveChanged"), this,
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
    // Only our own session's lock matters. "auto" is the caller's session, or the user's
    // graphical session when the agent runs as a user service outside any session.
    QDBusConnection system = QDBusConnection::systemBus();
    QDBusMessage ask = QDBusMessage::createMethodCall(login1, login1Path, managerInterface,
                                                      QStringLiteral("GetSession"));
    ask << QStringLiteral("auto");
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
    // Lock and Unlock are requests to a locker; LockedHint is the state the locker reports.
    system.connect(login1, path, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                   SLOT(sessionPropertiesChanged(QDBusMessage)));
    QDBusMessage get =
        QDBusMessage::createMethodCall(login1, path, propertiesInterface, QStringLiteral("Get"));
    get << sessionInterface << QStringLiteral("LockedHint");
    auto* watcher = new QDBusPendingCallWatcher(system.asyncCall(get, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, path] {
        watcher->deleteLater();
        QDBusPendingReply<QDBusVariant> reply = *watcher;
        if (started_ && path == sessionPath_ && reply.isValid())
            lockedHint(reply.value().variant().toBool());
    });
}

void DBusLockWatcher::sessionPropertiesChanged(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2 || args[0].toString() != sessionInterface) return;
    const QVariantMap changed = qdbus_cast<QVariantMap>(args[1]);
    auto it = changed.constFind(QStringLiteral("LockedHint"));
    if (it != changed.constEnd()) lockedHint(it->toBool());
}

void DBusLockWatcher::lockedHint(bool locked) {
    if (locked == sessionLocked_) return;
    sessionLocked_ = locked;
    if (locked) emit this->locked();
    else emit unlocked();
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
        system.disconnect(login1, sessionPath_, propertiesInterface,
                          QStringLiteral("PropertiesChanged"), this,
                          SLOT(sessionPropertiesChanged(QDBusMessage)));
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

}  // namespace tarnwhistle
