// Tables of cases kept as data under tests/data/app/: a JSON array of objects, one case each,
// with an optional "case" saying what the row is about.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>

#include "test_data.h"

inline std::vector<QJsonObject> caseTable(const char* name) {
    std::vector<QJsonObject> rows;
    const QString path = QStringLiteral(TARNWHISTLE_TEST_DATA_DIR "/app/") + QLatin1String(name);
    for (const QJsonValue& row : QJsonDocument::fromJson(fileContents(path)).array())
        rows.push_back(row.toObject());
    EXPECT_FALSE(rows.empty()) << "no cases in " << name;
    return rows;
}

// A string field; nothing when the row leaves it out.
inline std::optional<QString> optionalString(const QJsonObject& row, const char* key) {
    return row.contains(QLatin1String(key)) ? std::optional(row[QLatin1String(key)].toString())
                                            : std::nullopt;
}

// What a failure message names the row by.
inline std::string caseName(const QJsonObject& row, const char* key) {
    return (row["case"].toString() + QStringLiteral(" · ") + row[QLatin1String(key)].toString())
        .toStdString();
}
