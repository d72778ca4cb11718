// Finds the desktop file of an application from its WM_CLASS, for its desktop id and its
// localised name. The application folders are read once, on first use.
#pragma once

#include <QHash>
#include <QString>
#include <optional>

namespace tarnwhistle {

class DesktopFileIndex {
public:
    struct Entry {
        QString id;    // file name without ".desktop"
        QString name;  // Name[locale], else Name
    };

    // Indexes $XDG_DATA_HOME and $XDG_DATA_DIRS (or the given folders) on first lookup.
    explicit DesktopFileIndex(QStringList folders = {});

    // By StartupWMClass, else by file name (or its last dotted part), any letter case.
    std::optional<Entry> find(const QString& wmInstance, const QString& wmClass);
    // By desktop id (a GTK application id is one).
    std::optional<Entry> byId(const QString& id);

private:
    void load();
    bool loaded_ = false;
    QStringList folders_;
    QHash<QString, Entry> byWmClass_;
    QHash<QString, Entry> byName_;
};

}  // namespace tarnwhistle
