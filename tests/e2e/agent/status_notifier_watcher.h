// The smallest StatusNotifierItem watcher with a host: what a panel offers on the session bus.
// Items that register with it are remembered, so a test can read their icon, tooltip and menu.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>

class StatusNotifierWatcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
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
    void release() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        bus.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    }

    QStringList items() const { return items_; }
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    // The bus name of the last item that registered.
    QString lastSender() const { return sender_; }

public slots:
    void RegisterStatusNotifierItem(const QString& service) {
        sender_ = message().service();
        items_ << sender_ + (service.startsWith(QLatin1Char('/')) ? service : QString());
        emit StatusNotifierItemRegistered(service);
    }
    void RegisterStatusNotifierHost(const QString&) {}

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    QStringList items_;
    QString sender_;
};
