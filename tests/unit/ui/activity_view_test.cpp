#include "ui/activity_view.h"

#include "ui/ui_style.h"
#include "ui_fixture.h"

using ActivityViewTest = UiFixture;

TEST(ActivityView, BadgeOfEveryStatusAndBodyAsShown) {
    const struct {
        const char* status;
        const char* label;
        QColor color;
    } badges[] = {
        {"sent", "Sent", UiStyle::green()},        {"failed", "Retrying", UiStyle::orange()},
        {"pending", "Sending", UiStyle::yellow()}, {"dropped", "Dropped", UiStyle::red()},
        {"local", "Local", UiStyle::blue()},       {"surprise", "Local", UiStyle::blue()},
    };
    for (const auto& c : badges) {
        const auto badge = ActivityView::statusBadge(QString::fromUtf8(c.status));
        EXPECT_EQ(badge.label, QString::fromUtf8(c.label)) << c.status;
        EXPECT_EQ(badge.color, c.color) << c.status;
    }

    // Indented, keys sorted, "/" as it is, 64-bit integers whole; anything else as stored.
    EXPECT_EQ(ActivityView::prettyBody(QStringLiteral("{}")), QStringLiteral("{\n}"));
    EXPECT_EQ(ActivityView::prettyBody(QStringLiteral(R"({"b":"x\/y","a":9007199254740993})")),
              QStringLiteral("{\n    \"a\": 9007199254740993,\n    \"b\": \"x/y\"\n}"));
    for (const char* stored : {"not json at all", "{\"a\":", ""})
        EXPECT_EQ(ActivityView::prettyBody(QString::fromUtf8(stored)), QString::fromUtf8(stored));
}

TEST_F(ActivityViewTest, SelectionSurvivesReloadsAndTabsUntilTheBatchIsGone) {
    ActivityView view(store, outbox, eventLog);
    EXPECT_FALSE(view.reloadTimerActive());
    insertSignals(1);
    outbox.flush();
    view.reload();
    ASSERT_EQ(view.batches().size(), 1u);
    const BatchRecord first = view.batches().front();
    view.select(first.batchId);
    EXPECT_EQ(view.detailText(), ActivityView::prettyBody(first.body));

    // While shown it reloads on a timer, and the outbox's revision alone brings a new batch in.
    view.show();
    EXPECT_TRUE(view.reloadTimerActive());
    insertSignals(1);
    outbox.flush();
    EXPECT_EQ(view.batches().size(), 2u);
    EXPECT_EQ(view.selected(), first.batchId);

    view.setTab(2);
    view.setTab(0);
    EXPECT_EQ(view.selected(), first.batchId);

    // The selected batch leaves the store: the prompt comes back.
    store.deleteAll();
    view.reload();
    EXPECT_EQ(view.detailText(), ActivityView::selectPrompt);
    view.hide();
    EXPECT_FALSE(view.reloadTimerActive());
}
