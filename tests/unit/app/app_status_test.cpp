#include "app/app_status.h"

#include <QSignalSpy>

#include "../ui/ui_fixture.h"
#include "case_table.h"

namespace {

TEST(AppStatusRules, FirstRuleThatHoldsWins) {
    for (const QJsonObject& row : caseTable("status_rules.json")) {
        auto time = [&](const char* key) {
            return row.contains(key) ? std::optional(row[key].toDouble()) : std::nullopt;
        };
        const AppStatus::Inputs in{row["paused"].toBool(),    row["trusted"].toBool(),
                                   row["webhook"].toString(), row["failing"].toInteger(),
                                   time("lastSuccess"),       time("lastFailure")};
        EXPECT_EQ(AppStatus::title(AppStatus::stateFor(in)), row["state"].toString())
            << caseName(row, "state");
    }
}

TEST(AppStatusTexts, Relative) {
    const TimePoint now = 1'733'500'000;
    const std::pair<double, const char*> relative[] = {
        {-30, "just now"},   {44.9, "just now"},   {45, "1 min ago"},
        {120, "2 min ago"},  {3599, "59 min ago"}, {3600, "1 h ago"},
        {86399, "23 h ago"}, {86400, "1 day ago"}, {15 * 86400, "2 weeks ago"},
    };
    for (const auto& [ago, want] : relative)
        EXPECT_EQ(AppStatus::relative(now - ago, now), QString::fromUtf8(want)) << ago;
}

using AppStatusTest = UiFixture;

// The state is published only when it changes (the counts are the menu header's test); a store
// that is not open gives 0s and says so.
TEST_F(AppStatusTest, DestinationLabelsRefreshOnceAndAClosedStoreGivesZeros) {
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

    for (const QJsonObject& row : caseTable("destination_labels.json")) {
        configure([&](DeploymentConfig& c) { c.webhookURL = row["webhook"].toString(); });
        EXPECT_EQ(status.destinationHost(), optionalString(row, "host"))
            << caseName(row, "webhook");
        EXPECT_EQ(status.destinationLabel(), optionalString(row, "label"))
            << caseName(row, "webhook");
    }
}

}  // namespace
