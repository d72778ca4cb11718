#include "platform/wayland/gnome_idle_monitor.h"

#include <QDBusMessage>

namespace tarnwhistle {

std::optional<double> GnomeIdleMonitor::secondsSinceLastInput() {
    if (!bus_.isConnected()) return std::nullopt;
    const QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Mutter.IdleMonitor"),
        QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"),
        QStringLiteral("org.gnome.Mutter.IdleMonitor"), QStringLiteral("GetIdletime"));
    const QDBusMessage reply = bus_.call(ask, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1)
        return std::nullopt;
    bool ok = false;
    const qulonglong ms = reply.arguments().front().toULongLong(&ok);
    if (!ok) return std::nullopt;
    return ms / 1000.0;
}

}  // namespace tarnwhistle
