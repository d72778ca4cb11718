// The one settings record of the agent: who the data belongs to, where batches go and how
// they are signed, which signals are produced, what is never observed, timing, retention and
// the classifier vocabularies. A plain value, copied freely; ConfigStore holds the live copy.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <set>

#include "config/category_def.h"

namespace tarnwhistle {

struct DeploymentConfig {
    qint64 schemaVersion = 1;
    QString orgId = QStringLiteral("personal");
    QString externalRef;
    QString deviceId;  // "dev_" + 16 hex digits, drawn fresh by every construction
    QString salt;      // 32 hex digits, drawn fresh by every construction; never sent
    QString webhookURL;
    QString webhookSecret;
    qint64 flushIntervalSeconds = 60;
    QString savedDashboardURL;
    QString savedDashboardSecret;
    QString savedCustomURL;
    QString savedCustomSecret;
    qint64 maxBatch = 500;
    std::map<QString, bool> enabledSignals;
    QStringList excludedBundleIds;
    QStringList excludedDomains;
    QStringList excludedTitleWords;
    qint64 retentionDays = 30;
    qint64 idleThresholdSeconds = 180;
    qint64 episodeGapSeconds = 300;
    CategoryList workCategories;
    CategoryList taskLabels;
    std::map<QString, QString> appCategories;
    bool useAppleIntelligence = true;
    bool screenshotReader = false;
    bool startAtLogin = true;
    bool paused = false;

    // Every default, with a fresh deviceId and salt.
    DeploymentConfig();

    // Field by field, through the settings table (the Settings window's `dirty`).
    bool operator==(const DeploymentConfig& other) const;

    // `count` bytes from the system's secure random source as lower-case hex.
    static QString randomHex(int count);

    static CategoryList defaultWorkCategories();
    static CategoryList defaultTaskLabels();
    static QStringList defaultExcludedBundleIds();
    static QStringList defaultExcludedDomains();
    static QStringList defaultExcludedTitleWords();

    // Pretty-printed JSON with all 27 keys, sorted, "/" unescaped; the same record always
    // gives the same bytes. Empty bytes if encoding fails.
    QByteArray encoded() const;
    QJsonObject toJsonObject() const;
    // A copy with the salt and every secret emptied: what the configuration hash is taken of.
    DeploymentConfig withSecretsBlanked() const;

    // The tolerant reader for the settings file and imports: defaults overlaid with the
    // file's members (enabledSignals merged name by name), then decoded strictly and
    // normalised (below), with what normalising changed that the user must know in `notes`.
    // nullopt with a description in `error` when the text is not JSON, not an object, or a
    // value has the wrong type.
    static std::optional<DeploymentConfig> decodeMerging(const QByteArray& data,
                                                         QString* error = nullptr,
                                                         QStringList* notes = nullptr);

    // The format version this build writes; a file with a larger one came from a newer build.
    static constexpr qint64 currentSchemaVersion = 1;
    // A salt shorter than this keys the coded identifiers too weakly to stop a dictionary.
    static constexpr qsizetype minSaltLength = 16;

    // Clamps the numbers into their ranges (every value read is clamped here, once, so no
    // consumer has to) and replaces a short salt with a fresh one.
    // Returns a sentence for the user for each change they must know about (a new salt).
    QStringList normalise();
    // Strict decoding: all 27 keys must be present with the right types.
    static std::optional<DeploymentConfig> decodeStrict(const QJsonObject& object,
                                                        QString* error = nullptr);

    // The dashboard service's host names.
    static const std::set<QString>& dashboardHosts();
    // The trimmed webhookURL parses as a URL whose lower-cased host is a dashboard host.
    bool isDashboardURL() const;
    // Files the current destination under the matching saved slot (dashboard or custom).
    void rememberCurrentDestination();
};

}  // namespace tarnwhistle
