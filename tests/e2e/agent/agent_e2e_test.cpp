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

// A link opened the desktop's way reaches the running agent, which asks, saves and tries it.
TEST_F(AgentTest, OpenedLinkReachesTheRunningAgent) {
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

    ASSERT_TRUE(startAgent());
    const auto before = windows();
    QProcess open;
    open.setProcessEnvironment(environment());
    open.start(QStringLiteral("xdg-open"),
               {QStringLiteral("tarnwhistle://connect?webhook=https://127.0.0.1:9/hook&org=acme")});
    ASSERT_TRUE(open.waitForFinished(20000));
    // The confirmation: a new window of the running agent.
    QRect alert;
    ASSERT_TRUE(waitUntil([&] {
        for (quint32 w : windows())
            if (std::find(before.begin(), before.end(), w) == before.end()) alert = geometry(w);
        return !alert.isEmpty();
    }, 20000));
    DesktopDriver::spin(300);
    const auto asked = read(screenshot("link-confirmation"), alert);
    EXPECT_TRUE(find(asked, QStringLiteral("Connect"))) << words(asked).toStdString();
    key(QStringLiteral("Return"));  // "Connect" is the default
    ASSERT_TRUE(waitUntil([&] {
        return savedConfig() && savedConfig()->webhookURL == QLatin1String("https://127.0.0.1:9/hook");
    }));
    EXPECT_EQ(savedConfig()->orgId, "acme");
}

}  // namespace
