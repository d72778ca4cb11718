// The smallest StatusNotifierItem watcher with a host: what a panel offers on the session bus.
// The last item that registers is remembered, so a test can read its menu.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>

class StatusNotifierWatcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

  public:
    // Takes the watcher's name; false when the bus refused it.
    bool claim() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        return bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                                  QDBusConnection::ExportAllSlots |
                                      QDBusConnection::ExportAllProperties |
                                      QDBusConnection::ExportAllSignals) &&
               bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
    }
    // Gives the name up, also when a test ends early: later tests need the plain tray.
    ~StatusNotifierWatcher() override {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        bus.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    }

    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    // The bus name of the last item that registered.
    QString lastSender() const { return sender_; }

  public slots:
    void RegisterStatusNotifierItem(const QString& service) {
        sender_ = message().service();
        emit StatusNotifierItemRegistered(service);
    }

  signals:
    void StatusNotifierItemRegistered(const QString& service);

  private:
    QString sender_;
};
