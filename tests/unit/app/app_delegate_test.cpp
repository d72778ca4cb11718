#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "../capture/fake_desktop.h"
#include "app/app_delegate.h"
#include "app/app_status.h"
#include "app/login_item.h"
#include "base/system_log.h"
#include "capture/capture.h"
#include "config/config_store.h"
#include "delivery/outbox.h"
#include "signals/event_log.h"
#include "signals/signal_engine.h"
#include "signals/ulid.h"
#include "storage/store.h"

namespace {

// A receiver on loopback that takes requests and answers only when told to.
class HeldReceiver : public QTcpServer {
  public:
    HeldReceiver() {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection()) clients.push_back(s);
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/hook").arg(serverPort()); }
    void answerAll() {
        for (QTcpSocket* s : clients) {
            s->readAll();
            s->write("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            s->flush();
        }
    }
    std::vector<QTcpSocket*> clients;
};

class AppDelegateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        engine.configProvider = [this] { return config.config(); };
        engine.sink = [this](const Signal& s) { store.insert(s); };
        engine.events = &events;
        outbox.watchNetwork = false;
        outbox.userPrincipal = [] { return QStringLiteral("alex"); };
        desktop.front =
            RunningApplication{42, QStringLiteral("org.example.Editor"), QStringLiteral("Editor")};
    }
    void TearDown() override { SystemLog::setObserver({}); }

    // Writes a configuration before launch, as a previous run would have left it.
    void saved(const std::function<void(DeploymentConfig&)>& change) {
        ConfigStore before(dir.path());
        before.load();
        DeploymentConfig c = before.config();
        change(c);
        before.save(c);
    }
    void insertSignals(int n) {
        for (int i = 0; i < n; ++i)
            store.insert(
                Signal{ULID::make(Time::now()), QStringLiteral("app.focus"), 1, JSONObject{}});
    }
    qint64 count(const char* status) {
        qint64 n = 0;
        for (const BatchRecord& b : store.recentBatches(100))
            n += rawValue(b.status) == QLatin1String(status);
        return n;
    }

    QTemporaryDir dir;
    ConfigStore config{dir.path()};
    Store store;
    EventLog events;
    SignalEngine engine{[] { return Time::now(); }};
    FakeDesktop desktop;
    ManualScheduler scheduler;
    Capture capture{engine, desktop, scheduler, [this] { return config.config(); }, 1};
    Outbox outbox{store, config};
    bool trusted = true;
    AppStatus status{config, store, outbox, [this] { return trusted; }};
    LoginItem loginItem{dir.filePath(QStringLiteral("autostart")),
                        QStringLiteral("/usr/bin/tarnwhistle")};
    QStringList calls;
    bool deleteAnswer = false;
    AppDelegate delegate{
        AppDelegate::Parts{config, store, capture, outbox, status, events, loginItem},
        AppDelegate::Hooks{
            .setupMenuBar = [this] { calls << QStringLiteral("menu"); },
            .trusted = [this] { return trusted; },
            .showWelcome = [this] { calls << QStringLiteral("welcome"); },
            .confirmDelete =
                [this] {
                    calls << QStringLiteral("confirm");
                    return deleteAnswer;
                },
            .handleLink = [this](const QString& l) { calls << l; },
            .terminate = [this] { calls << QStringLiteral("terminate"); },
        }};
};

// Launching paused: capture stays stopped, the outbox and status start, and nothing is
// batched. Not yet welcomed: the welcome shows.
TEST_F(AppDelegateTest, PausedLaunchStartsDeliveryButNotCapture) {
    saved([](DeploymentConfig& c) { c.paused = true; });
    delegate.applicationDidFinishLaunching();
    EXPECT_TRUE(store.isOpen());
    EXPECT_FALSE(capture.running());
    EXPECT_GT(outbox.flushTimerInterval(), 0);
    EXPECT_EQ(status.state(), AppStatus::State::paused);
    EXPECT_EQ(calls, (QStringList{"menu", "welcome"}));
    insertSignals(3);
    outbox.flush();
    EXPECT_TRUE(store.recentBatches(10).empty());

    delegate.setPaused(false);
    EXPECT_TRUE(capture.running());
    EXPECT_FALSE(config.config().paused);
    EXPECT_NE(status.state(), AppStatus::State::paused);
    delegate.setPaused(true);
    EXPECT_FALSE(capture.running());
    EXPECT_TRUE(config.config().paused);
    EXPECT_EQ(status.state(), AppStatus::State::paused);
}

// Pausing when the settings cannot be saved leaves capture running, as the settings say.
TEST_F(AppDelegateTest, PauseThatCannotBeSavedKeepsCapturing) {
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(QFile::remove(config.filePath()));
    ASSERT_TRUE(QDir().mkpath(config.filePath()));  // a folder where the file must go
    delegate.setPaused(true);
    EXPECT_TRUE(config.lastError().has_value());
    EXPECT_TRUE(capture.running());
    EXPECT_NE(status.state(), AppStatus::State::paused);
}

