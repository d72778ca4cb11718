// The 27 settings of DeploymentConfig, each named once: its key, the field it lives in, whether
// the configuration hash blanks it, and the range a value read is clamped into. Decoding,
// encoding, equality, the hash and normalising all walk this one table, so a new setting is one
// field plus one row.
#pragma once

#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <span>
#include <variant>

#include "config/category_def.h"

namespace tarnwhistle {

struct DeploymentConfig;

struct Setting {
    struct Range {
        qint64 min, max;
    };
    using Member =
        std::variant<qint64 DeploymentConfig::*, bool DeploymentConfig::*,
                     QString DeploymentConfig::*, QStringList DeploymentConfig::*,
                     CategoryList DeploymentConfig::*, std::map<QString, bool> DeploymentConfig::*,
                     std::map<QString, QString> DeploymentConfig::*>;

    const char* key;  // the camelCase JSON key, also the field's name
    Member member;
    // The salt and the secrets: a stored batch body carries the hash, and nobody holding one
    // may test guesses of these against it.
    bool blankedInHash = false;
    std::optional<Range> range;  // whole-number settings the Settings window offers

    // Every setting, in the order of the record's fields.
    static std::span<const Setting> all();

    QJsonValue encode(const DeploymentConfig& config) const;
    // Strict: false with "the value of "key" is not ..." in `error` when the type is wrong.
    bool decode(const QJsonValue& value, DeploymentConfig& config, QString* error) const;
    bool equal(const DeploymentConfig& a, const DeploymentConfig& b) const;
};

}  // namespace tarnwhistle
