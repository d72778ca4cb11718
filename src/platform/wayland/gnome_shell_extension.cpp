#include "platform/wayland/gnome_shell_extension.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace tarnwhistle {

void GnomeShellExtension::ask() {
    const quint64 generation = ++generation_;
    const QDBusMessage hello = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Shell"), QStringLiteral("/app/tarnwhistle/ShellReporter"),
        QStringLiteral("app.tarnwhistle.ShellReporter"), QStringLiteral("Hello"));
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(hello, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != generation_) return;
        setAnswered(watcher->reply().type() == QDBusMessage::ReplyMessage);
    });
}

void GnomeShellExtension::setAnswered(bool answered) {
    if (answered == answered_) return;
    answered_ = answered;
    emit answeredChanged(answered);
}

}  // namespace tarnwhistle
