#include "config/setting.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QVariant>
#include <cmath>

#include "config/deployment_config.h"

namespace tarnwhistle {

namespace {

using C = DeploymentConfig;
constexpr Setting::Range kFlushInterval{30, 3600}, kMaxBatch{1, 10000}, kRetentionDays{1, 365},
    kIdleThreshold{60, 1800}, kEpisodeGap{60, 3600};

constexpr Setting plain(const char* key, Setting::Member member) {
    return {key, member, false, std::nullopt};
}
constexpr Setting blanked(const char* key, Setting::Member member) {
    return {key, member, true, std::nullopt};
}
constexpr Setting ranged(const char* key, Setting::Member member, Setting::Range range) {
    return {key, member, false, range};
}

// The ranges are those the Settings window offers; maxBatch, which it does not offer, is kept
// sensible.
const Setting kSettings[] = {
    plain("schemaVersion", &C::schemaVersion),
    plain("orgId", &C::orgId),
    plain("externalRef", &C::externalRef),
    plain("deviceId", &C::deviceId),
    blanked("salt", &C::salt),
    plain("webhookURL", &C::webhookURL),
    blanked("webhookSecret", &C::webhookSecret),
    ranged("flushIntervalSeconds", &C::flushIntervalSeconds, kFlushInterval),
    plain("savedDashboardURL", &C::savedDashboardURL),
    blanked("savedDashboardSecret", &C::savedDashboardSecret),
    plain("savedCustomURL", &C::savedCustomURL),
    blanked("savedCustomSecret", &C::savedCustomSecret),
    ranged("maxBatch", &C::maxBatch, kMaxBatch),
    plain("enabledSignals", &C::enabledSignals),
    plain("excludedBundleIds", &C::excludedBundleIds),
    plain("excludedDomains", &C::excludedDomains),
    plain("excludedTitleWords", &C::excludedTitleWords),
    ranged("retentionDays", &C::retentionDays, kRetentionDays),
    ranged("idleThresholdSeconds", &C::idleThresholdSeconds, kIdleThreshold),
    ranged("episodeGapSeconds", &C::episodeGapSeconds, kEpisodeGap),
    plain("workCategories", &C::workCategories),
    plain("taskLabels", &C::taskLabels),
    plain("appCategories", &C::appCategories),
    plain("useAppleIntelligence", &C::useAppleIntelligence),
    plain("screenshotReader", &C::screenshotReader),
    plain("startAtLogin", &C::startAtLogin),
    plain("paused", &C::paused),
};

// ---- One JSON form per field type -------------------------------------------------------------

QJsonValue toJson(qint64 v) {
    return v;
}
QJsonValue toJson(bool v) {
    return v;
}
QJsonValue toJson(const QString& v) {
    return v;
}
QJsonValue toJson(const QStringList& list) {
    return QJsonArray::fromStringList(list);
}
QJsonValue toJson(const CategoryList& list) {
    QJsonArray out;
    for (const auto& c : list)
        out.append(QJsonObject{{"name", c.name}, {"description", c.description}});
    return out;
}
template <typename T>
QJsonValue toJson(const std::map<QString, T>& map) {
    QJsonObject out;
    for (const auto& [key, value] : map) out.insert(key, value);
    return out;
}

// Each reader returns what the value should have been when it is not, nullptr when it was read.
const char* fromJson(const QJsonValue& v, qint64* out) {
    if (!v.isDouble()) return "a whole number";
    const QVariant variant = v.toVariant();
    if (variant.typeId() == QMetaType::LongLong || variant.typeId() == QMetaType::Int) {
        *out = variant.toLongLong();
        return nullptr;
    }
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::trunc(d) || d < -9223372036854775808.0 ||
        d >= 9223372036854775808.0)
        return "a whole number";
    *out = qint64(d);
    return nullptr;
}
const char* fromJson(const QJsonValue& v, bool* out) {
    if (!v.isBool()) return "true or false";
    *out = v.toBool();
    return nullptr;
}
const char* fromJson(const QJsonValue& v, QString* out) {
    if (!v.isString()) return "a string";
    *out = v.toString();
    return nullptr;
}
const char* fromJson(const QJsonValue& v, QStringList* out) {
    if (!v.isArray()) return "a list of strings";
    QStringList list;
    for (const auto& element : v.toArray()) {
        if (!element.isString()) return "a list of strings";
        list.append(element.toString());
    }
    *out = list;
    return nullptr;
}
const char* fromJson(const QJsonValue& v, CategoryList* out) {
    if (!v.isArray()) return "a list of categories";
    CategoryList list;
    for (const auto& element : v.toArray()) {
        const QJsonObject entry = element.toObject();
        if (!element.isObject() || !entry.value("name").isString() ||
            !entry.value("description").isString())
            return "a list of categories with a name and a description";
        list.push_back({entry.value("name").toString(), entry.value("description").toString()});
    }
    *out = list;
    return nullptr;
}
template <typename T>
const char* fromJson(const QJsonValue& v, std::map<QString, T>* out) {
    constexpr const char* expected =
        std::is_same_v<T, bool> ? "an object of true/false values" : "an object of strings";
    if (!v.isObject()) return expected;
    std::map<QString, T> map;
    const QJsonObject object = v.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        T value{};
        if (fromJson(it.value(), &value)) return expected;
        map.emplace(it.key(), value);
    }
    *out = map;
    return nullptr;
}

}  // namespace

std::span<const Setting> Setting::all() {
    return kSettings;
}

QJsonValue Setting::encode(const DeploymentConfig& config) const {
    return std::visit([&](auto field) { return toJson(config.*field); }, member);
}

bool Setting::decode(const QJsonValue& value, DeploymentConfig& config, QString* error) const {
    const char* expected =
        std::visit([&](auto field) { return fromJson(value, &(config.*field)); }, member);
    if (expected && error)
        *error = QStringLiteral("the value of \"%1\" is not %2").arg(key, expected);
    return !expected;
}

bool Setting::equal(const DeploymentConfig& a, const DeploymentConfig& b) const {
    return std::visit([&](auto field) { return a.*field == b.*field; }, member);
}

}  // namespace tarnwhistle
