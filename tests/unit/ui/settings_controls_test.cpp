// The Settings window's controls, driven as a user would, over real core objects.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include "signals/signal_type.h"
#include "ui/settings_delivery_pane.h"
#include "ui/settings_privacy_pane.h"
#include "ui/settings_signals_pane.h"
#include "ui/settings_view.h"
#include "ui/tag_list_editor.h"
#include "ui_fixture.h"

using SettingsControlsTest = UiFixture;

TEST(SettingsLists, TagsTrimSpacesAndTabsOnceEachAndOpenAppsAreSorted) {
    TagListEditor editor("placeholder", true, "Apps to ignore");
    QSignalSpy changed(&editor, &TagListEditor::itemsChanged);
    const struct {
        const char* typed;
        bool added;  // and the field cleared
    } typing[] = {{" \torg.example.app  ", true},
                  {"org.example.app", false},
                  {" \t ", false},
                  {"Org.Example.App", true}};  // exact matches only
    for (const auto& t : typing) {
        editor.field()->setText(QString::fromUtf8(t.typed));
        QTest::keyClick(editor.field(), Qt::Key_Return);
        EXPECT_EQ(editor.field()->text().isEmpty(), t.added) << t.typed;
    }
    EXPECT_TRUE(editor.add("line\n"));  // only spaces and tabs are trimmed
    EXPECT_EQ(editor.items(), (QStringList{"org.example.app", "Org.Example.App", "line\n"}));
    EXPECT_EQ(changed.count(), 3);

    const QList<RunningApplication> running = {
        {10, "org.example.zeta", "zeta"},     {11, "", "No Id"},
        {12, "org.example.alpha", "Alpha"},   {13, "org.example.own", "Tarnwhistle"},
        {14, "org.example.beta", "beta"},     {15, "org.example.alpha", "Alpha"},
        {16, "org.example.eclair", "Éclair"},
    };
    QStringList order;
    for (const auto& app : SettingsPrivacyPane::openApps(running, 13, QLocale("en_GB")))
        order << app.bundleId;
    EXPECT_EQ(order, (QStringList{"org.example.alpha", "org.example.beta", "org.example.eclair",
                                  "org.example.zeta"}));
}

TEST_F(SettingsControlsTest, FooterFollowsDirtyAndCtrlSSavesAndClosingDiscards) {
    SettingsView view(services);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    EXPECT_EQ(view.footerText(), "All changes saved");
    EXPECT_FALSE(view.saveButton()->isEnabled());
    auto* signalsPane =
        static_cast<SettingsSignalsPane*>(view.pane(SettingsView::Pane::signalTypes));
    EXPECT_EQ(signalsPane->countText(), "12 of 15 signals switched on");
    view.model().edit([](DeploymentConfig& c) {
        for (const SignalType& type : SignalType::allCases())
            c.enabledSignals[type.rawValue()] = true;
    });
    // The two signals not produced yet never count.
    EXPECT_EQ(signalsPane->countText(), "13 of 15 signals switched on");
    EXPECT_EQ(view.footerText(), "Unsaved changes");
    EXPECT_TRUE(view.revertButton()->isEnabled());
    QTest::keySequence(&view, QKeySequence::Save);
    EXPECT_TRUE(configStore.config().enabledSignals.at("input.pattern"));
    EXPECT_EQ(view.footerText(), "All changes saved");

    // A save that fails (a folder where the file goes) says why and keeps the edits; closing
    // discards them.
    view.model().edit([](DeploymentConfig& c) { c.orgId = "never-saved"; });
    QFile::remove(configStore.filePath());
    ASSERT_TRUE(QDir().mkpath(configStore.filePath()));
    QTest::keySequence(&view, QKeySequence::Save);
    EXPECT_TRUE(view.footerText().startsWith("Could not save settings"))
        << view.footerText().toStdString();
    EXPECT_EQ(view.model().draft().orgId, "never-saved");
    view.close();
    EXPECT_FALSE(view.model().dirty());
}

// The steppers and the picker stay in their ranges; the connection test saves, then reports
// either way.
TEST_F(SettingsControlsTest, SteppersPickerAndConnectionTest) {
    SettingsView view(services);
    auto* delivery = static_cast<SettingsDeliveryPane*>(view.pane(SettingsView::Pane::delivery));
    QSpinBox* idle =
        static_cast<SettingsPrivacyPane*>(view.pane(SettingsView::Pane::privacy))->idleStepper();
    idle->setValue(0);
    EXPECT_EQ(view.model().draft().idleThresholdSeconds, 60);
    idle->setValue(31);
    QTest::keyClick(idle, Qt::Key_Up);
    EXPECT_EQ(view.model().draft().idleThresholdSeconds, 1800);

    QComboBox* picker = delivery->intervalPicker();
    picker->activated(4);
    EXPECT_EQ(view.model().draft().flushIntervalSeconds, 3600);
    // A value from the file that the picker does not offer is shown, not replaced.
    view.model().edit([](DeploymentConfig& c) { c.flushIntervalSeconds = 120; });
    view.model().save();
    EXPECT_EQ(picker->currentText(), "120 seconds");
    EXPECT_EQ(view.model().draft().flushIntervalSeconds, 120);

    view.model().choose(SettingsModel::Destination::custom);
    auto type = [&](const QString& address) {
        delivery->addressField()->clear();
        QTest::keyClicks(delivery->addressField(), address);
    };
    type("   ");
    EXPECT_FALSE(delivery->testButton()->isEnabled());

    type("ftp://example.org/x");
    QTest::mouseClick(delivery->testButton(), Qt::LeftButton);
    EXPECT_EQ(view.model().testMessage(), "✗ Enter a webhook address that starts with https://");
    EXPECT_EQ(configStore.config().webhookURL, "ftp://example.org/x");  // saved first

    LoopbackReceiver receiver(true);
    type(receiver.url());
    QTest::mouseClick(delivery->testButton(), Qt::LeftButton);
    EXPECT_TRUE(view.model().testing());
    EXPECT_FALSE(delivery->testButton()->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view.model().testing(); }, 20000));
    EXPECT_EQ(view.model().testMessage(), "✓ Delivered (HTTP 200).");
    EXPECT_EQ(receiver.clients.size(), 1u);
}
