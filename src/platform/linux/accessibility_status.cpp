#include "platform/linux/accessibility_status.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace tarnwhistle {

namespace {
const QString busService = QStringLiteral("org.a11y.Bus");
const QString busPath = QStringLiteral("/org/a11y/bus");
const QString statusInterface = QStringLiteral("org.a11y.Status");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString connectionName = QStringLiteral("tarnwhistle-a11y-status");
}  // namespace

void AccessibilityStatus::start() {
    if (started_) return;
    started_ = true;
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) return;
    session.connect(busService, busPath, propertiesInterface, QStringLiteral("PropertiesChanged"),
                    this, SLOT(propertiesChanged(QDBusMessage)));
    askEnabled();
}

void AccessibilityStatus::askEnabled() {
    QDBusMessage get = QDBusMessage::createMethodCall(busService, busPath, propertiesInterface,
                                                      QStringLiteral("Get"));
    get << statusInterface << QStringLiteral("IsEnabled");
    const quint64 asked = ++generation_;
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(get, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, asked] {
        watcher->deleteLater();
        if (asked != generation_) return;
        QDBusPendingReply<QDBusVariant> reply = *watcher;
        enabled_ = reply.isValid() && reply.value().variant().toBool();
        if (enabled_) checkBus();
        else answered_ = true;
    });
}

void AccessibilityStatus::propertiesChanged(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2 || args[0].toString() != statusInterface) return;
    const QVariantMap changed = qdbus_cast<QVariantMap>(args[1]);
    if (!changed.contains(QStringLiteral("IsEnabled"))) return;
    ++generation_;
    enabled_ = changed.value(QStringLiteral("IsEnabled")).toBool();
    if (enabled_ && !answers_) checkBus();
}

void AccessibilityStatus::checkBus() {
    QDBusMessage ask = QDBusMessage::createMethodCall(busService, busPath, busService,
                                                      QStringLiteral("GetAddress"));
    const quint64 asked = generation_;
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(ask, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, asked] {
        watcher->deleteLater();
        if (asked != generation_) return;
        QDBusPendingReply<QString> reply = *watcher;
        if (!reply.isValid() || reply.value().isEmpty()) {
            answers_ = false;
            answered_ = true;
            return;
        }
        // The bus must answer now, not merely be named. One connection, kept.
        QDBusConnection bus = QDBusConnection::connectToBus(reply.value(), connectionName);
        if (!bus.isConnected()) {
            QDBusConnection::disconnectFromBus(connectionName);
            answers_ = false;
            answered_ = true;
            return;
        }
        auto* ping = new QDBusPendingCallWatcher(
            bus.asyncCall(QDBusMessage::createMethodCall(
                              QStringLiteral("org.freedesktop.DBus"),
                              QStringLiteral("/org/freedesktop/DBus"),
                              QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")),
                          callTimeoutMs),
            this);
        connect(ping, &QDBusPendingCallWatcher::finished, this, [this, ping] {
            ping->deleteLater();
            answers_ = !ping->isError();
            answered_ = true;
        });
    });
}

}  // namespace tarnwhistle
