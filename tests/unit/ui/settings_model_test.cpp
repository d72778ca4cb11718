#include "ui/settings_model.h"

#include <QDir>
#include <QFile>

#include "signals/signal_type.h"
#include "ui_fixture.h"

using SettingsModelTest = UiFixture;

TEST_F(SettingsModelTest, SwitchingDestinationsKeepsEachAddressAndSecretWithoutSaving) {
    configure([](DeploymentConfig& c) {
        c.webhookURL = "https://dashboard.tarnwhistle.app/hook/abc";
        c.webhookSecret = "dash-secret";
    });
    SettingsModel model(configStore);
    EXPECT_EQ(model.destination(), SettingsModel::Destination::dashboard);

    model.choose(SettingsModel::Destination::custom);
    EXPECT_EQ(model.draft().webhookURL, "");
    model.edit([](DeploymentConfig& c) {
        c.webhookURL = "  https://hooks.example.org/in\t";
        c.webhookSecret = "own-secret";
    });
    model.choose(SettingsModel::Destination::dashboard);
    EXPECT_EQ(model.draft().webhookURL, "https://dashboard.tarnwhistle.app/hook/abc");
    EXPECT_EQ(model.draft().webhookSecret, "dash-secret");
    model.choose(SettingsModel::Destination::local);
    EXPECT_FALSE(model.hasAddress());
    model.choose(SettingsModel::Destination::custom);
    EXPECT_EQ(model.draft().webhookURL, "https://hooks.example.org/in");
    EXPECT_EQ(model.draft().webhookSecret, "own-secret");
    // Choosing the current destination changes nothing.
    model.edit([](DeploymentConfig& c) { c.webhookURL = "https://hooks.example.org/v2"; });
    model.choose(SettingsModel::Destination::custom);
    EXPECT_EQ(model.draft().webhookURL, "https://hooks.example.org/v2");
    EXPECT_EQ(configStore.config().webhookURL, "https://dashboard.tarnwhistle.app/hook/abc");
}

// Editing a field and editing it back leaves nothing unsaved; a changed pause goes through
// setPaused, a changed login switch through applyLoginItem; everything else is saved with the
// stored pause.
TEST_F(SettingsModelTest, PauseAndLoginItemGoThroughTheDelegate) {
    SettingsModel model(configStore);
    model.edit([](DeploymentConfig& c) { c.retentionDays += 1; });
    EXPECT_TRUE(model.dirty());
    model.edit([](DeploymentConfig& c) { c.retentionDays -= 1; });
    EXPECT_FALSE(model.dirty());

    std::vector<bool> pauses;
    int loginApplied = 0;
    model.setPaused = [&](bool paused) {
        pauses.push_back(paused);
        configure([&](DeploymentConfig& c) { c.paused = paused; });  // as the delegate saves
    };
    model.applyLoginItem = [&] { ++loginApplied; };
    model.edit([](DeploymentConfig& c) { c.paused = true; });
    ASSERT_TRUE(model.save());
    EXPECT_EQ(pauses, std::vector<bool>{true});
    EXPECT_EQ(loginApplied, 0);
    EXPECT_FALSE(model.dirty());

    model.edit([](DeploymentConfig& c) {
        c.startAtLogin = !c.startAtLogin;
        c.orgId = "acme";
    });
    ASSERT_TRUE(model.save());
    EXPECT_EQ(pauses.size(), 1u);
    EXPECT_EQ(loginApplied, 1);
    EXPECT_EQ(configStore.config().orgId, "acme");
    EXPECT_TRUE(configStore.config().paused);
    EXPECT_FALSE(model.dirty());
}

TEST_F(SettingsModelTest, SaveNormalisesAndAFailedWriteKeepsTheEdits) {
    SettingsModel model(configStore);
    model.edit([](DeploymentConfig& c) { c.webhookURL = "https://hooks.example.org/x"; });
    ASSERT_TRUE(model.save());
    EXPECT_EQ(model.draft().savedCustomURL, "https://hooks.example.org/x");  // shown at once

    // A folder where the settings file should be: the write fails.
    model.edit([](DeploymentConfig& c) { c.orgId = "kept"; });
    QFile::remove(configStore.filePath());
    ASSERT_TRUE(QDir().mkpath(configStore.filePath() + QStringLiteral("/blocker")));
    EXPECT_FALSE(model.save());
    EXPECT_EQ(model.draft().orgId, "kept");
    EXPECT_TRUE(model.dirty());
    ASSERT_TRUE(configStore.lastError().has_value());
}

TEST(SettingsSignalsCount, FollowsTheEmissionGate) {
    EXPECT_EQ(SettingsModel::signalsOnCount({}), 12);  // no entries: all but input.pattern
    std::map<QString, bool> all;
    for (const SignalType& t : SignalType::allCases()) all[t.rawValue()] = true;
    EXPECT_EQ(SettingsModel::signalsOnCount(all), 13);  // the two not produced never count
    EXPECT_EQ(SettingsModel::signalsOnCount({{"app.focus", false}, {"input.pattern", true}}), 12);
}

TEST_F(SettingsModelTest, ImportRefreshesTheDraftAndAFailedImportChangesNothing) {
    SettingsModel model(configStore);
    model.edit([](DeploymentConfig& c) { c.orgId = "unsaved"; });
    auto file = [&](const char* name, const QByteArray& content) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return f.fileName();
    };
    QString error;
    EXPECT_FALSE(model.importFrom(file("bad.json", R"({"maxBatch": "many"})"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(model.draft().orgId, "unsaved");

    EXPECT_TRUE(model.importFrom(
        file("good.json", R"({"orgId": "imported", "deviceId": "dev_0000000000000000"})"), &error));
    EXPECT_EQ(model.draft().orgId, "imported");
    EXPECT_FALSE(model.dirty());
}
