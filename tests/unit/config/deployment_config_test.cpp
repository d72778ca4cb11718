#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include "config/config_store.h"
#include "config/deployment_config.h"
#include "qt_printers.h"

namespace {

DeploymentConfig fixedDefaults() {
    DeploymentConfig c;
    c.deviceId = "dev_0123456789abcdef";
    c.salt = "00112233445566778899aabbccddeeff";
    return c;
}

std::optional<DeploymentConfig> merge(const QByteArray& text, QString* error = nullptr,
                                      QStringList* notes = nullptr) {
    return DeploymentConfig::decodeMerging(text, error, notes);
}

// The one test of "the same record gives the same bytes": the checked-in file holds every key,
// sorted, slashes unescaped; receivers reproduce the hash from it with the salt emptied.
TEST(DeploymentConfig, DefaultsEncodeToTheCheckedInFileAndItsHash) {
    QFile expected(TARNWHISTLE_TEST_DATA_DIR "/config/default-config.json");
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    const DeploymentConfig c = fixedDefaults();
    EXPECT_EQ(c.encoded(), expected.readAll());
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

TEST(DeploymentConfigMerging, OverlaysTheFileOnTheDefaults) {
    auto c = merge(R"({"enabledSignals": {"input.pattern": true, "future.signal": false},
                       "favouriteColour": "teal", "workCategories": [], "schemaVersion": -3,
                       "flushIntervalSeconds": 30.0})");
    ASSERT_TRUE(c);
    auto enabled = DeploymentConfig().enabledSignals;  // merged name by name
    enabled["input.pattern"] = true;
    enabled["future.signal"] = false;
    EXPECT_EQ(c->enabledSignals, enabled);
    EXPECT_TRUE(c->workCategories.empty());  // lists are replaced whole
    EXPECT_EQ(c->taskLabels, DeploymentConfig::defaultTaskLabels());
    EXPECT_EQ(c->schemaVersion, -3);
    EXPECT_EQ(c->flushIntervalSeconds, 30);
    EXPECT_FALSE(c->encoded().contains("favouriteColour"));  // unknown keys are dropped
    // enabledSignals that is not an object keeps the defaults without failing the read.
    EXPECT_EQ(merge(R"({"enabledSignals": 5})")->enabledSignals, DeploymentConfig().enabledSignals);
}

TEST(DeploymentConfigMerging, NumbersAreClampedAndAShortSaltIsReplacedWithANote) {
    QStringList notes;
    const auto c = merge(R"({"salt": "", "maxBatch": 0, "flushIntervalSeconds": -5,
                            "retentionDays": 100000, "idleThresholdSeconds": 1,
                            "episodeGapSeconds": 999999})",
                         nullptr, &notes);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->maxBatch, 1);
    EXPECT_EQ(c->flushIntervalSeconds, 30);
    EXPECT_EQ(c->retentionDays, 365);
    EXPECT_EQ(c->idleThresholdSeconds, 60);
    EXPECT_EQ(c->episodeGapSeconds, 3600);
    EXPECT_EQ(c->salt.size(), 32);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].contains("salt"));
}

TEST(DeploymentConfigMerging, AnythingButAnObjectOfTheRightTypesFails) {
    const QByteArray bad[] = {"",
                              "{",
                              "[]",
                              "\"config\"",
                              "{\"orgId\": \"\xff\xfe\"}",
                              R"({"maxBatch": "500"})",
                              R"({"maxBatch": 1.5})",
                              R"({"schemaVersion": 1e400})",
                              R"({"orgId": null})",
                              R"({"paused": 0})",
                              R"({"excludedDomains": ["a.com", 3]})",
                              R"({"workCategories": [{"name": "x"}]})",
                              R"({"appCategories": {"a": 1}})",
                              R"({"enabledSignals": {"app.focus": "yes"}})",
                              R"({"taskLabels": {}})"};
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
