// The application id that stands for a macOS bundle identifier on Linux. Well-known
// applications get the identifiers the built-in tables use (so exclusions, categories and
// dashboards mean the same on every platform); others keep their own Linux identity.
#pragma once

#include <QString>
#include <optional>

namespace tarnwhistle {

namespace ApplicationId {

// What X11 and the desktop files tell about a window's application.
struct Identity {
    QString gtkApplicationId;  // _GTK_APPLICATION_ID
    QString desktopId;         // the matching desktop file's id, without ".desktop"
    QString wmInstance;        // WM_CLASS instance
    QString wmClass;           // WM_CLASS class
};

// The canonical id of a Linux identity (any of the four forms, any letter case), if known.
std::optional<QString> canonical(const QString& linuxIdentity);

// In order: a canonical id for any part of the identity, else the GTK application id, else
// the desktop id, else the WM_CLASS class (or instance). Empty when nothing names it.
QString resolve(const Identity& identity);

}  // namespace ApplicationId

}  // namespace tarnwhistle
