#include <QProcess>
#include <csignal>

#include "agent_fixture.h"
#include "desktop_driver.h"
#include "status_notifier_watcher.h"

using DesktopDriver::waitUntil;

namespace {

// Where the session has a watcher, the agent is a StatusNotifierItem: the host gets a menu whose
// header is plain lines. SIGTERM ends it the orderly way (a plain exit, not death by signal).
TEST_F(AgentTest, StatusNotifierItemWhereTheSessionHasAWatcher) {
    StatusNotifierWatcher watcher;
    ASSERT_TRUE(watcher.claim());
    ASSERT_TRUE(startAgent({}, false));
    ASSERT_TRUE(waitUntil([&] { return !watcher.lastSender().isEmpty(); }, 20000));
    const QString item = watcher.lastSender();
    // dbus-send with space-separated arguments, its output. The event loop runs meanwhile: the
    // agent may be asking this process's watcher something before it can answer.
    auto call = [&](const QString& path, const char* arguments) {
        QProcess process;
        process.start(QStringLiteral("dbus-send"),
                      QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                                  QStringLiteral("--dest=") + item, path} +
                          QString::fromLatin1(arguments).split(' '));
        waitUntil([&] { return process.state() == QProcess::NotRunning; });
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    // The reply reads: variant object path "/the/menu"
    const QString menu = call(QStringLiteral("/StatusNotifierItem"),
                              "org.freedesktop.DBus.Properties.Get "
                              "string:org.kde.StatusNotifierItem string:Menu")
                             .section('"', 1, 1);
    ASSERT_FALSE(menu.isEmpty());
    call(menu, "com.canonical.dbusmenu.AboutToShow int32:0");
    QString layout;
    ASSERT_TRUE(waitUntil([&] {
        layout = call(menu, "com.canonical.dbusmenu.GetLayout int32:0 int32:-1 array:string:");
        return layout.contains(QStringLiteral("Send Now"));
    })) << layout.toStdString();
    // The header's lines, and items (the menu's whole list is the menu bar's unit test).
    for (const char* label :
         {"Tarnwhistle — Not connected", "Kept on this computer", "0 today", "Connect…", "Quit"})
        EXPECT_TRUE(layout.contains(QString::fromUtf8(label))) << label;

    ASSERT_TRUE(stopAgent(SIGTERM));
    EXPECT_EQ(agent_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(agent_.exitCode(), 0);
}

}  // namespace
