#include "platform/linux/desktop_file_index.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>

namespace tarnwhistle {

DesktopFileIndex::DesktopFileIndex(QStringList folders) : folders_(std::move(folders)) {}

namespace {
struct Parsed {
    QString name;
    QString wmClass;
};

Parsed parse(const QString& path) {
    Parsed parsed;
    QFile file(path);
    if (file.size() > 256 * 1024 || !file.open(QIODevice::ReadOnly)) return parsed;
    const QString locale = QLocale().name();           // de_DE
    const QString language = locale.section('_', 0, 0);  // de
    QString localised, languageOnly;
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith('[')) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry) continue;
        const int eq = line.indexOf('=');
        if (eq <= 0) continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("Name")) parsed.name = value;
        else if (key == QStringLiteral("Name[%1]").arg(locale)) localised = value;
        else if (key == QStringLiteral("Name[%1]").arg(language)) languageOnly = value;
        else if (key == QLatin1String("StartupWMClass")) parsed.wmClass = value;
    }
    if (!localised.isEmpty()) parsed.name = localised;
    else if (!languageOnly.isEmpty()) parsed.name = languageOnly;
    return parsed;
}
}  // namespace

void DesktopFileIndex::load() {
    loaded_ = true;
    QStringList folders = folders_;
    if (folders.isEmpty())
        folders = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    // Earlier folders win, as in the desktop-entry lookup rules.
    for (const QString& folder : folders) {
        QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = QDir(folder).relativeFilePath(path);
            id.chop(8);
            id.replace('/', '-');
            const Parsed parsed = parse(path);
            if (parsed.name.isEmpty()) continue;
            const Entry entry{id, parsed.name};
            if (!parsed.wmClass.isEmpty() && !byWmClass_.contains(parsed.wmClass.toLower()))
                byWmClass_.insert(parsed.wmClass.toLower(), entry);
            const QString key = id.toLower();
            if (!byName_.contains(key)) byName_.insert(key, entry);
            const QString last = key.section('.', -1);
            if (last != key && !byName_.contains(last)) byName_.insert(last, entry);
        }
    }
}

std::optional<DesktopFileIndex::Entry> DesktopFileIndex::find(const QString& wmInstance,
                                                              const QString& wmClass) {
    if (!loaded_) load();
    for (const QString& key : {wmClass.toLower(), wmInstance.toLower()}) {
        if (key.isEmpty()) continue;
        if (auto it = byWmClass_.constFind(key); it != byWmClass_.constEnd()) return *it;
    }
    for (const QString& key : {wmInstance.toLower(), wmClass.toLower()}) {
        if (key.isEmpty()) continue;
        if (auto it = byName_.constFind(key); it != byName_.constEnd()) return *it;
    }
    return std::nullopt;
}

std::optional<DesktopFileIndex::Entry> DesktopFileIndex::byId(const QString& id) {
    if (!loaded_) load();
    if (id.isEmpty()) return std::nullopt;
    if (auto it = byName_.constFind(id.toLower()); it != byName_.constEnd()) return *it;
    return std::nullopt;
}

}  // namespace tarnwhistle
