#include "ui/settings_model.h"

#include <QFile>

#include "ui_fixture.h"

using SettingsModelTest = UiFixture;

TEST_F(SettingsModelTest, SwitchingDestinationsKeepsEachAddressAndSecretUntilSaved) {
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
    ASSERT_TRUE(model.save());
    EXPECT_EQ(model.draft().savedCustomURL, "https://hooks.example.org/v2");  // shown at once
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
}

TEST_F(SettingsModelTest, ImportRefreshesTheDraftAndAFailedImportChangesNothing) {
    SettingsModel model(configStore);
    model.edit([](DeploymentConfig& c) { c.orgId = "unsaved"; });
    auto import = [&](const QByteArray& content, QString* error) {
        QFile f(dir.filePath(QStringLiteral("import.json")));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(content) >= 0 && f.flush());
        return model.importFrom(f.fileName(), error);
    };
    QString error;
    EXPECT_FALSE(import(R"({"maxBatch": "many"})", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(model.draft().orgId, "unsaved");

    EXPECT_TRUE(import(R"({"orgId": "imported", "deviceId": "dev_0000000000000000"})", &error));
    EXPECT_EQ(model.draft().orgId, "imported");
    EXPECT_FALSE(model.dirty());
}
