#include "app/app_delegate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "../capture/fake_desktop.h"
#include "../ui/ui_fixture.h"
#include "app/login_item.h"
#include "base/system_log.h"
#include "capture/capture.h"
#include "signals/signal_engine.h"

namespace {

class AppDelegateTest : public UiFixture {
  protected:
    void TearDown() override { SystemLog::setObserver({}); }

    SignalEngine engine{[] { return Time::now(); }};
    FakeDesktop desktop;
    ManualScheduler scheduler;
    Capture capture{engine, desktop, scheduler, [this] { return configStore.config(); }, 1};
    LoginItem loginItem{dir.filePath(QStringLiteral("autostart")),
                        QStringLiteral("/usr/bin/tarnwhistle")};
    QStringList calls;
    bool deleteAnswer = false;
    AppDelegate delegate{
        AppDelegate::Parts{configStore, store, capture, outbox, status, eventLog, loginItem},
        AppDelegate::Hooks{
            .setupMenuBar = [this] { calls << "menu"; },
            .trusted = [this] { return trusted; },
            .showWelcome = [this] { calls << "welcome"; },
            .confirmDelete = [this] { return deleteAnswer; },
            .handleLink = [](const QString&) {},
            .terminate = [this] { calls << "terminate"; },
        }};
};

// Launching paused: capture stays stopped, the outbox and status start, and nothing is
// batched. Not yet welcomed: the welcome shows.
TEST_F(AppDelegateTest, PausedLaunchStartsDeliveryButNotCaptureAndPauseFollowsTheSettings) {
    configure([](DeploymentConfig& c) { c.paused = true; });
    delegate.applicationDidFinishLaunching();
    EXPECT_FALSE(capture.running());
    EXPECT_GT(outbox.flushTimerInterval(), 0);
    EXPECT_EQ(status.state(), AppStatus::State::paused);
    EXPECT_EQ(calls, (QStringList{"menu", "welcome"}));
    insertSignals(3);
    outbox.flush();
    EXPECT_TRUE(store.recentBatches(10).empty());

    delegate.setPaused(false);
    EXPECT_TRUE(capture.running());
    EXPECT_FALSE(configStore.config().paused);
    EXPECT_NE(status.state(), AppStatus::State::paused);
    delegate.setPaused(true);
    EXPECT_FALSE(capture.running());
    EXPECT_EQ(status.state(), AppStatus::State::paused);

    // Resuming when the settings cannot be saved leaves capture stopped, as the settings say.
    ASSERT_TRUE(QFile::remove(configStore.filePath()));
    ASSERT_TRUE(QDir().mkpath(configStore.filePath()));  // a folder where the file must go
    delegate.setPaused(false);
    EXPECT_TRUE(configStore.lastError().has_value());
    EXPECT_FALSE(capture.running());
    EXPECT_EQ(status.state(), AppStatus::State::paused);
}

// Quit with nothing in flight replies at once. The welcome is skipped only when the user was
// welcomed and windows can still be read.
TEST_F(AppDelegateTest, QuitWithNothingInFlightRepliesAtOnceAndWelcomeAfterPermissionWithdrawn) {
    store.setMetaValue(QStringLiteral("1"), QStringLiteral("welcomed"));
    delegate.applicationDidFinishLaunching();
    EXPECT_FALSE(calls.contains("welcome"));
    insertSignals(2);
    delegate.quit();
    delegate.quit();  // a second request (a signal after the menu's Quit) joins the first
    EXPECT_EQ(calls.count("terminate"), 1);
    EXPECT_FALSE(capture.running());
    EXPECT_FALSE(store.isOpen());

    trusted = false;
    delegate.applicationDidFinishLaunching();  // the next launch, same folder
    EXPECT_TRUE(calls.contains("welcome"));
}

// With a send in flight the reply waits for it, or for the fallback when the receiver does not
// answer; either way it comes once: the send ending or the fallback later adds nothing.
class AppDelegateQuitTest : public AppDelegateTest, public ::testing::WithParamInterface<bool> {};

TEST_P(AppDelegateQuitTest, QuitWithASendInFlightRepliesOnce) {
    const bool answered = GetParam();
    LoopbackReceiver receiver;
    configure([&](DeploymentConfig& c) { c.webhookURL = receiver.url(); });
    delegate.quitWaitMs = 1500;
    delegate.applicationDidFinishLaunching();
    insertSignals(1);
    delegate.quit();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !receiver.clients.empty(); }, 10000));
    EXPECT_EQ(calls.count("terminate"), 0);
    if (answered) receiver.answerAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls.contains("terminate"); }, 10000));
    receiver.answerAll();
    QTest::qWait(delegate.quitWaitMs + 200);
    EXPECT_EQ(calls.count("terminate"), 1);
}

INSTANTIATE_TEST_SUITE_P(AnsweredOrNot, AppDelegateQuitTest, ::testing::Bool());

// Cancel keeps everything; Delete empties signals, batches and the in-memory activity log,
// and keeps the settings.
TEST_F(AppDelegateTest, DeleteLocalData) {
    delegate.applicationDidFinishLaunching();
    insertSignals(4);
    outbox.flush();
    insertSignals(2);
    eventLog.log(EventKind::click);
    const size_t moments = eventLog.events().size();
    const DeploymentConfig before = configStore.config();

    delegate.deleteLocalData();
    EXPECT_EQ(store.countUnbatchedSignals(), 2);
    EXPECT_EQ(store.recentBatches(10).size(), 1u);
    EXPECT_EQ(eventLog.events().size(), moments);

    deleteAnswer = true;
    delegate.deleteLocalData();
    EXPECT_TRUE(store.recentSignals(10).empty());
    EXPECT_TRUE(store.recentBatches(10).empty());
    EXPECT_TRUE(eventLog.events().empty());
    EXPECT_EQ(configStore.config(), before);
}

// The autostart entry follows startAtLogin; an entry that is already right is not written
// again; a failure is logged and changes nothing else.
TEST_F(AppDelegateTest, LoginItemFollowsTheSetting) {
    QStringList logged;
    SystemLog::setObserver([&](const QString& line) { logged << line; });
    delegate.applyLoginItem();  // on by default
    ASSERT_TRUE(loginItem.enabled());
    QFile entry(loginItem.filePath());
    const QDateTime old = QDateTime::fromSecsSinceEpoch(1'000'000'000);
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    ASSERT_TRUE(entry.setFileTime(old, QFileDevice::FileModificationTime));
    delegate.applyLoginItem();
    EXPECT_EQ(QFileInfo(entry).lastModified(), old);

    configure([](DeploymentConfig& c) { c.startAtLogin = false; });
    delegate.applyLoginItem();
    EXPECT_FALSE(loginItem.exists());
    EXPECT_TRUE(logged.isEmpty()) << logged.join('\n').toStdString();

    // The autostart folder's place is taken by a file: the entry cannot be written.
    const QString folder = dir.filePath(QStringLiteral("autostart"));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(QFile(folder).open(QIODevice::WriteOnly));
    configure([](DeploymentConfig& c) { c.startAtLogin = true; });
    delegate.applyLoginItem();
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged[0].startsWith(QStringLiteral("Tarnwhistle: login item change failed: ")));
    EXPECT_TRUE(configStore.config().startAtLogin);
}

}  // namespace
