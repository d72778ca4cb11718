// The reader's own connection to the accessibility bus. It is opened, used and closed by one
// thread (the window-poll worker): nothing here attaches to an event loop, so the main thread
// never dispatches accessibility traffic, and an application that quits or hangs can only make
// one of our calls fail or time out. Every question carries its own timeout, cut to the walk's
// deadline; questions to many elements go out together and are awaited together.
#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QThread>
#include <QVariant>
#include <optional>

namespace tarnwhistle {

// One accessible object: the application's unique bus name and the object's path.
struct AtspiRef {
    QString service;
    QDBusObjectPath path;

    bool isNull() const { return service.isEmpty() || path.path().isEmpty() ||
                                 path.path() == QLatin1String("/org/a11y/atspi/null"); }
};

// The time one read may take, and what went wrong so far in it.
class AtspiDeadline {
public:
    explicit AtspiDeadline(qint64 ms) : ms_(ms) { started_.start(); }
    qint64 left() const { return ms_ - started_.elapsed(); }
    bool expired() const { return left() <= 0 || unresponsive(); }
    qint64 elapsed() const { return started_.elapsed(); }
    // A second wait that ran into the timeout means the application is not answering.
    void noteTimeout() { ++timeouts_; }
    bool unresponsive() const { return timeouts_ >= 2; }

private:
    QElapsedTimer started_;
    qint64 ms_;
    int timeouts_ = 0;
};

class AtspiBus {
public:
    AtspiBus();
    ~AtspiBus();
    AtspiBus(const AtspiBus&) = delete;
    AtspiBus& operator=(const AtspiBus&) = delete;

    // Connects when not connected (asks the session bus for the accessibility bus's address).
    bool connected();

    // Sends one method call to `ref` without waiting.
    QDBusPendingCall ask(const AtspiRef& ref, const QString& interface, const QString& method,
                         const QVariantList& arguments, const AtspiDeadline& deadline);
    // A property of the object through org.freedesktop.DBus.Properties.Get.
    QDBusPendingCall askProperty(const AtspiRef& ref, const QString& interface,
                                 const QString& name, const AtspiDeadline& deadline);
    // Same, to the bus itself (process ids of connections).
    QDBusPendingCall askBus(const QString& method, const QVariantList& arguments,
                            const AtspiDeadline& deadline);

    // Waits for every call; a batch in which any call ran out of time counts once against the
    // deadline. Returns false when something timed out.
    static bool await(QList<QDBusPendingCall>& calls, AtspiDeadline& deadline);

    // Reading replies; absent when the call failed or the reply has another shape.
    static std::optional<QVariant> value(const QDBusPendingCall& call);  // first argument,
                                                                        // variants unwrapped
    static QList<AtspiRef> refs(const QDBusPendingCall& call);         // a(so)
    static QList<uint> words(const QDBusPendingCall& call);            // au

    // Calls from any thread but the owner's: never expected; counted so tests can check.
    static int foreignThreadCalls();

    static constexpr int callTimeoutMs = 250;

private:
    void checkThread();

    QString name_;
    std::optional<QDBusConnection> bus_;
    QThread* owner_ = nullptr;
};

}  // namespace tarnwhistle