// The welcome is skipped only when the user was welcomed and windows can still be read.
TEST_F(AppDelegateTest, WelcomeAfterPermissionWithdrawn) {
    {
        Store earlier;
        earlier.open(QDir(dir.path()).filePath(QStringLiteral("store.sqlite")));
        earlier.setMetaValue(QStringLiteral("1"), QStringLiteral("welcomed"));
    }
    delegate.applicationDidFinishLaunching();
    EXPECT_FALSE(calls.contains("welcome"));
    EXPECT_TRUE(capture.running());

    trusted = false;
    calls.clear();
    delegate.applicationWillTerminate();
    delegate.applicationDidFinishLaunching();  // the next launch, same folder
    EXPECT_TRUE(calls.contains("welcome"));
}

TEST_F(AppDelegateTest, QuitWithNothingInFlightRepliesAtOnce) {
    delegate.applicationDidFinishLaunching();
    insertSignals(2);
    delegate.quit();
    delegate.quit();  // a second request (a signal after the menu's Quit) joins the first
    EXPECT_EQ(calls.count("terminate"), 1);
    EXPECT_FALSE(capture.running());
    EXPECT_FALSE(store.isOpen());
}

// With a send in flight the reply waits for it; the 4-second fallback, later, adds nothing.
TEST_F(AppDelegateTest, QuitWaitsForTheSendInFlightAndRepliesOnce) {
    HeldReceiver receiver;
    saved([&](DeploymentConfig& c) { c.webhookURL = receiver.url(); });
    delegate.quitWaitMs = 300;
    delegate.applicationDidFinishLaunching();
    insertSignals(2);
    delegate.quit();
    EXPECT_EQ(outbox.sending().size(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !receiver.clients.empty(); }, 10000));
    EXPECT_EQ(calls.count("terminate"), 0);
    receiver.answerAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls.contains("terminate"); }, 10000));
    QTest::qWait(delegate.quitWaitMs + 200);
    EXPECT_EQ(calls.count("terminate"), 1);
}

// A receiver that never answers: the fallback replies; the send ending afterwards adds nothing.
TEST_F(AppDelegateTest, QuitGivesUpWaitingAfterTheFallback) {
    HeldReceiver receiver;
    saved([&](DeploymentConfig& c) { c.webhookURL = receiver.url(); });
    delegate.quitWaitMs = 100;
    delegate.applicationDidFinishLaunching();
    insertSignals(1);
    EXPECT_EQ(delegate.applicationShouldTerminate(), AppDelegate::TerminateReply::later);
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls.contains("terminate"); }, 10000));
    receiver.answerAll();
    QTest::qWait(300);
    EXPECT_EQ(calls.count("terminate"), 1);
}

// Cancel keeps everything; Delete empties signals, batches and the in-memory activity log,
// and keeps the settings.
TEST_F(AppDelegateTest, DeleteLocalData) {
    delegate.applicationDidFinishLaunching();
    insertSignals(4);
    outbox.flush();
    insertSignals(2);
    events.log(EventKind::click);
    const size_t moments = events.events().size();
    const DeploymentConfig before = config.config();

    delegate.deleteLocalData();
    EXPECT_EQ(store.countUnbatchedSignals(), 2);
    EXPECT_EQ(store.recentBatches(10).size(), 1u);
    EXPECT_EQ(events.events().size(), moments);

    deleteAnswer = true;
    delegate.deleteLocalData();
    EXPECT_EQ(calls.count("confirm"), 2);
    EXPECT_TRUE(store.recentSignals(10).empty());
    EXPECT_TRUE(store.recentBatches(10).empty());
    EXPECT_TRUE(events.events().empty());
    EXPECT_EQ(config.config(), before);
    EXPECT_TRUE(QFile::exists(config.filePath()));
}

// The autostart entry follows startAtLogin; an entry that is already right is not written
// again; a failure is logged and changes nothing else.
TEST_F(AppDelegateTest, LoginItemFollowsTheSetting) {
    QStringList logged;
    SystemLog::setObserver([&](const QString& line) { logged << line; });
    auto inode = [&] {
        struct stat st = {};
        return ::stat(QFile::encodeName(loginItem.filePath()).constData(), &st) == 0 ? st.st_ino
                                                                                     : ino_t(0);
    };
    auto setStartAtLogin = [&](bool on) {
        DeploymentConfig c = config.config();
        c.startAtLogin = on;
        config.save(c);
        delegate.applyLoginItem();
    };
    delegate.applyLoginItem();  // on by default
    ASSERT_TRUE(loginItem.enabled());
    const ino_t first = inode();
    delegate.applyLoginItem();
    EXPECT_EQ(inode(), first);

    setStartAtLogin(false);
    EXPECT_FALSE(loginItem.exists());
    EXPECT_TRUE(logged.isEmpty()) << logged.join('\n').toStdString();

    // The autostart folder's place is taken by a file: the entry cannot be written.
    const QString folder = dir.filePath(QStringLiteral("autostart"));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    setStartAtLogin(true);
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged[0].startsWith(QStringLiteral("Tarnwhistle: login item change failed: ")));
    EXPECT_TRUE(config.config().startAtLogin);
}

}  // namespace
