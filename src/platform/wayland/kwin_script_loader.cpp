#include "platform/wayland/kwin_script_loader.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace tarnwhistle {

namespace {
const QString kwin = QStringLiteral("org.kde.KWin");
const QString scripting = QStringLiteral("org.kde.kwin.Scripting");
const QString script = QStringLiteral("org.kde.kwin.Script");
}  // namespace

KWinScriptLoader::KWinScriptLoader(const QString& scriptPath, const QDBusConnection& bus,
                                   QObject* parent)
    : QObject(parent), scriptPath_(scriptPath), bus_(bus) {}

KWinScriptLoader::~KWinScriptLoader() {
    unload();
}

QDBusPendingCall KWinScriptLoader::call(const QString& path, const QString& interface,
                                        const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(kwin, path, interface, method);
    message.setArguments(arguments);
    return bus_.asyncCall(message, callTimeoutMs);
}

void KWinScriptLoader::whenDone(const QDBusPendingCall& pending,
                                std::function<void(const QDBusMessage&)> then) {
    auto* watcher = new QDBusPendingCallWatcher(pending, this);
    const quint64 generation = generation_;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, generation, then = std::move(then)] {
                watcher->deleteLater();
                if (generation == generation_) then(watcher->reply());
            });
}

void KWinScriptLoader::load() {
    ++generation_;
    running_ = false;
    if (scriptPath_.isEmpty()) {
        emit failed(QStringLiteral("the KWin script is not installed"));
        return;
    }
    const QVariantList name{QLatin1String(pluginName)};
    whenDone(call(QStringLiteral("/Scripting"), scripting, QStringLiteral("unloadScript"), name),
             [this](const QDBusMessage&) {
                 whenDone(
                     call(QStringLiteral("/Scripting"), scripting, QStringLiteral("loadScript"),
                          {scriptPath_, QLatin1String(pluginName)}),
                     [this](const QDBusMessage& reply) {
                         const int id = reply.type() == QDBusMessage::ReplyMessage &&
                                                !reply.arguments().isEmpty()
                                            ? reply.arguments().front().toInt()
                                            : -1;
                         if (id < 0)
                             emit failed(QStringLiteral("KWin did not load the script"));
                         else
                             run(id, false);
                     });
             });
}

void KWinScriptLoader::run(int id, bool newerPath) {
    const QString path =
        newerPath ? QStringLiteral("/Scripting/Script%1").arg(id) : QStringLiteral("/%1").arg(id);
    whenDone(call(path, script, QStringLiteral("run"), {}),
             [this, id, newerPath](const QDBusMessage& reply) {
                 if (reply.type() == QDBusMessage::ReplyMessage) {
                     running_ = true;
                     emit started();
                 } else if (!newerPath) {
                     run(id, true);
                 } else {
                     emit failed(QStringLiteral("KWin did not run the script"));
                 }
             });
}

void KWinScriptLoader::unload() {
    ++generation_;
    if (!running_) return;
    running_ = false;
    // Fire and forget: KWin may be gone already, and quitting must not wait for it.
    QDBusMessage message = QDBusMessage::createMethodCall(
        kwin, QStringLiteral("/Scripting"), scripting, QStringLiteral("unloadScript"));
    message << QLatin1String(pluginName);
    bus_.send(message);
}

}  // namespace tarnwhistle
