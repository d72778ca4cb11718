#include "app/accessibility_trust.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

#include "platform/linux/accessibility_status.h"

namespace tarnwhistle {

namespace {
const QString busService = QStringLiteral("org.a11y.Bus");
const QString busPath = QStringLiteral("/org/a11y/bus");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int launchTimeoutMs = 500;

// Followed through the switch's change signal, without blocking.
AccessibilityStatus& status() {
    static AccessibilityStatus* instance = [] {
        auto* s = new AccessibilityStatus;
        s->start();
        return s;
    }();
    return *instance;
}

// Asked once and waited for, so that launch (whether the welcome window shows) decides on a
// real answer before the first asynchronous one has arrived.
bool askNow() {
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) return false;
    QDBusMessage get = QDBusMessage::createMethodCall(busService, busPath, propertiesInterface,
                                                      QStringLiteral("Get"));
    get << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled");
    const QDBusMessage enabled = session.call(get, QDBus::Block, launchTimeoutMs);
    if (enabled.type() != QDBusMessage::ReplyMessage || enabled.arguments().isEmpty() ||
        !enabled.arguments().first().value<QDBusVariant>().variant().toBool())
        return false;
    const QDBusMessage address = session.call(
        QDBusMessage::createMethodCall(busService, busPath, busService,
                                       QStringLiteral("GetAddress")),
        QDBus::Block, launchTimeoutMs);
    if (address.type() != QDBusMessage::ReplyMessage || address.arguments().isEmpty()) return false;
    const QString name = QStringLiteral("tarnwhistle-a11y-launch");
    bool answers = false;
    {
        QDBusConnection bus =
            QDBusConnection::connectToBus(address.arguments().first().toString(), name);
        answers = bus.isConnected() &&
                  bus.call(QDBusMessage::createMethodCall(
                               QStringLiteral("org.freedesktop.DBus"),
                               QStringLiteral("/org/freedesktop/DBus"),
                               QStringLiteral("org.freedesktop.DBus.Peer"),
                               QStringLiteral("Ping")),
                           QDBus::Block, launchTimeoutMs)
                          .type() == QDBusMessage::ReplyMessage;
    }
    QDBusConnection::disconnectFromBus(name);
    return answers;
}
}  // namespace

bool AccessibilityTrust::trusted() {
    if (status().answered()) return status().trusted();
    static const bool atLaunch = askNow();
    return atLaunch;
}

bool AccessibilityTrust::prompt() {
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) return false;
    QDBusMessage set = QDBusMessage::createMethodCall(busService, busPath, propertiesInterface,
                                                      QStringLiteral("Set"));
    set << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled")
        << QVariant::fromValue(QDBusVariant(true));
    // The change signal brings the new state to trusted() shortly after.
    return session.call(set, QDBus::Block, launchTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

}  // namespace tarnwhistle
