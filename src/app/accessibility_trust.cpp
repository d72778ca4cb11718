#include "app/accessibility_trust.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

#include "platform/linux/accessibility_status.h"

namespace {
AccessibilityStatus& status() {
    static AccessibilityStatus* instance = new AccessibilityStatus;
    return *instance;
}
}  // namespace

bool AccessibilityTrust::trusted() {
    return status().trusted();
}

bool AccessibilityTrust::prompt() {
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) return false;
    QDBusMessage set = QDBusMessage::createMethodCall(
        QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    set << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled")
        << QVariant::fromValue(QDBusVariant(true));
    session.call(set, QDBus::Block, AccessibilityStatus::callTimeoutMs);
    // The cached answer may be stale now; a fresh instance asks at once.
    status() = AccessibilityStatus();
    return status().trusted();
}
