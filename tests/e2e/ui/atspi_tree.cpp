#include "atspi_tree.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>

namespace AtspiTree {
namespace {

const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");

struct Ref {
    QString service;
    QString path;
};

class Reader {
public:
    explicit Reader(QDBusConnection bus) : bus_(bus) {}

    QDBusMessage call(const Ref& ref, const QString& iface, const QString& method,
                      const QVariantList& args = {}) {
        QDBusMessage m = QDBusMessage::createMethodCall(ref.service, ref.path, iface, method);
        m.setArguments(args);
        return bus_.call(m, QDBus::Block, 5000);
    }

    QList<Ref> children(const Ref& ref) {
        QList<Ref> out;
        const QDBusMessage reply = call(ref, kAccessible, QStringLiteral("GetChildren"));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return out;
        const QDBusArgument arg = reply.arguments().at(0).value<QDBusArgument>();
        arg.beginArray();
        while (!arg.atEnd()) {
            Ref child;
            QDBusObjectPath path;
            arg.beginStructure();
            arg >> child.service >> path;
            arg.endStructure();
            child.path = path.path();
            out.append(child);
        }
        arg.endArray();
        return out;
    }

    QString name(const Ref& ref) {
        const QDBusMessage reply =
            call(ref, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                 {kAccessible, QStringLiteral("Name")});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
        return reply.arguments().at(0).value<QDBusVariant>().variant().toString();
    }

    unsigned role(const Ref& ref) {
        const QDBusMessage reply = call(ref, kAccessible, QStringLiteral("GetRole"));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return 0;
        return reply.arguments().at(0).toUInt();
    }

    void walk(const Ref& ref, int depth, QList<Node>& out) {
        out.append({name(ref), role(ref), depth});
        for (const Ref& child : children(ref)) walk(child, depth + 1, out);
    }

private:
    QDBusConnection bus_;
};

QString a11yBusAddress() {
    QDBusMessage m = QDBusMessage::createMethodCall(
        QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
        QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
    const QDBusMessage reply = QDBusConnection::sessionBus().call(m, QDBus::Block, 5000);
    return reply.arguments().isEmpty() ? QString() : reply.arguments().at(0).toString();
}

}  // namespace

QList<Node> read(const QString& appName, const QString& windowName, int timeoutMs,
                 QStringList* seen) {
    const QString address = a11yBusAddress();
    if (address.isEmpty()) return {};
    QList<Node> result;
    std::atomic<bool> finished{false};
    QThread* worker = QThread::create([&] {
        {
            QDBusConnection bus =
                QDBusConnection::connectToBus(address, QStringLiteral("ui-e2e-atspi-reader"));
            Reader reader(bus);
            QElapsedTimer clock;
            clock.start();
            // The application registers with the registry shortly after its first window.
            while (result.isEmpty() && clock.elapsed() < timeoutMs) {
                const Ref registry{QStringLiteral("org.a11y.atspi.Registry"),
                                   QStringLiteral("/org/a11y/atspi/accessible/root")};
                QStringList names;
                for (const Ref& app : reader.children(registry)) {
                    const QString name = reader.name(app);
                    names << name;
                    if (name != appName) continue;
                    for (const Ref& window : reader.children(app)) {
                        const QString title = reader.name(window);
                        names << QStringLiteral("  ") + title;
                        if (title == windowName) reader.walk(window, 0, result);
                    }
                }
                if (seen) *seen = names;
                if (result.isEmpty()) QThread::msleep(200);
            }
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("ui-e2e-atspi-reader"));
        finished = true;
    });
    worker->start();
    // The main thread keeps serving the accessibility calls while the reader asks.
    while (!finished) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    worker->wait();
    delete worker;
    return result;
}

bool isControl(unsigned role) {
    switch (role) {
        case 7:   // check box
        case 11:  // combo box
        case 31:  // list
        case 37:  // page tab
        case 40:  // password text
        case 43:  // push button
        case 44:  // radio button
        case 51:  // slider
        case 52:  // spin button
        case 61:  // text
        case 62:  // toggle button
        case 79:  // entry
            return true;
        default:
            return false;
    }
}

QString roleName(unsigned role) {
    switch (role) {
        case 7: return QStringLiteral("check box");
        case 11: return QStringLiteral("combo box");
        case 31: return QStringLiteral("list");
        case 37: return QStringLiteral("page tab");
        case 40: return QStringLiteral("password text");
        case 43: return QStringLiteral("push button");
        case 44: return QStringLiteral("radio button");
        case 52: return QStringLiteral("spin button");
        case 61: return QStringLiteral("text");
        case 62: return QStringLiteral("toggle button");
        case 79: return QStringLiteral("entry");
        default: return QStringLiteral("role %1").arg(role);
    }
}

}  // namespace AtspiTree
