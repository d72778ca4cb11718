#include <QDir>
#include <QFile>
#include <QProcess>

#include "agent_fixture.h"
#include "desktop_driver.h"

using DesktopDriver::waitUntil;

namespace {

const QColor kBlue(0, 122, 255), kGrey(142, 142, 147);

bool near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <=
           24;
}

// First start: the autostart entry, the welcome window, the tray icon and its menu. Pause and
// Resume through the menu change the saved setting and the icon's dot; Settings and the Activity
// Log open at their sizes; Quit in the menu ends the process.
TEST_F(AgentTest, TrayMenuWindowsPauseResumeAndQuit) {
    ASSERT_TRUE(startAgent());
    // startAtLogin is on by default
    EXPECT_TRUE(
        QFile::exists(home_.filePath(QStringLiteral("config/autostart/tarnwhistle.desktop"))));

    const QRect welcome = newWindow({});
    EXPECT_EQ(welcome.size(), QSize(640, 700));
    EXPECT_TRUE(findText(screenshot("ui-welcome"), welcome, QStringLiteral("Never")));

    ASSERT_TRUE(waitUntil([&] { return near(dotColor(screenshot("tray-not-connected")), kBlue); }));
    // The menu's items are the status notifier test's; here the menu opens from the icon.
    ASSERT_TRUE(chooseFromMenu(QStringLiteral("Pause"), QStringLiteral("menu")));
    ASSERT_TRUE(waitUntil([&] { return savedConfig() && savedConfig()->paused; }));
    EXPECT_TRUE(waitUntil([&] { return near(dotColor(screenshot("tray-paused")), kGrey); }));
    ASSERT_TRUE(chooseFromMenu(QStringLiteral("Resume"), QStringLiteral("menu-paused")));
    ASSERT_TRUE(waitUntil([&] { return savedConfig() && !savedConfig()->paused; }));
    EXPECT_TRUE(waitUntil([&] { return near(dotColor(screenshot("tray-resumed")), kBlue); }));

    for (const auto& [item, size] :
         {std::pair{"Settings", QSize(900, 660)}, std::pair{"Activity", QSize(960, 640)}}) {
        const auto before = windows();
        ASSERT_TRUE(chooseFromMenu(QString::fromLatin1(item), QStringLiteral("ui-menu"))) << item;
        EXPECT_EQ(newWindow(before).size(), size) << item;
    }

    ASSERT_TRUE(chooseFromMenu(QStringLiteral("Quit"), QStringLiteral("menu-quit")));
    EXPECT_TRUE(agent_.waitForFinished(5000));
    EXPECT_EQ(agent_.exitCode(), 0);
}

// A private certificate authority and a server certificate for 127.0.0.1 signed by it, in
// `folder`, and a copy of the system's hashed certificate folder that also trusts it. The
// agent sees that copy in place of /etc/ssl/certs in a mount namespace of its own: nothing on
// the machine changes. Returns the command line that runs the agent so.
QStringList privateTrust(const QString& folder) {
    const char* script = R"SH(
set -e
cd "$1"
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Tarnwhistle Test CA" -addext basicConstraints=critical,CA:TRUE \
  -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj "/CN=127.0.0.1" 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1\nextendedKeyUsage=serverAuth\n' > ext.cnf
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem \
  -days 2 -extfile ext.cnf 2>/dev/null
mkdir certs
cp -a /etc/ssl/certs/. certs/
cp ca.pem "certs/$(openssl x509 -hash -noout -in ca.pem).0"
)SH";
    QProcess make;
    make.start(QStringLiteral("bash"),
               {"-c", QString::fromLatin1(script), QStringLiteral("make"), folder});
    if (!make.waitForFinished(60000) || make.exitCode() != 0) return {};
    return QStringLiteral("unshare -m --propagation private sh -c").split(' ')
           << QStringLiteral("mount --bind \"$0\" /etc/ssl/certs && exec \"$@\"")
           << folder + QStringLiteral("/certs");
}

// A link opened the desktop's way reaches the running agent, which asks, saves, and sends a
// test batch over https that the receiver gets; the agent then says "Connected". Starting the
// agent again without a link opens Settings in the running one.
TEST_F(AgentTest, OpenedLinkConnectsOverHttps) {
    QTemporaryDir trustDir, received;
    const QStringList wrapper = privateTrust(trustDir.path());
    ASSERT_FALSE(wrapper.isEmpty());
    // The receiver over https on a free port, with the private authority's server certificate.
    QProcess receiver;
    receiver.start(QStringLiteral("python3"),
                   {HTTPS_RECEIVER_SCRIPT, "--port", "0", "--out", received.path(), "--secret",
                    "link-secret", "--cert", trustDir.filePath(QStringLiteral("server.pem")),
                    "--key", trustDir.filePath(QStringLiteral("server.key"))});
    int port = 0;
    ASSERT_TRUE(waitUntil([&] {
        const QByteArray line = receiver.readLine();
        if (line.startsWith("listening on ")) port = line.mid(13).trimmed().toInt();
        return port != 0;
    }));

    // The desktop file that names the agent as the handler of tarnwhistle: links.
    const QString apps = home_.filePath(QStringLiteral("data/applications"));
    QDir().mkpath(apps);
    QFile desktop(apps + QStringLiteral("/tarnwhistle.desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::WriteOnly));
    desktop.write("[Desktop Entry]\nType=Application\nName=Tarnwhistle\nExec=" AGENT_EXECUTABLE
                  " %u\nMimeType=x-scheme-handler/tarnwhistle;\nNoDisplay=true\n");
    desktop.close();
    auto runHere = [&](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
        return process.waitForFinished(20000) && process.exitCode() == 0;
    };
    ASSERT_TRUE(
        runHere("xdg-mime", {"default", "tarnwhistle.desktop", "x-scheme-handler/tarnwhistle"}));

    ASSERT_TRUE(startAgent(wrapper));
    auto before = windows();
    const QString hook = QStringLiteral("https://127.0.0.1:%1/hook").arg(port);
    ASSERT_TRUE(runHere(
        "xdg-open", {QStringLiteral("tarnwhistle://connect?webhook=%1&secret=link-secret&org=acme")
                         .arg(hook)}));
    QRect alert = newWindow(before);
    EXPECT_TRUE(findText(screenshot("link-confirmation"), alert, QStringLiteral("Connect")));
    before = windows();
    DesktopDriver::xdotool({"key", "Return"});  // "Connect" is the default
    ASSERT_TRUE(waitUntil([&] { return savedConfig() && savedConfig()->webhookURL == hook; }));
    EXPECT_EQ(savedConfig()->orgId, "acme");
    EXPECT_EQ(savedConfig()->webhookSecret, "link-secret");

    // The test batch arrives over https with a valid signature.
    auto receivedFile = [&](const char* name) {
        QFile file(received.filePath(QString::fromLatin1(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    ASSERT_TRUE(waitUntil(
        [&] { return receivedFile("1.json").contains("\"signature_valid\": true"); }, 20000))
        << receivedFile("1.json").toStdString();

    alert = newWindow(before);
    EXPECT_TRUE(findText(screenshot("link-connected"), alert, QStringLiteral("Connected")));
    DesktopDriver::xdotool({"key", "Return"});

    // Started again without a link: Settings opens in the running agent.
    before = windows();
    ASSERT_TRUE(runHere(AGENT_EXECUTABLE, {}));
    EXPECT_GE(newWindow(before).width(), 800);
    receiver.kill();
    receiver.waitForFinished();
}

}  // namespace
