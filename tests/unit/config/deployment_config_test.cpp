#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "config/deployment_config.h"

namespace {

DeploymentConfig fixedDefaults() {
    DeploymentConfig c;
    c.deviceId = "dev_0123456789abcdef";
    c.salt = "00112233445566778899aabbccddeeff";
    return c;
}

std::optional<DeploymentConfig> merge(const QByteArray& text, QString* error = nullptr) {
    return DeploymentConfig::decodeMerging(text, error);
}

TEST(DeploymentConfig, DefaultEncodingMatchesTheCheckedInFileByteForByte) {
    QFile expected(TARNWHISTLE_TEST_DATA_DIR "/config/default-config.json");
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(fixedDefaults().encoded(), expected.readAll());
}

TEST(DeploymentConfig, EncodingIsDeterministicSortedAndLeavesSlashesAlone) {
    DeploymentConfig c = fixedDefaults();
    c.webhookURL = "https://hooks.example.com/a/b";
    c.appCategories = {{"org.gnome.Calculator", "analysis"}, {"com.example.b", "design"}};
    const QByteArray bytes = c.encoded();
    EXPECT_EQ(bytes, DeploymentConfig(c).encoded());
    EXPECT_TRUE(bytes.contains("\"https://hooks.example.com/a/b\""));
    EXPECT_FALSE(bytes.contains("\\/"));
    const QJsonObject object = QJsonDocument::fromJson(bytes).object();
    EXPECT_EQ(object.size(), 27);
    // Keys appear in sorted order in the text itself.
    QStringList keys;
    QRegularExpression key("^    \"([A-Za-z]+)\":", QRegularExpression::MultilineOption);
    for (auto it = key.globalMatch(QString::fromUtf8(bytes)); it.hasNext();)
        keys << it.next().captured(1);
    ASSERT_EQ(keys.size(), 27);
    QStringList sorted = keys;
    sorted.sort();
    EXPECT_EQ(keys, sorted);
}

TEST(DeploymentConfig, FreshIdentityOnEveryConstruction) {
    DeploymentConfig a, b;
    EXPECT_TRUE(QRegularExpression("^dev_[0-9a-f]{16}$").match(a.deviceId).hasMatch());
    EXPECT_TRUE(QRegularExpression("^[0-9a-f]{32}$").match(a.salt).hasMatch());
    EXPECT_NE(a.deviceId, b.deviceId);
    EXPECT_NE(a.salt, b.salt);
    EXPECT_EQ(DeploymentConfig::randomHex(0), "");
    EXPECT_EQ(DeploymentConfig::randomHex(3).size(), 6);
}

TEST(DeploymentConfigMerging, AnEmptyObjectReadsAsDefaultsWithAFreshIdentity) {
    const auto c = merge("{}");
    ASSERT_TRUE(c);
    DeploymentConfig expected = fixedDefaults();
    expected.deviceId = c->deviceId;
    expected.salt = c->salt;
    EXPECT_EQ(*c, expected);
    EXPECT_NE(merge("{}")->salt, c->salt);
}

TEST(DeploymentConfigMerging, EnabledSignalsAreOverlaidNameByName) {
    auto c = merge(R"({"enabledSignals": {"input.pattern": true, "future.signal": false}})");
    ASSERT_TRUE(c);
    auto expected = DeploymentConfig().enabledSignals;
    expected["input.pattern"] = true;
    expected["future.signal"] = false;
    EXPECT_EQ(c->enabledSignals, expected);
    // Not an object: the defaults stay and the read does not fail.
    c = merge(R"({"enabledSignals": 5})");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->enabledSignals, DeploymentConfig().enabledSignals);
    // An object holding a non-boolean fails the whole read.
    EXPECT_FALSE(merge(R"({"enabledSignals": {"app.focus": "yes"}})"));
}

