// Plays a desktop service on a bus for the tests: owns its well-known name (so watchers that
// filter by sender accept it), emits its signals, and answers logind's GetSession with one
// session. It has no GetSessionByPID: run as a user service, the agent is in no session that
// its process id would find.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QUuid>

class DBusEmitter : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
  public:
    // `system` picks the stand-in system bus; otherwise the session bus.
    DBusEmitter(bool system, const QString& serviceName)
        : name_("emitter-" + QUuid::createUuid().toString()),
          bus_(QDBusConnection::connectToBus(
              qgetenv(system ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS"), name_)) {
        owned_ = bus_.registerService(serviceName);
        bus_.registerObject("/org/freedesktop/login1", this, QDBusConnection::ExportAllSlots);
    }
    ~DBusEmitter() override { QDBusConnection::disconnectFromBus(name_); }
    bool ok() const { return owned_; }

    bool emitSignal(const QString& path, const QString& interface, const QString& name,
                    const QVariantList& arguments = {}) {
        QDBusMessage message = QDBusMessage::createSignal(path, interface, name);
        message.setArguments(arguments);
        return bus_.send(message);
    }
    // The session's LockedHint changing, as logind announces it.
    bool emitLockedHint(bool locked) {
        return emitSignal(
            sessionPath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
            {"org.freedesktop.login1.Session", QVariantMap{{"LockedHint", locked}}, QStringList()});
    }

    static constexpr const char* sessionPath = "/org/freedesktop/login1/session/_31";

  public slots:
    QDBusObjectPath GetSession(const QString&) { return QDBusObjectPath(sessionPath); }

  private:
    QString name_;
    QDBusConnection bus_;
    bool owned_ = false;
};
