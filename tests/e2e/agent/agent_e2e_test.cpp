#include <QDir>
#include <QFile>
#include <QProcess>
#include <csignal>

#include "agent_fixture.h"
#include "desktop_driver.h"
#include "signals/ulid.h"
#include "storage/store.h"

using DesktopDriver::waitUntil;

namespace {

const QColor kBlue(0, 122, 255), kGrey(142, 142, 147);

bool near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <= 24;
}

QString words(const std::vector<Word>& all) {
    QStringList out;
    for (const Word& w : all) out << w.text;
    return out.join(' ');
}

// The receiver script, answering after `delay` seconds.
class Receiver {
public:
    Receiver(const QString& folder, double delay) {
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        QStringList args = {QStringLiteral(RECEIVER_SCRIPT), QStringLiteral("--port"),
                            QStringLiteral("0"), QStringLiteral("--out"), folder};
        if (delay > 0)
            args << QStringLiteral("--action") << QStringLiteral("delay") << QStringLiteral("--delay")
                 << QString::number(delay);
        process_.start(QStringLiteral("python3"), args);
        waitUntil([&] {
            const QByteArray line = process_.readLine();
            if (line.startsWith("listening on ")) port_ = line.mid(13).trimmed().toInt();
            return port_ != 0 || process_.state() == QProcess::NotRunning;
        });
    }
    ~Receiver() {
        process_.kill();
        process_.waitForFinished();
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/hook").arg(port_); }
    int port() const { return port_; }

private:
    QProcess process_;
    int port_ = 0;
};

// Start, the tray icon and its menu; Pause and Resume through the menu change the saved
// setting and the icon's dot; Quit in the menu ends the process.
TEST_F(AgentTest, TrayMenuPausesResumesAndQuits) {
    ASSERT_TRUE(startAgent());
    std::printf("start to tray icon: %lld ms\n", startMs);
    ASSERT_TRUE(waitUntil([&] { return near(dotColor(screenshot("tray-not-connected")), kBlue); }))
        << "dot " << dotColor(screenshot("tray-not-connected")).name().toStdString();

    QRect menu = openMenu();
    ASSERT_FALSE(menu.isEmpty());
    auto seen = read(screenshot("menu"), menu);
    for (const char* item : {"Tarnwhistle", "Kept", "Connect", "Pause", "Send", "Settings",
                             "Activity", "Dashboard", "Documentation", "About", "Quit"})
        EXPECT_TRUE(find(seen, QString::fromLatin1(item))) << item << " in: " << words(seen).toStdString();
    auto pause = find(seen, QStringLiteral("Pause"));
    ASSERT_TRUE(pause);
    click(pause->box.center());
    ASSERT_TRUE(waitUntil([&] { return savedConfig() && savedConfig()->paused; }));
    EXPECT_TRUE(waitUntil([&] { return near(dotColor(screenshot("tray-paused")), kGrey); }));

    menu = openMenu();
    seen = read(screenshot("menu-paused"), menu);
    auto resume = find(seen, QStringLiteral("Resume"));
    ASSERT_TRUE(resume) << words(seen).toStdString();
    click(resume->box.center());
    ASSERT_TRUE(waitUntil([&] { return savedConfig() && !savedConfig()->paused; }));
    EXPECT_TRUE(waitUntil([&] { return near(dotColor(screenshot("tray-resumed")), kBlue); }));

    menu = openMenu();
    auto quit = find(read(screenshot("menu-quit"), menu), QStringLiteral("Quit"));
    ASSERT_TRUE(quit);
    click(quit->box.center());
    EXPECT_GE(waitForExit(5000), 0);
    EXPECT_EQ(agent_.exitCode(), 0);
}

// Quitting idle ends at once; with a delivery in flight to a receiver that answers only after
// 10 s, it ends after at most 4 s. Both by SIGTERM, which takes the Quit path.
TEST_F(AgentTest, QuitWaitsAtMostFourSecondsForDeliveries) {
    ASSERT_TRUE(startAgent());
    const qint64 idle = stopAgent(SIGTERM);
    std::printf("quit idle: %lld ms\n", idle);
    EXPECT_GE(idle, 0);
    EXPECT_LT(idle, 2000);
    EXPECT_EQ(agent_.exitCode(), 0);

    QTemporaryDir received;
    Receiver receiver(received.path(), 10);
    ASSERT_NE(receiver.port(), 0);
    writeConfig([&](DeploymentConfig& c) { c.webhookURL = receiver.url(); });
    {
        Store store;  // a signal waiting from before: the quit's flush sends it
        store.open(QDir(dataDir()).filePath(QStringLiteral("store.sqlite")));
        store.insert(Signal{ULID::make(Time::now()), QStringLiteral("app.focus"), 1, JSONObject{}});
    }
    ASSERT_TRUE(startAgent());
    const qint64 busy = stopAgent(SIGTERM);
    std::printf("quit with a delivery held 10 s: %lld ms\n", busy);
    EXPECT_GE(busy, 3000);  // it did wait
    EXPECT_LT(busy, 5000);
    EXPECT_EQ(agent_.exitCode(), 0);
}

// The autostart entry follows startAtLogin at launch.
TEST_F(AgentTest, StartAtLoginAddsAndRemovesTheAutostartEntry) {
    ASSERT_TRUE(startAgent());
    EXPECT_TRUE(QFile::exists(autostartFile()));
    ASSERT_GE(stopAgent(SIGTERM), 0);
    auto config = savedConfig();
    ASSERT_TRUE(config);
    writeConfig([&](DeploymentConfig& c) {
        c = *config;
        c.startAtLogin = false;
    });
    ASSERT_TRUE(startAgent());
    EXPECT_FALSE(QFile::exists(autostartFile()));
}

// A private certificate authority, a server certificate for 127.0.0.1 signed by it, and a
// copy of the system's hashed certificate folder that also trusts it. The agent sees that copy
// in place of /etc/ssl/certs in a mount namespace of its own: nothing on the machine changes.
struct PrivateTrust {
    explicit PrivateTrust(const QString& folder) : dir(folder) {
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
        make.start(QStringLiteral("bash"), {QStringLiteral("-c"), QString::fromLatin1(script),
                                            QStringLiteral("make"), folder});
        ok = make.waitForFinished(60000) && make.exitCode() == 0;
    }
    // Runs the agent with the copy mounted over /etc/ssl/certs.
    QStringList wrapper() const {
        return {QStringLiteral("unshare"), QStringLiteral("-m"), QStringLiteral("--propagation"),
                QStringLiteral("private"), QStringLiteral("sh"), QStringLiteral("-c"),
                QStringLiteral("mount --bind \"$0\" /etc/ssl/certs && exec \"$@\""),
                dir + QStringLiteral("/certs")};
    }
    QString dir;
    bool ok = false;
};

// A link opened the desktop's way reaches the running agent, which asks, saves, and sends a
// test batch over https that the receiver gets; the agent then says "Connected". Starting the
// agent again without a link opens Settings in the running one.
TEST_F(AgentTest, OpenedLinkConnectsOverHttps) {
    QTemporaryDir trustDir, received;
    PrivateTrust trust(trustDir.path());
    ASSERT_TRUE(trust.ok);
    QProcess receiver;
    receiver.start(QStringLiteral("python3"),
                   {QStringLiteral(HTTPS_RECEIVER_SCRIPT), QStringLiteral("--port"), QStringLiteral("0"),
                    QStringLiteral("--out"), received.path(), QStringLiteral("--secret"),
                    QStringLiteral("link-secret"), QStringLiteral("--cert"),
                    trustDir.filePath(QStringLiteral("server.pem")), QStringLiteral("--key"),
                    trustDir.filePath(QStringLiteral("server.key"))});
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
    QProcess mime;
    mime.setProcessEnvironment(environment());
    mime.start(QStringLiteral("xdg-mime"), {QStringLiteral("default"), QStringLiteral("tarnwhistle.desktop"),
                                            QStringLiteral("x-scheme-handler/tarnwhistle")});
    ASSERT_TRUE(mime.waitForFinished(10000));

    ASSERT_TRUE(startAgent({}, trust.wrapper()));
    auto newWindow = [&](const std::vector<quint32>& before) {
        QRect found;
        waitUntil([&] {
            for (quint32 w : windows())
                if (std::find(before.begin(), before.end(), w) == before.end()) found = geometry(w);
            return !found.isEmpty();
        }, 20000);
        DesktopDriver::spin(400);
        return found;
    };
    auto before = windows();
    const QString hook = QStringLiteral("https://127.0.0.1:%1/hook").arg(port);
    QProcess open;
    open.setProcessEnvironment(environment());
    open.start(QStringLiteral("xdg-open"),
               {QStringLiteral("tarnwhistle://connect?webhook=%1&secret=link-secret&org=acme").arg(hook)});
    ASSERT_TRUE(open.waitForFinished(20000));
    QRect alert = newWindow(before);
    ASSERT_FALSE(alert.isEmpty());
    const auto asked = read(screenshot("link-confirmation"), alert);
    EXPECT_TRUE(find(asked, QStringLiteral("Connect"))) << words(asked).toStdString();
    before = windows();
    key(QStringLiteral("Return"));  // "Connect" is the default
    ASSERT_TRUE(waitUntil([&] { return savedConfig() && savedConfig()->webhookURL == hook; }));
    EXPECT_EQ(savedConfig()->orgId, "acme");
    EXPECT_EQ(savedConfig()->webhookSecret, "link-secret");

    // The test batch arrives over https with a valid signature.
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(received.filePath(QStringLiteral("1.json"))); },
                          20000));
    QFile meta(received.filePath(QStringLiteral("1.json")));
    ASSERT_TRUE(meta.open(QIODevice::ReadOnly));
    const QByteArray exchange = meta.readAll();
    EXPECT_TRUE(exchange.contains("\"signature_valid\": true"))
        << exchange.toStdString();
    QFile body(received.filePath(QStringLiteral("1.body")));
    ASSERT_TRUE(body.open(QIODevice::ReadOnly));
    EXPECT_TRUE(body.readAll().contains("test.ping"));

    alert = newWindow(before);
    const auto result = read(screenshot("link-connected"), alert);
    EXPECT_TRUE(find(result, QStringLiteral("Connected"))) << words(result).toStdString();
    key(QStringLiteral("Return"));

    // Started again without a link: Settings opens in the running agent.
    before = windows();
    QProcess again;
    again.setProcessEnvironment(environment());
    again.start(QStringLiteral(AGENT_EXECUTABLE), {});
    ASSERT_TRUE(again.waitForFinished(15000));
    EXPECT_EQ(again.exitCode(), 0);
    const QRect settings = newWindow(before);
    ASSERT_FALSE(settings.isEmpty());
    EXPECT_GE(settings.width(), 800);
    screenshot("settings-on-second-start");
    receiver.kill();
    receiver.waitForFinished();
}

}  // namespace