TEST(DeploymentConfigMerging, ValuesReplaceDefaultsWholeWithinTheirRanges) {
    auto c = merge(R"({"maxBatch": 7, "workCategories": [], "excludedTitleWords": ["x"],
                       "schemaVersion": -3, "flushIntervalSeconds": 30.0})");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->maxBatch, 7);
    EXPECT_TRUE(c->workCategories.empty());
    EXPECT_EQ(c->excludedTitleWords, QStringList{"x"});
    EXPECT_EQ(c->schemaVersion, -3);
    EXPECT_EQ(c->flushIntervalSeconds, 30);
    EXPECT_EQ(c->taskLabels, DeploymentConfig::defaultTaskLabels());
}

TEST(DeploymentConfigMerging, AWrongTypeAnywhereFailsTheRead) {
    const char* bad[] = {
        R"({"maxBatch": "500"})",
        R"({"maxBatch": 1.5})",
        R"({"schemaVersion": 1e400})",
        R"({"orgId": null})",
        R"({"paused": 0})",
        R"({"excludedDomains": ["a.com", 3]})",
        R"({"workCategories": [{"name": "x"}]})",
        R"({"appCategories": {"a": 1}})",
        R"({"taskLabels": {}})",
    };
    for (const char* text : bad) {
        QString error;
        EXPECT_FALSE(merge(text, &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
    }
}

TEST(DeploymentConfigMerging, TextThatIsNotAnObjectFails) {
    for (const QByteArray& text : {QByteArray(""), QByteArray("{"), QByteArray("[]"),
                                  QByteArray("\"config\""), QByteArray("{\"orgId\": \"\xff\xfe\"}")}) {
        QString error;
        EXPECT_FALSE(merge(text, &error)) << text.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(DeploymentConfigMerging, UnknownKeysAreIgnoredAndDroppedOnTheNextWrite) {
    const auto c = merge(R"({"favouriteColour": "teal", "orgId": "acme"})");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->orgId, "acme");
    EXPECT_FALSE(c->encoded().contains("favouriteColour"));
}

TEST(DeploymentConfigMerging, WrittenRecordsReadBackEqual) {
    DeploymentConfig c = fixedDefaults();
    c.webhookURL = "https://example.org/hook";
    c.webhookSecret = "s3cr3t";
    c.appCategories = {{"org.kde.kate", "development"}};
    c.enabledSignals["input.pattern"] = true;
    c.workCategories.push_back({"triage", "sorting, labelling"});
    c.paused = true;
    c.externalRef = QString::fromUtf8("HR-42 «ü»");
    const auto back = merge(c.encoded());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, c);
}

TEST(DeploymentConfigDestination, IsFiledUnderTheMatchingSlot) {
    DeploymentConfig c = fixedDefaults();
    c.webhookURL = "  https://hooks.example.com/in\t";
    c.webhookSecret = "k1";
    EXPECT_FALSE(c.isDashboardURL());
    c.rememberCurrentDestination();
    EXPECT_EQ(c.savedCustomURL, "https://hooks.example.com/in");
    EXPECT_EQ(c.savedCustomSecret, "k1");
    EXPECT_EQ(c.webhookURL, "  https://hooks.example.com/in\t");  // left as it was
    EXPECT_TRUE(c.savedDashboardURL.isEmpty());

    const QString dashboardHost = *DeploymentConfig::dashboardHosts().begin();
    c.webhookURL = "https://" + dashboardHost.toUpper() + "/ingest/abc";
    c.webhookSecret = "k2";
    EXPECT_TRUE(c.isDashboardURL());
    c.rememberCurrentDestination();
    EXPECT_EQ(c.savedDashboardURL, c.webhookURL);
    EXPECT_EQ(c.savedDashboardSecret, "k2");
    EXPECT_EQ(c.savedCustomSecret, "k1");

    DeploymentConfig untouched = fixedDefaults();
    for (const char* url : {"https://", " ", ""}) {
        DeploymentConfig d = untouched;
        d.webhookURL = url;
        d.rememberCurrentDestination();
        EXPECT_TRUE(d.savedCustomURL.isEmpty() && d.savedDashboardURL.isEmpty()) << url;
    }
}

}  // namespace
