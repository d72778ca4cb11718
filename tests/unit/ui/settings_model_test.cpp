#include "ui/settings_model.h"

#include <QDir>
#include <QFile>

#include "signals/signal_type.h"
#include "ui_fixture.h"

using SettingsModelTest = UiFixture;

TEST_F(SettingsModelTest, EveryOneOfTheFieldsMakesItDirtyAndEditingBackClearsIt) {
    using C = DeploymentConfig;
    const std::vector<std::pair<const char*, std::function<void(C&)>>> edits = {
        {"schemaVersion", [](C& c) { c.schemaVersion += 1; }},
        {"orgId", [](C& c) { c.orgId += "x"; }},
        {"externalRef", [](C& c) { c.externalRef += "x"; }},
        {"deviceId", [](C& c) { c.deviceId += "x"; }},
        {"salt", [](C& c) { c.salt += "x"; }},
        {"webhookURL", [](C& c) { c.webhookURL += "x"; }},
        {"webhookSecret", [](C& c) { c.webhookSecret += "x"; }},
        {"flushIntervalSeconds", [](C& c) { c.flushIntervalSeconds = 300; }},
        {"savedDashboardURL", [](C& c) { c.savedDashboardURL += "x"; }},
        {"savedDashboardSecret", [](C& c) { c.savedDashboardSecret += "x"; }},
        {"savedCustomURL", [](C& c) { c.savedCustomURL += "x"; }},
        {"savedCustomSecret", [](C& c) { c.savedCustomSecret += "x"; }},
        {"maxBatch", [](C& c) { c.maxBatch += 1; }},
        {"enabledSignals", [](C& c) { c.enabledSignals["input.pattern"] ^= true; }},
        {"excludedBundleIds", [](C& c) { c.excludedBundleIds.append("org.example"); }},
        {"excludedDomains", [](C& c) { c.excludedDomains.append("example.org"); }},
        {"excludedTitleWords", [](C& c) { c.excludedTitleWords.append("secret"); }},
        {"retentionDays", [](C& c) { c.retentionDays += 1; }},
        {"idleThresholdSeconds", [](C& c) { c.idleThresholdSeconds += 60; }},
        {"episodeGapSeconds", [](C& c) { c.episodeGapSeconds += 60; }},
        {"workCategories", [](C& c) { c.workCategories[0].description += "x"; }},
        {"taskLabels",
         [](C& c) {
             c.taskLabels.push_back({"new_label", ""});
         }},
        {"appCategories", [](C& c) { c.appCategories["org.example"] = "design"; }},
        {"useAppleIntelligence", [](C& c) { c.useAppleIntelligence ^= true; }},
        {"screenshotReader", [](C& c) { c.screenshotReader ^= true; }},
        {"startAtLogin", [](C& c) { c.startAtLogin ^= true; }},
        {"paused", [](C& c) { c.paused ^= true; }},
    };
    ASSERT_EQ(edits.size(), 27u);
    SettingsModel model(configStore);
    EXPECT_FALSE(model.dirty());
    for (const auto& [name, change] : edits) {
        const DeploymentConfig original = model.draft();
        model.edit(change);
        EXPECT_TRUE(model.dirty()) << name;
        model.edit([&](C& c) { c = original; });
        EXPECT_FALSE(model.dirty()) << name;
    }
}

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

TEST_F(SettingsModelTest, PauseAloneGoesThroughSetPausedAndLeavesNothingUnsaved) {
    SettingsModel model(configStore);
    std::vector<bool> pauses;
    int loginApplied = 0;
    model.setPaused = [&](bool paused) {
        pauses.push_back(paused);
        DeploymentConfig c = configStore.config();  // what the delegate does: save, then capture
        c.paused = paused;
        configStore.save(c);
    };
    model.applyLoginItem = [&] { ++loginApplied; };
    model.edit([](DeploymentConfig& c) { c.paused = true; });
    ASSERT_TRUE(model.save());
    EXPECT_EQ(pauses, std::vector<bool>{true});
    EXPECT_EQ(loginApplied, 0);
    EXPECT_TRUE(configStore.config().paused);
    EXPECT_FALSE(model.dirty());

    // Other edits are saved with the stored pause, and the login item follows its switch.
    model.edit([](DeploymentConfig& c) {
        c.startAtLogin = !c.startAtLogin;
        c.orgId = "acme";
    });
    ASSERT_TRUE(model.save());
    EXPECT_EQ(pauses.size(), 1u);
    EXPECT_EQ(loginApplied, 1);
    EXPECT_EQ(configStore.config().orgId, "acme");
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
    EXPECT_EQ(SettingsModel::signalsOnCount(SignalType::defaultEnabled()), 12);
    EXPECT_EQ(SettingsModel::signalsOnCount({}), 12);  // no entries: all but input.pattern
    std::map<QString, bool> all;
    for (const SignalType& t : SignalType::allCases()) all[t.rawValue()] = true;
    EXPECT_EQ(SettingsModel::signalsOnCount(all), 13);  // the two not produced never count
    EXPECT_EQ(SettingsModel::signalsOnCount({{"app.focus", false}, {"input.pattern", true}}), 12);
}

TEST_F(SettingsModelTest, ImportKeepsTheDeviceAndAFailedImportChangesNothing) {
    SettingsModel model(configStore);
    model.edit([](DeploymentConfig& c) { c.orgId = "unsaved"; });
    const QString bad = dir.filePath(QStringLiteral("bad.json"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\"maxBatch\": \"many\"}");
    f.close();
    QString error;
    EXPECT_FALSE(model.importFrom(bad, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(model.draft().orgId, "unsaved");

    const QString good = dir.filePath(QStringLiteral("good.json"));
    QFile g(good);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("{\"orgId\": \"imported\", \"deviceId\": \"dev_0000000000000000\"}");
    g.close();
    const QString device = configStore.config().deviceId;
    EXPECT_TRUE(model.importFrom(good, &error));
    EXPECT_EQ(model.draft().orgId, "imported");
    EXPECT_EQ(model.draft().deviceId, device);
    EXPECT_FALSE(model.dirty());
}
