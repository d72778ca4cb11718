// Plays a desktop service on a bus for the tests: owns its well-known name (so watchers that
// filter by sender accept it), emits its signals, and answers logind's GetSession with one
// session. It has no GetSessionByPID: run as a user service, the agent is in no session that
// its process id would find.
#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>

class DBusEmitter : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    // `system` picks the stand-in system bus; otherwise the session bus.
    DBusEmitter(bool system, const QString& serviceName);
    ~DBusEmitter() override;
    bool ok() const { return owned_; }

    bool emitBool(const QString& path, const QString& interface, const QString& name, bool value);
    bool emitPlain(const QString& path, const QString& interface, const QString& name);
    // The session's LockedHint changing, as logind announces it.
    bool emitLockedHint(bool locked);

    static constexpr const char* sessionPath = "/org/freedesktop/login1/session/_31";

public slots:
    QDBusObjectPath GetSession(const QString& id);

private:
    QString connectionName_;
    QDBusConnection bus_;
    bool owned_ = false;
};
