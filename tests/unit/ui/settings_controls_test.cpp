// The Settings window's controls, driven as a user would, over real core objects.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "app/app_status.h"
#include "ui/settings_delivery_pane.h"
#include "ui/settings_privacy_pane.h"
#include "ui/settings_signals_pane.h"
#include "ui/settings_view.h"
#include "ui/tag_list_editor.h"
#include "ui_fixture.h"

class SettingsControlsTest : public UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        services.configStore = &configStore;
        services.store = &store;
        services.outbox = &outbox;
        services.eventLog = &eventLog;
        services.status = &status;
        services.loginName = QStringLiteral("alex");
    }
    AppStatus status{configStore, store, outbox, [] { return true; }};
    UiServices services;
};

TEST(TagListEditorRules, TrimsSpacesAndTabsAndSkipsEmptyAndDuplicates) {
    QStringList items{"com.example.mail"};
    EXPECT_TRUE(TagListEditor::addItem(items, " \tcom.example.notes  "));
    EXPECT_FALSE(TagListEditor::addItem(items, "com.example.notes"));
    EXPECT_FALSE(TagListEditor::addItem(items, " \t "));
    EXPECT_FALSE(TagListEditor::addItem(items, ""));
    EXPECT_TRUE(TagListEditor::addItem(items, "Com.Example.Notes"));  // exact match only
    EXPECT_TRUE(TagListEditor::addItem(items, "two\nlines"));          // only spaces and tabs go
    EXPECT_EQ(items, (QStringList{"com.example.mail", "com.example.notes", "Com.Example.Notes",
                                  "two\nlines"}));

    // Typing and Enter: added once, field cleared only when added.
    TagListEditor editor("placeholder", true, "Apps to ignore");
    QSignalSpy changed(&editor, &TagListEditor::itemsChanged);
    QTest::keyClicks(editor.field(), "  org.example.app ");
    QTest::keyClick(editor.field(), Qt::Key_Return);
    EXPECT_EQ(editor.items(), QStringList{"org.example.app"});
    EXPECT_TRUE(editor.field()->text().isEmpty());
    QTest::keyClicks(editor.field(), "org.example.app");
    QTest::keyClick(editor.field(), Qt::Key_Return);
    EXPECT_EQ(editor.field()->text(), "org.example.app");
    EXPECT_EQ(changed.count(), 1);
}

TEST(OpenApps, OnlyOthersWithAnIdOnceEachSortedByNameIgnoringCase) {
    const QList<RunningApplication> running = {
        {10, "org.example.zeta", "zeta"},  {11, "", "No Id"},
        {12, "org.example.alpha", "Alpha"}, {13, "org.example.own", "Tarnwhistle"},
        {14, "org.example.beta", "beta"},   {15, "org.example.alpha", "Alpha"},
        {16, "org.example.eclair", "Éclair"},
    };
    QStringList order;
    for (const auto& app : SettingsPrivacyPane::openApps(running, 13, QLocale("en_GB"))) order << app.bundleId;
    EXPECT_EQ(order, (QStringList{"org.example.alpha", "org.example.beta", "org.example.eclair",
                                  "org.example.zeta"}));
}

TEST_F(SettingsControlsTest, SteppersAndPickerStayInTheirRanges) {
    SettingsView view(services);
    auto* privacy = static_cast<SettingsPrivacyPane*>(view.pane(SettingsView::Pane::privacy));
    QSpinBox* idle = privacy->idleStepper();
    idle->setValue(0);
    EXPECT_EQ(view.model().draft().idleThresholdSeconds, 60);
    idle->setValue(31);
    EXPECT_EQ(view.model().draft().idleThresholdSeconds, 1800);
    QTest::keyClick(idle, Qt::Key_Up);
    EXPECT_EQ(view.model().draft().idleThresholdSeconds, 1800);

    auto* delivery = static_cast<SettingsDeliveryPane*>(view.pane(SettingsView::Pane::delivery));
    QComboBox* picker = delivery->intervalPicker();
    QStringList labels;
    for (int i = 0; i < picker->count(); ++i) labels << picker->itemText(i);
    EXPECT_EQ(labels,
              (QStringList{"30 seconds", "1 minute", "5 minutes", "15 minutes", "1 hour"}));
    picker->activated(4);
    EXPECT_EQ(view.model().draft().flushIntervalSeconds, 3600);
    // A value from the file that the picker does not offer is shown, not replaced.
    view.model().edit([](DeploymentConfig& c) { c.flushIntervalSeconds = 120; });
    view.model().save();
    EXPECT_EQ(picker->currentText(), "120 seconds");
    EXPECT_EQ(view.model().draft().flushIntervalSeconds, 120);
}

TEST_F(SettingsControlsTest, FooterFollowsDirtyAndCtrlSSaves) {
    SettingsView view(services);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    EXPECT_EQ(view.footerText(), "All changes saved");
    EXPECT_FALSE(view.saveButton()->isEnabled());
    auto* signalsPane = static_cast<SettingsSignalsPane*>(view.pane(SettingsView::Pane::signalTypes));
    EXPECT_EQ(signalsPane->countText(), "12 of 15 signals switched on");
    view.model().edit([](DeploymentConfig& c) { c.enabledSignals["input.pattern"] = true; });
    EXPECT_EQ(signalsPane->countText(), "13 of 15 signals switched on");
    EXPECT_EQ(view.footerText(), "Unsaved changes");
    EXPECT_TRUE(view.revertButton()->isEnabled());
    QTest::keySequence(&view, QKeySequence::Save);
    EXPECT_TRUE(configStore.config().enabledSignals.at("input.pattern"));
    EXPECT_EQ(view.footerText(), "All changes saved");
}

// Answers every request with 200 and counts them.
class TinyReceiver : public QTcpServer {
public:
    TinyReceiver() {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    buffer += s->readAll();
                    if (!buffer.contains("test.ping")) return;
                    ++requests;
                    s->write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
                    s->disconnectFromHost();
                });
            }
        });
    }
    QByteArray buffer;
    int requests = 0;
};

TEST_F(SettingsControlsTest, ConnectionTestSavesThenReportsEitherWay) {
    SettingsView view(services);
    auto* delivery = static_cast<SettingsDeliveryPane*>(view.pane(SettingsView::Pane::delivery));
    view.model().choose(SettingsModel::Destination::custom);
    QTest::keyClicks(delivery->addressField(), "   ");
    EXPECT_FALSE(delivery->testButton()->isEnabled());

    delivery->addressField()->clear();
    QTest::keyClicks(delivery->addressField(), "ftp://example.org/x");
    ASSERT_TRUE(delivery->testButton()->isEnabled());
    QTest::mouseClick(delivery->testButton(), Qt::LeftButton);
    EXPECT_EQ(view.model().testMessage(), "✗ Enter a webhook address that starts with https://");
    EXPECT_EQ(configStore.config().webhookURL, "ftp://example.org/x");  // saved first

    TinyReceiver receiver;
    ASSERT_TRUE(receiver.listen(QHostAddress::LocalHost));
    delivery->addressField()->clear();
    QTest::keyClicks(delivery->addressField(),
                     QStringLiteral("http://127.0.0.1:%1/hook").arg(receiver.serverPort()));
    QTest::mouseClick(delivery->testButton(), Qt::LeftButton);
    EXPECT_TRUE(view.model().testing());
    EXPECT_FALSE(delivery->testButton()->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view.model().testing(); }, 20000));
    EXPECT_EQ(view.model().testMessage(), "✓ Delivered (HTTP 200).");
    EXPECT_EQ(receiver.requests, 1);
}
