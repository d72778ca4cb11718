// Capture on headless KWin: the agent's KWin script reports the front window, data-control
// gives the clipboard's types, ext_idle_notify_v1 the idle time, KWin's locker the lock. Idle
// is not ended here: KWin offers no input injection without a privileged client.
#include <QFile>
#include <QTemporaryDir>

#include "compositor_e2e_fixture.h"

using namespace e2e;

namespace {

// KWin takes orders from scripts: a one-off script activates the window titled `title`.
void activate(const QString& title) {
    static QTemporaryDir dir;
    static int count = 0;
    const QString name = QStringLiteral("e2e-activate-%1").arg(++count);
    QFile file(dir.filePath(name + QStringLiteral(".js")));
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(QStringLiteral("var all = workspace.clientList();\n"
                              "for (var i = 0; i < all.length; ++i)\n"
                              "    if (String(all[i].caption) === \"%1\")\n"
                              "        workspace.activeClient = all[i];\n")
                   .arg(title)
                   .toUtf8());
    file.close();
    const QString kwin = QStringLiteral("org.kde.KWin"), scripting = QStringLiteral("/Scripting"),
                  scriptingInterface = QStringLiteral("org.kde.kwin.Scripting");
    const QDBusMessage loaded = busCall(kwin, scripting, scriptingInterface,
                                        QStringLiteral("loadScript"), {file.fileName(), name});
    if (loaded.arguments().isEmpty()) return;
    busCall(kwin, QStringLiteral("/%1").arg(loaded.arguments().front().toInt()),
            QStringLiteral("org.kde.kwin.Script"), QStringLiteral("run"));
    busCall(kwin, scripting, scriptingInterface, QStringLiteral("unloadScript"), {name});
}

}  // namespace

TEST_F(CompositorCapture, KWinWindowsCopiesIdleAndLockAreSeen) {
    start(CompositorSession::Compositor::kwin, activate);
    checkFocusSwitchAndTitle();
    checkForgedReportsIgnored();
    // Data-control, which KWin offers to ordinary clients.
    checkCopies(
        [](const char* type) {
            QProcess::execute(QStringLiteral("wl-copy"),
                              {QStringLiteral("--type"), QLatin1String(type), canary});
        },
        {{"text/plain", "text"}, {"image/png", "image"}});

    config_.idleThresholdSeconds = 3;
    ASSERT_TRUE(waitUntil([&] { return engine_.presence == Presence::idle; }, 30000));
    busCall(QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/ScreenSaver"),
            QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Lock"));
    EXPECT_TRUE(waitUntil([&] { return engine_.presence == Presence::locked; }));
}
