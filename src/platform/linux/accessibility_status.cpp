#include "platform/linux/accessibility_status.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

namespace {
QDBusMessage call(const QDBusConnection& bus, QDBusMessage message) {
    return bus.call(message, QDBus::Block, AccessibilityStatus::callTimeoutMs);
}
}  // namespace

bool AccessibilityStatus::trusted() {
    if (checked_.isValid() && checked_.elapsed() < cacheMs) return trusted_;
    trusted_ = enabled() && reachableBusAddress().has_value();
    checked_.start();
    return trusted_;
}

bool AccessibilityStatus::enabled() {
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled");
    const QDBusMessage reply = call(session, get);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    return reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

std::optional<QString> AccessibilityStatus::reachableBusAddress() {
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) return std::nullopt;
    const QDBusMessage reply = call(
        session, QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"),
                                                QStringLiteral("/org/a11y/bus"),
                                                QStringLiteral("org.a11y.Bus"),
                                                QStringLiteral("GetAddress")));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    const QString address = reply.arguments().first().toString();
    if (address.isEmpty()) return std::nullopt;
    // One private connection, kept: the bus must answer now, not merely be named.
    const QString name = QStringLiteral("tarnwhistle-a11y:") + address;
    QDBusConnection bus = QDBusConnection::connectToBus(address, name);
    if (!bus.isConnected()) {
        QDBusConnection::disconnectFromBus(name);  // try afresh next time
        return std::nullopt;
    }
    const QDBusMessage ping =
        call(bus, QDBusMessage::createMethodCall(
                      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                      QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
    const bool answers = ping.type() == QDBusMessage::ReplyMessage;
    if (!answers) return std::nullopt;
    return address;
}
