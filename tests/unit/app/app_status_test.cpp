#include "app/app_status.h"

#include <QSignalSpy>

#include "../ui/ui_fixture.h"

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
    };
    for (const auto& c : cases) EXPECT_EQ(AppStatus::stateFor(c.in), c.want) << c.name;
}

TEST(AppStatusTexts, Relative) {
    const TimePoint now = 1'733'500'000;
    const struct {
        double ago;
        const char* want;
    } relative[] = {
        {-30, "just now"},   {44.9, "just now"},   {45, "1 min ago"},
        {120, "2 min ago"},  {3599, "59 min ago"}, {3600, "1 h ago"},
        {86399, "23 h ago"}, {86400, "1 day ago"}, {15 * 86400, "2 weeks ago"},
    };
    for (const auto& c : relative)
        EXPECT_EQ(AppStatus::relative(now - c.ago, now), QString::fromUtf8(c.want)) << c.ago;
}

using AppStatusTest = UiFixture;

TEST_F(AppStatusTest, DestinationLabels) {
    const struct {
        const char* webhook;
        std::optional<QString> host;
        std::optional<QString> label;
    } cases[] = {
        {"   ", std::nullopt, std::nullopt},
        {" https://Dashboard.Tarnwhistle.app/hook ", QStringLiteral("dashboard.tarnwhistle.app"),
         QStringLiteral("Tarnwhistle dashboard")},
        // hosts of more than 22 characters are shortened in the middle
        {"https://abcdefghij0123456789ABCDEFGHIJ/x",
         QStringLiteral("abcdefghij0123456789abcdefghij"),
         QStringLiteral("Custom webhook · abcdefghij…abcdefghij")},
        {"https://abcdefghij.0123456789a/x", QStringLiteral("abcdefghij.0123456789a"),
         QStringLiteral("Custom webhook · abcdefghij.0123456789a")},
        {"not an address", QStringLiteral("not an address"),
         QStringLiteral("Custom webhook · not an address")},
    };
    for (const auto& c : cases) {
        configure([&](DeploymentConfig& config) { config.webhookURL = c.webhook; });
        EXPECT_EQ(status.destinationHost(), c.host) << c.webhook;
        EXPECT_EQ(status.destinationLabel(), c.label) << c.webhook;
    }
}

// The state is published only when it changes (the counts are the menu header's test); a store
// that is not open gives 0s and says so.
TEST_F(AppStatusTest, RefreshPublishesTheStateOnceAndAClosedStoreGivesZeros) {
    insertSignals(3);
    QSignalSpy stateSpy(&status, &AppStatus::stateChanged);
    status.refresh();
    status.refresh();
    EXPECT_EQ(stateSpy.count(), 1);
    EXPECT_TRUE(status.storeProblem().isEmpty());

    store.close();
    status.refresh();
    EXPECT_EQ(status.signalsToday(), 0);
    EXPECT_EQ(status.waiting(), 0);
    EXPECT_FALSE(status.storeProblem().isEmpty());
}

}  // namespace
