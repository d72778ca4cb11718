#include "dbus_emitter.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QUuid>

namespace {
QDBusConnection open(bool system, const QString& name) {
    const QByteArray address =
        qgetenv(system ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS");
    return QDBusConnection::connectToBus(QString::fromUtf8(address), name);
}
}  // namespace

DBusEmitter::DBusEmitter(bool system, const QString& serviceName)
    : connectionName_(QStringLiteral("emitter-") + QUuid::createUuid().toString()),
      bus_(open(system, connectionName_)) {
    if (!bus_.isConnected()) return;
    owned_ = bus_.registerService(serviceName);
    bus_.registerObject(QStringLiteral("/org/freedesktop/login1"), this,
                        QDBusConnection::ExportAllSlots);
}

DBusEmitter::~DBusEmitter() { QDBusConnection::disconnectFromBus(connectionName_); }

bool DBusEmitter::emitBool(const QString& path, const QString& interface, const QString& name,
                           bool value) {
    QDBusMessage message = QDBusMessage::createSignal(path, interface, name);
    message << value;
    return bus_.send(message);
}

bool DBusEmitter::emitPlain(const QString& path, const QString& interface, const QString& name) {
    return bus_.send(QDBusMessage::createSignal(path, interface, name));
}

bool DBusEmitter::emitLockedHint(bool locked) {
    QDBusMessage message =
        QDBusMessage::createSignal(QString::fromLatin1(sessionPath),
                                   QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    message << QStringLiteral("org.freedesktop.login1.Session")
            << QVariantMap{{QStringLiteral("LockedHint"), locked}} << QStringList();
    return bus_.send(message);
}

QDBusObjectPath DBusEmitter::GetSession(const QString&) {
    return QDBusObjectPath(QString::fromLatin1(sessionPath));
}
