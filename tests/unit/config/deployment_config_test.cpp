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
TEST(DeploymentConfig, DefaultsEncodeToTheCheckedInFileAndItsHash) {
    const DeploymentConfig c = fixedDefaults();
    EXPECT_EQ(c.encoded(), fileContents(TARNWHISTLE_TEST_DATA_DIR "/config/default-config.json"));
    EXPECT_EQ(ConfigStore::configHash(c), "sha256:89fc667e8cb46b95");

    DeploymentConfig other = c;  // no secret can be tested against the hash
    other.salt = "ffffffffffffffffffffffffffffffff";
    other.webhookSecret = other.savedDashboardSecret = other.savedCustomSecret = "changed";
    EXPECT_EQ(ConfigStore::configHash(other), ConfigStore::configHash(c));
    other.maxBatch = 499;
    EXPECT_NE(ConfigStore::configHash(other), ConfigStore::configHash(c));
}

TEST(DeploymentConfig, EveryConstructionDrawsAFreshIdentity) {
    DeploymentConfig a, b;
    EXPECT_TRUE(QRegularExpression("^dev_[0-9a-f]{16}$").match(a.deviceId).hasMatch());
    EXPECT_TRUE(QRegularExpression("^[0-9a-f]{32}$").match(a.salt).hasMatch());
    EXPECT_NE(a.deviceId, b.deviceId);
    EXPECT_NE(a.salt, b.salt);
}

// Every field through the table: a record unlike the defaults in each type reads back equal,
// and equality notices a change in any one of them.
TEST(DeploymentConfig, WrittenRecordsReadBackEqual) {
    DeploymentConfig c = fixedDefaults();
    c.webhookURL = "https://example.org/hook";
    c.webhookSecret = "s3cr3t";
    c.maxBatch = 7;
    c.appCategories = {{"org.kde.kate", "development"}};
    c.enabledSignals["input.pattern"] = true;
    c.excludedTitleWords = {"x"};
    c.workCategories.push_back({"triage", "sorting, labelling"});
    c.paused = true;
    c.externalRef = QString::fromUtf8("HR-42 «ü»");
    const auto back = merge(c.encoded());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, c);
    DeploymentConfig changed = c;
    changed.taskLabels.pop_back();
    EXPECT_FALSE(changed == c);
}

TEST(DeploymentConfigMerging, OverlaysTheFileOnTheDefaultsAndClampsItsNumbers) {
    const auto c = merge(R"({"deviceId": "dev_0123456789abcdef", "favouriteColour": "teal",
        "salt": "00112233445566778899aabbccddeeff", "workCategories": [], "schemaVersion": -3,
        "enabledSignals": {"input.pattern": true, "future.signal": false}, "maxBatch": 0,
        "flushIntervalSeconds": -5.0, "retentionDays": 100000, "idleThresholdSeconds": 1,
        "episodeGapSeconds": 999999})");
    ASSERT_TRUE(c);
    DeploymentConfig expected = fixedDefaults();
    expected.enabledSignals["input.pattern"] = true;  // merged name by name
    expected.enabledSignals["future.signal"] = false;
    expected.workCategories.clear();  // lists are replaced whole
    expected.schemaVersion = -3;
    expected.maxBatch = 1;
    expected.flushIntervalSeconds = 30;
    expected.retentionDays = 365;
    expected.idleThresholdSeconds = 60;
    expected.episodeGapSeconds = 3600;
    EXPECT_EQ(c->encoded(), expected.encoded());  // unknown keys are dropped
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

TEST(DeploymentConfig, TheDestinationIsFiledUnderTheMatchingSlot) {
    DeploymentConfig c = fixedDefaults();
    c.webhookURL = "  https://hooks.example.com/in\t";
    c.webhookSecret = "k1";
    c.rememberCurrentDestination();
    EXPECT_EQ(c.savedCustomURL, "https://hooks.example.com/in");
    EXPECT_EQ(c.savedCustomSecret, "k1");
    EXPECT_EQ(c.webhookURL, "  https://hooks.example.com/in\t");  // left as it was

    c.webhookURL = "https://" + DeploymentConfig::dashboardHosts().begin()->toUpper() + "/in/abc";
    c.webhookSecret = "k2";
    EXPECT_TRUE(c.isDashboardURL());
    c.rememberCurrentDestination();
    EXPECT_EQ(c.savedDashboardURL, c.webhookURL);
    EXPECT_EQ(c.savedDashboardSecret, "k2");
    EXPECT_EQ(c.savedCustomSecret, "k1");

    for (const char* url : {"https://", " ", ""}) {
        DeploymentConfig d = fixedDefaults();
        d.webhookURL = url;
        d.rememberCurrentDestination();
        EXPECT_TRUE(d.savedCustomURL.isEmpty() && d.savedDashboardURL.isEmpty()) << url;
    }
}

}  // namespace
