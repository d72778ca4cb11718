#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "app/app_status.h"
#include "config/config_store.h"
#include "delivery/outbox.h"
#include "signals/ulid.h"
#include "storage/store.h"

namespace {

using State = AppStatus::State;

TEST(AppStatusRules, FirstRuleThatHoldsWins) {
    const QString hook = QStringLiteral("https://example.org/hook");
    const struct {
        const char* name;
        AppStatus::Inputs in;
        State want;
    } cases[] = {
        {"paused wins over missing permission",
         {true, false, hook, 3, std::nullopt, 5},
         State::paused},
        {"not trusted", {false, false, hook, 0, 10, std::nullopt}, State::needsPermission},
        {"no webhook", {false, true, QString(), 0, std::nullopt, std::nullopt}, State::localOnly},
        {"spaces and tabs only",
         {false, true, QStringLiteral(" \t  "), 0, std::nullopt, std::nullopt},
         State::localOnly},
        {"success newer than failure", {false, true, hook, 2, 20, 10}, State::connected},
        {"failure newer than success", {false, true, hook, 2, 10, 20}, State::problem},
        {"failure, no success, batches waiting",
         {false, true, hook, 1, std::nullopt, 20},
         State::problem},
        {"failure, no success, nothing waiting",
         {false, true, hook, 0, std::nullopt, 20},
         State::connecting},
        {"nothing delivered yet",
         {false, true, hook, 0, std::nullopt, std::nullopt},
         State::connecting},
        {"delivered", {false, true, hook, 0, 10, std::nullopt}, State::connected},
    };
    for (const auto& c : cases) EXPECT_EQ(AppStatus::stateFor(c.in), c.want) << c.name;
}

TEST(AppStatusTexts, RelativeAndShorten) {
    const TimePoint now = 1'733'500'000;
    const struct {
        double ago;
        const char* want;
    } relative[] = {
        {-30, "just now"},         {44.9, "just now"},          {45, "1 min ago"},
        {59, "1 min ago"},         {120, "2 min ago"},          {3599, "59 min ago"},
        {3600, "1 h ago"},         {86399, "23 h ago"},         {86400, "1 day ago"},
        {3 * 86400, "3 days ago"}, {15 * 86400, "2 weeks ago"},
    };
    for (const auto& c : relative)
        EXPECT_EQ(AppStatus::relative(now - c.ago, now), QString::fromUtf8(c.want)) << c.ago;

    EXPECT_EQ(AppStatus::shorten(QStringLiteral("hooks.example.org"), 22), "hooks.example.org");
    EXPECT_EQ(AppStatus::shorten(QString(22, QLatin1Char('a')), 22), QString(22, QLatin1Char('a')));
    const QString thirty = QStringLiteral("abcdefghij0123456789ABCDEFGHIJ");
    EXPECT_EQ(AppStatus::shorten(thirty, 22), QStringLiteral("abcdefghij…ABCDEFGHIJ"));
}

class AppStatusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store.open(dir.filePath(QStringLiteral("store.sqlite")));
        config.load();
    }
    void setWebhook(const QString& url) {
        DeploymentConfig c = config.config();
        c.webhookURL = url;
        config.save(c);
    }

    QTemporaryDir dir;
    ConfigStore config{dir.path()};
    Store store;
    Outbox outbox{store, config};
    bool trusted = true;
    AppStatus status{config, store, outbox, [this] { return trusted; }};
};

TEST_F(AppStatusTest, DestinationLabels) {
    const struct {
        const char* webhook;
        std::optional<QString> host;
        std::optional<QString> label;
    } cases[] = {
        {"", std::nullopt, std::nullopt},
        {"   ", std::nullopt, std::nullopt},
        {" https://Dashboard.Tarnwhistle.app/hook ", QStringLiteral("dashboard.tarnwhistle.app"),
         QStringLiteral("Tarnwhistle dashboard")},
        {"https://abcdefghij0123456789ABCDEFGHIJ/x",
         QStringLiteral("abcdefghij0123456789abcdefghij"),
         QStringLiteral("Custom webhook · abcdefghij…abcdefghij")},
        {"not an address", QStringLiteral("not an address"),
         QStringLiteral("Custom webhook · not an address")},
    };
    for (const auto& c : cases) {
        setWebhook(QString::fromUtf8(c.webhook));
        EXPECT_EQ(status.destinationHost(), c.host) << c.webhook;
        EXPECT_EQ(status.destinationLabel(), c.label) << c.webhook;
    }
    EXPECT_EQ(status.lastSentText(), "Nothing delivered yet");
}

// The counts come from the store; the state is published only when it changes; a store that
// is not open gives 0s and says so.
TEST_F(AppStatusTest, RefreshPublishesCountsAndStateOnce) {
    const TimePoint now = Time::now();
    for (int i = 0; i < 3; ++i)
        store.insert(Signal{ULID::make(now), QStringLiteral("app.focus"), 1, JSONObject{}});
    QSignalSpy stateSpy(&status, &AppStatus::stateChanged);
    status.refresh();
    EXPECT_EQ(status.signalsToday(), 3);
    EXPECT_EQ(status.waiting(), 3);
    EXPECT_EQ(status.failing(), 0);
    EXPECT_EQ(status.state(), State::localOnly);
    EXPECT_TRUE(status.storeProblem().isEmpty());
    status.refresh();
    EXPECT_EQ(stateSpy.count(), 1);

    trusted = false;
    status.refresh();
    EXPECT_EQ(status.state(), State::needsPermission);
    EXPECT_FALSE(status.trusted());

    store.close();
    status.refresh();
    EXPECT_EQ(status.signalsToday(), 0);
    EXPECT_EQ(status.waiting(), 0);
    EXPECT_FALSE(status.storeProblem().isEmpty());
}

// A file that is not a database must not leave a store that looks open.
TEST(AppStatusStore, UnopenableStoreIsNotOpen) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("store.sqlite"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    Store store;
    store.open(path);
    EXPECT_FALSE(store.isOpen());
    Store folder;
    folder.open(dir.path());  // a folder cannot be opened as a database
    EXPECT_FALSE(folder.isOpen());
}

}  // namespace
