#include "ui/activity_view.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "ui/ui_style.h"
#include "ui_fixture.h"

using ActivityViewTest = UiFixture;

TEST(ActivityBadges, EveryStatusHasItsLabelAndColour) {
    const struct {
        const char* status;
        const char* label;
        QColor color;
    } cases[] = {
        {"sent", "Sent", UiStyle::green()},        {"failed", "Retrying", UiStyle::orange()},
        {"pending", "Sending", UiStyle::yellow()}, {"dropped", "Dropped", UiStyle::red()},
        {"local", "Local", UiStyle::blue()},       {"surprise", "Local", UiStyle::blue()},
    };
    for (const auto& c : cases) {
        const auto badge = ActivityView::statusBadge(QString::fromUtf8(c.status));
        EXPECT_EQ(badge.label, QString::fromUtf8(c.label)) << c.status;
        EXPECT_EQ(badge.color, c.color) << c.status;
    }
}

TEST(ActivityPrettyBody, EmptyObjectNonJsonAndStoredText) {
    EXPECT_EQ(ActivityView::prettyBody(QStringLiteral("{}")), QStringLiteral("{\n}"));
    EXPECT_EQ(ActivityView::prettyBody(QStringLiteral(R"({"b":"x\/y","a":9007199254740993})")),
              QStringLiteral("{\n    \"a\": 9007199254740993,\n    \"b\": \"x/y\"\n}"));
    for (const char* stored : {"not json at all", "{\"a\":", ""})
        EXPECT_EQ(ActivityView::prettyBody(QString::fromUtf8(stored)), QString::fromUtf8(stored));
}

TEST_F(ActivityViewTest, RealBatchIsIndentedSortedWithSlashesAsTheyAre) {
    insertSignals(2);
    outbox.flush();
    ActivityView view(store, outbox, eventLog);
    view.reload();
    ASSERT_EQ(view.batches().size(), 1u);
    const BatchRecord batch = view.batches().front();

    view.select(batch.batchId);
    const QString pretty = view.detailText();
    EXPECT_TRUE(pretty.contains(QStringLiteral("\"url\": \"https://example.org/a/b\"")));
    EXPECT_FALSE(pretty.contains(QStringLiteral("\\/")));
    EXPECT_TRUE(pretty.contains(QStringLiteral("\n    \"")));  // indented
    // Same content, keys in order.
    EXPECT_EQ(QJsonDocument::fromJson(pretty.toUtf8()),
              QJsonDocument::fromJson(batch.body.toUtf8()));
    const QStringList keys = QJsonDocument::fromJson(pretty.toUtf8()).object().keys();
    qsizetype last = -1;
    for (const QString& key : keys) {
        const qsizetype at = pretty.indexOf(QStringLiteral("\n    \"") + key + u'"');
        EXPECT_GT(at, last) << key.toStdString();
        last = at;
    }
}

TEST_F(ActivityViewTest, SelectionSurvivesReloadsAndTabsUntilTheBatchIsGone) {
    ActivityView view(store, outbox, eventLog);
    view.reload();
    EXPECT_TRUE(view.batches().empty());
    EXPECT_EQ(view.detailText(), ActivityView::selectPrompt);

    insertSignals(1);
    outbox.flush();
    view.reload();
    ASSERT_EQ(view.batches().size(), 1u);
    const QString first = view.batches().front().batchId;
    view.select(first);

    // A newer batch arrives; the outbox's revision alone brings it in while shown.
    view.show();
    insertSignals(1);
    outbox.flush();
    EXPECT_EQ(view.batches().size(), 2u);
    EXPECT_EQ(view.selected(), first);
    EXPECT_NE(view.detailText(), ActivityView::selectPrompt);

    view.setTab(2);
    view.setTab(0);
    EXPECT_EQ(view.selected(), first);

    // The selected batch leaves the store: the prompt comes back.
    store.deleteAll();
    view.reload();
    EXPECT_EQ(view.detailText(), ActivityView::selectPrompt);
}

TEST_F(ActivityViewTest, ReloadTimerRunsOnlyWhileShown) {
    ActivityView view(store, outbox, eventLog);
    EXPECT_FALSE(view.reloadTimerActive());
    view.show();
    EXPECT_TRUE(view.reloadTimerActive());
    view.hide();
    EXPECT_FALSE(view.reloadTimerActive());
}
