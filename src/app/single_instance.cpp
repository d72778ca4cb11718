#include "app/single_instance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace tarnwhistle {

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

bool SingleInstance::claim() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return true;  // nobody to share the session with
    if (!bus.registerObject(QLatin1String(objectPath), this,
                            QDBusConnection::ExportScriptableSlots))
        return false;
    // Not queued and not replacing: a second process learns at once that the name is taken.
    const auto reply = bus.interface()->registerService(
        QLatin1String(serviceName), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return true;
    bus.unregisterObject(QLatin1String(objectPath));
    return false;
}

bool SingleInstance::forward(const QStringList& arguments) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(serviceName), QLatin1String(objectPath),
                                       QLatin1String(serviceName), QStringLiteral("Open"));
    call << arguments;
    // The running agent may be showing a modal confirmation; it still answers at once, and the
    // links wait their turn there.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10'000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void SingleInstance::Open(const QStringList& arguments) {
    // Answer the caller first: the links may open a modal alert.
    QMetaObject::invokeMethod(
        this, [this, arguments] { emit opened(arguments); }, Qt::QueuedConnection);
}

}  // namespace tarnwhistle
