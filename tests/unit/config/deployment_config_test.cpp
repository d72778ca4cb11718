#include <gtest/gtest.h>

#include <QRegularExpression>

#include "config/config_store.h"
#include "config/deployment_config.h"
#include "qt_printers.h"
#include "test_data.h"

namespace {

DeploymentConfig fixedDefaults() {
    DeploymentConfig c;
    c.deviceId = "dev_0123456789abcdef";
    c.salt = "00112233445566778899aabbccddeeff";
    return c;
}

const auto merge = [](const QByteArray& text, QString* error = nullptr) {
    return DeploymentConfig::decodeMerging(text, error);
};

// The one test of "the same record gives the same bytes": the checked-in file holds every key,
// sorted, slashes unescaped; receivers reproduce the hash from it with the salt emptied.
TEST(DeploymentConfig, DefaultsEncodeToTheCheckedInFileAndItsHashFreshIdentitiesAside) {
    const DeploymentConfig c = fixedDefaults();
    EXPECT_EQ(c.encoded(), fileContents(TARNWHISTLE_TEST_DATA_DIR "/config/default-config.json"));
    EXPECT_EQ(ConfigStore::configHash(c), "sha256:89fc667e8cb46b95");

    DeploymentConfig other = c;  // no secret can be tested against the hash
    other.salt = "ffffffffffffffffffffffffffffffff";
    other.webhookSecret = other.savedDashboardSecret = other.savedCustomSecret = "changed";
    EXPECT_EQ(ConfigStore::configHash(other), ConfigStore::configHash(c));
    other.maxBatch = 499;
    EXPECT_NE(ConfigStore::configHash(other), ConfigStore::configHash(c));

    DeploymentConfig a, b;  // every construction draws a fresh identity
    EXPECT_TRUE(QRegularExpression("^dev_[0-9a-f]{16}$").match(a.deviceId).hasMatch());
    EXPECT_TRUE(QRegularExpression("^[0-9a-f]{32}$").match(a.salt).hasMatch());
    EXPECT_NE(a.deviceId, b.deviceId);
    EXPECT_NE(a.salt, b.salt);
}

// A record unlike the defaults in every type of field, overlaid on the defaults: signals merged
// name by name, lists replaced whole, numbers clamped, unknown keys dropped. It then reads back
// equal from its own bytes, and equality notices a change in any field.
TEST(DeploymentConfigMerging, OverlaysTheFileOnTheDefaultsClampsItsNumbersAndReadsBack) {
    const auto c = merge(R"({"deviceId": "dev_0123456789abcdef", "favouriteColour": "teal",
        "salt": "00112233445566778899aabbccddeeff", "workCategories": [], "schemaVersion": -3,
        "enabledSignals": {"input.pattern": true, "future.signal": false}, "maxBatch": 0,
        "flushIntervalSeconds": -5.0, "retentionDays": 100000, "idleThresholdSeconds": 1,
        "episodeGapSeconds": 999999, "webhookSecret": "s3cr3t", "paused": true,
        "appCategories": {"org.kde.kate": "development"}, "excludedTitleWords": ["x"],
        "externalRef": "HR-42 «ü»"})");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->encoded(), fileContents(TARNWHISTLE_TEST_DATA_DIR "/config/merged-config.json"));
    const auto back = merge(c->encoded());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, *c);
    DeploymentConfig changed = *c;
    changed.taskLabels.pop_back();
    EXPECT_FALSE(changed == *c);
    // enabledSignals that is not an object keeps the defaults without failing the read.
    EXPECT_EQ(merge(R"({"enabledSignals": 5})")->enabledSignals, DeploymentConfig().enabledSignals);
}

TEST(DeploymentConfigMerging, AnythingButAnObjectOfTheRightTypesFails) {
    QList<QByteArray> bad = {"", "{\"orgId\": \"\xff\xfe\"}"};
    for (const QStringList& row : dataRows("config/bad-records.txt", 1)) bad << row[0].toUtf8();
    for (const QByteArray& text : bad) {
        QString error;
        EXPECT_FALSE(merge(text, &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
    }
}

// The address goes to the dashboard's or the custom slot, trimmed, with its secret; the other
// slot and the address itself stay as they were. Nothing is filed for an empty address.
TEST(DeploymentConfig, TheDestinationIsFiledUnderTheMatchingSlot) {
    const QString dashboard =
        "https://" + DeploymentConfig::dashboardHosts().begin()->toUpper() + "/in/abc";
    const struct {
        QString url, custom, dashboard;
    } rows[] = {
        {"  https://hooks.example.com/in\t", "https://hooks.example.com/in", ""},
        {dashboard, "", dashboard},
        {"https://", "", ""},
        {" ", "", ""},
        {"", "", ""},
    };
    for (const auto& row : rows) {
        DeploymentConfig c = fixedDefaults();
        c.webhookURL = row.url;
        c.webhookSecret = "k1";
        c.rememberCurrentDestination();
        EXPECT_EQ(c.savedCustomURL, row.custom) << row.url;
        EXPECT_EQ(c.savedCustomSecret, row.custom.isEmpty() ? "" : "k1") << row.url;
        EXPECT_EQ(c.savedDashboardURL, row.dashboard) << row.url;
        EXPECT_EQ(c.savedDashboardSecret, row.dashboard.isEmpty() ? "" : "k1") << row.url;
        EXPECT_EQ(c.webhookURL, row.url) << "left as it was";
    }
}

}  // namespace
