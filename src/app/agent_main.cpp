#include "app/agent_main.h"

#include <QApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <cstdio>

#include "app/app_delegate.h"
#include "app/single_instance.h"
#include "app/termination_signals.h"
#include "app/window_opener.h"
#include "ui/windows.h"

namespace tarnwhistle {

int runAgent(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("Tarnwhistle"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tarnwhistle"));
    // Windows come and go; only the quit sequence ends the agent.
    QApplication::setQuitOnLastWindowClosed(false);

    const QStringList arguments = app.arguments().mid(1);
    SingleInstance instance;
    if (!instance.claim()) {
        if (SingleInstance::forward(arguments)) return 0;
        std::fprintf(stderr, "Tarnwhistle is already running but does not answer.\n");
        return 1;
    }

    AppDelegate& delegate = AppDelegate::shared();
    TerminationSignals termination;
    termination.install();
    QObject::connect(&termination, &TerminationSignals::received, &delegate, &AppDelegate::quit);
    // The session is ending: the same orderly end as Quit.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &delegate,
                     [&delegate](QSessionManager&) { delegate.quit(); });

    QObject::connect(&instance, &SingleInstance::opened, &delegate,
                     [&delegate](const QStringList& links) {
                         // Started again without a link: the person is looking for the agent.
                         if (links.isEmpty()) {
                             WindowOpener::open(Windows::settings);
                         } else {
                             delegate.open(links);
                         }
                     });

    delegate.applicationDidFinishLaunching();
    // With no tray to live in, the agent shows itself.
    if (!QSystemTrayIcon::isSystemTrayAvailable() && !WindowOpener::anyVisible())
        WindowOpener::open(Windows::settings);
    if (!arguments.isEmpty()) {
        QMetaObject::invokeMethod(
            &delegate, [&delegate, arguments] { delegate.open(arguments); }, Qt::QueuedConnection);
    }
    return app.exec();
}

}  // namespace tarnwhistle
