#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QImage>
#include <csignal>

#include "agent_fixture.h"
#include "desktop_driver.h"
#include "status_notifier_watcher.h"

using DesktopDriver::run;
using DesktopDriver::waitUntil;

namespace {

QVariant property(const QString& service, const QString& path, const QString& name) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierItem") << name;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

// The largest square picture of an a(iiay) icon (ARGB32, network byte order).
QImage largestSquare(const QVariant& value) {
    if (value.userType() != qMetaTypeId<QDBusArgument>()) return {};
    const QDBusArgument arg = value.value<QDBusArgument>();
    QImage best;
    arg.beginArray();
    while (!arg.atEnd()) {
        int w = 0, h = 0;
        QByteArray data;
        arg.beginStructure();
        arg >> w >> h >> data;
        arg.endStructure();
        if (w != h || data.size() != w * h * 4 || w <= best.width()) continue;
        QImage image(w, h, QImage::Format_ARGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const auto* p = reinterpret_cast<const uchar*>(data.constData()) + (y * w + x) * 4;
                image.setPixel(x, y, qRgba(p[1], p[2], p[3], p[0]));
            }
        best = image;
    }
    arg.endArray();
    return best;
}

// Where the session has a watcher, the agent is a StatusNotifierItem: the host gets the drawn
// icon with its dot and a menu whose header is plain lines.
TEST_F(AgentTest, StatusNotifierItemWhereTheSessionHasAWatcher) {
    StatusNotifierWatcher watcher;
    ASSERT_TRUE(watcher.claim());
    launchAgent();
    ASSERT_TRUE(waitUntil([&] { return !watcher.lastSender().isEmpty(); }, 20000));
    const QString item = watcher.lastSender();
    const QString path = QStringLiteral("/StatusNotifierItem");

    QImage icon;
    ASSERT_TRUE(waitUntil([&] {
        icon = largestSquare(property(item, path, QStringLiteral("IconPixmap")));
        return !icon.isNull();
    }));
    const qreal scale = icon.width() / 22.0;
    const QColor dot = icon.pixelColor(int(17.75 * scale), int(6.25 * scale));
    EXPECT_EQ(dot.rgb(), QColor(0, 122, 255).rgb()) << dot.name().toStdString();

    const QString menu =
        property(item, path, QStringLiteral("Menu")).value<QDBusObjectPath>().path();
    ASSERT_FALSE(menu.isEmpty());
    auto menuCall = [&](const QStringList& args) {
        return run(QStringLiteral("dbus-send"),
                   QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                               QStringLiteral("--dest=") + item, menu} +
                       args);
    };
    menuCall({QStringLiteral("com.canonical.dbusmenu.AboutToShow"), QStringLiteral("int32:0")});
    QString layout;
    ASSERT_TRUE(waitUntil([&] {
        layout =
            menuCall({QStringLiteral("com.canonical.dbusmenu.GetLayout"), QStringLiteral("int32:0"),
                      QStringLiteral("int32:-1"), QStringLiteral("array:string:")});
        return layout.contains(QStringLiteral("Send Now"));
    })) << layout.toStdString();
    for (const char* label : {"Tarnwhistle — Not connected", "Kept on this computer", "0 today",
                              "Connect…", "Pause", "Send Now", "Settings…", "Activity Log…",
                              "Open Dashboard", "Documentation", "About", "Quit"})
        EXPECT_TRUE(layout.contains(QString::fromUtf8(label))) << label;

    EXPECT_GE(stopAgent(SIGTERM), 0);
    watcher.release();
}

}  // namespace
