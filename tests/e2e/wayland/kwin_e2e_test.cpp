// Capture on headless KWin: the agent's KWin script reports the front window, data-control
// gives the clipboard's types, ext_idle_notify_v1 the idle time, the screensaver the lock.
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
    file.write(
        QStringLiteral(
            "var all = workspace.windowList ? workspace.windowList() : workspace.clientList();\n"
            "for (var i = 0; i < all.length; ++i)\n"
            "    if (String(all[i].caption) === \"%1\") {\n"
            "        if (workspace.activeWindow !== undefined) workspace.activeWindow = all[i];\n"
            "        else workspace.activeClient = all[i];\n"
            "    }\n")
            .arg(title)
            .toUtf8());
    file.close();
    auto kwin = [](const QString& path, const QString& interface, const QString& method,
                   const QVariantList& arguments) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"), path, interface, method);
        call.setArguments(arguments);
        return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    };
    const QString scripting = QStringLiteral("org.kde.kwin.Scripting");
    const QDBusMessage loaded = kwin(QStringLiteral("/Scripting"), scripting,
                                     QStringLiteral("loadScript"), {file.fileName(), name});
    if (loaded.type() != QDBusMessage::ReplyMessage || loaded.arguments().isEmpty()) return;
    kwin(QStringLiteral("/%1").arg(loaded.arguments().front().toInt()),
         QStringLiteral("org.kde.kwin.Script"), QStringLiteral("run"), {});
    kwin(QStringLiteral("/Scripting"), scripting, QStringLiteral("unloadScript"), {name});
}

class KWinCapture : public CompositorCapture {};

}  // namespace

TEST_F(KWinCapture, WindowsCopiesIdleAndLockAreSeen) {
    using C = DesktopSession::Capability;
    activate_ = activate;
    startSession(CompositorSession::Compositor::kwin);
    EXPECT_EQ(session_->capabilities(),
              C::frontWindow | C::idle | C::lockSleep | C::clipboardTypes | C::textSample);
    capture_->start();
    checkFocusSwitchAndTitle();
    EXPECT_TRUE(session_->helperAnswered());
    checkForgedReportsIgnored();

    // Copies through data-control, which KWin gives to ordinary clients.
    for (const auto& [type, kind] : {std::pair{"text/plain", "text"}, {"image/png", "image"}}) {
        engine_.lastCopy.reset();
        ASSERT_TRUE(run(QStringLiteral("wl-copy"), {QStringLiteral("--type"), QLatin1String(type)},
                        canary.toUtf8()));
        ASSERT_TRUE(waitUntil([&] { return engine_.lastCopy.has_value(); })) << type;
        EXPECT_EQ(engine_.lastCopy->type, QLatin1String(kind));
        EXPECT_EQ(engine_.lastCopy->bundle, qtWindowId);
    }

    // Idle: no input for longer than the threshold.
    config_.idleThresholdSeconds = 3;
    ASSERT_TRUE(waitUntil([&] { return engine_.presence == Presence::idle; }, 30000));

    // Lock: KWin's own screen locker announces it on the screensaver interface.
    QDBusMessage lock = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Lock"));
    QDBusConnection::sessionBus().call(lock, QDBus::Block, 5000);
    ASSERT_TRUE(waitUntil([&] { return engine_.presence == Presence::locked; }));
    checkCanaryNowhere();
}
