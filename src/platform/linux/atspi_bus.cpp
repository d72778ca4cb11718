#include "platform/linux/atspi_bus.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QThread>
#include <atomic>

namespace tarnwhistle {

namespace {
std::atomic<int> foreignCalls{0};
std::atomic<int> connectionCount{0};

const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

bool ranOutOfTime(const QDBusPendingCall& call) {
    if (!call.isError()) return false;
    const QDBusError::ErrorType type = call.error().type();
    return type == QDBusError::NoReply || type == QDBusError::Timeout ||
           type == QDBusError::TimedOut;
}

std::optional<QDBusArgument> argument(const QDBusPendingCall& call, const char* signature) {
    if (!call.isFinished() || call.isError()) return std::nullopt;
    const QList<QVariant> args = call.reply().arguments();
    if (args.isEmpty() || args.first().userType() != qMetaTypeId<QDBusArgument>())
        return std::nullopt;
    QDBusArgument arg = args.first().value<QDBusArgument>();
    if (arg.currentSignature() != QLatin1String(signature)) return std::nullopt;
    return arg;
}
}  // namespace

AtspiBus::AtspiBus()
    : name_(QStringLiteral("tarnwhistle-atspi-%1").arg(connectionCount.fetch_add(1))) {}

AtspiBus::~AtspiBus() {
    bus_.reset();
    QDBusConnection::disconnectFromBus(name_);
}

void AtspiBus::checkThread() {
    if (!owner_) owner_ = QThread::currentThread();
    if (owner_ != QThread::currentThread()) foreignCalls.fetch_add(1);
}

int AtspiBus::foreignThreadCalls() { return foreignCalls.load(); }

bool AtspiBus::connected() {
    checkThread();
    if (bus_ && bus_->isConnected()) return true;
    bus_.reset();
    QDBusConnection::disconnectFromBus(name_);
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) return false;
    const QDBusMessage reply = session.call(
        QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"),
                                       QStringLiteral("/org/a11y/bus"),
                                       QStringLiteral("org.a11y.Bus"),
                                       QStringLiteral("GetAddress")),
        QDBus::Block, 2 * callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    const QString address = reply.arguments().first().toString();
    if (address.isEmpty()) return false;
    QDBusConnection bus = QDBusConnection::connectToBus(address, name_);
    if (!bus.isConnected()) {
        QDBusConnection::disconnectFromBus(name_);
        return false;
    }
    bus_ = bus;
    return true;
}

QDBusPendingCall AtspiBus::ask(const AtspiRef& ref, const QString& interface,
                               const QString& method, const QVariantList& arguments,
                               const AtspiDeadline& deadline) {
    checkThread();
    if (!bus_ || deadline.expired() || ref.isNull())
        return QDBusPendingCall::fromError(QDBusError(QDBusError::NoReply, QString()));
    QDBusMessage message =
        QDBusMessage::createMethodCall(ref.service, ref.path.path(), interface, method);
    message.setArguments(arguments);
    const int timeout = int(std::clamp<qint64>(deadline.left(), 1, callTimeoutMs));
    return bus_->asyncCall(message, timeout);
}

QDBusPendingCall AtspiBus::askProperty(const AtspiRef& ref, const QString& interface,
                                       const QString& name, const AtspiDeadline& deadline) {
    return ask(ref, propertiesInterface, QStringLiteral("Get"), {interface, name}, deadline);
}

QDBusPendingCall AtspiBus::askBus(const QString& method, const QVariantList& arguments,
                                  const AtspiDeadline& deadline) {
    const AtspiRef daemon{QStringLiteral("org.freedesktop.DBus"),
                          QDBusObjectPath(QStringLiteral("/org/freedesktop/DBus"))};
    return ask(daemon, QStringLiteral("org.freedesktop.DBus"), method, arguments, deadline);
}

bool AtspiBus::await(QList<QDBusPendingCall>& calls, AtspiDeadline& deadline) {
    bool timedOut = false;
    for (QDBusPendingCall& call : calls) {
        call.waitForFinished();
        timedOut = timedOut || ranOutOfTime(call);
    }
    if (timedOut) deadline.noteTimeout();
    return !timedOut;
}

std::optional<QVariant> AtspiBus::value(const QDBusPendingCall& call) {
    if (!call.isFinished() || call.isError()) return std::nullopt;
    const QList<QVariant> args = call.reply().arguments();
    if (args.isEmpty()) return std::nullopt;
    QVariant v = args.first();
    if (v.userType() == qMetaTypeId<QDBusVariant>()) v = v.value<QDBusVariant>().variant();
    return v;
}

QList<AtspiRef> AtspiBus::refs(const QDBusPendingCall& call) {
    QList<AtspiRef> result;
    const auto arg = argument(call, "a(so)");
    if (!arg) return result;
    // Read through a const reference: the non-const members of QDBusArgument write.
    const QDBusArgument& in = *arg;
    in.beginArray();
    while (!in.atEnd()) {
        AtspiRef ref;
        in.beginStructure();
        in >> ref.service >> ref.path;
        in.endStructure();
        result.append(ref);
    }
    in.endArray();
    return result;
}

QList<uint> AtspiBus::words(const QDBusPendingCall& call) {
    QList<uint> result;
    const auto arg = argument(call, "au");
    if (arg) std::as_const(*arg) >> result;
    return result;
}

}  // namespace tarnwhistle
