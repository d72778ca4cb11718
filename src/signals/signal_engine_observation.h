// One observation of another application's front window, as the capture loop reads it. The
// engine keeps copies and compares them memberwise to notice that the window changed.
#pragma once

#include <QString>
#include <optional>

namespace tarnwhistle {

struct WindowObservation {
    QString bundleId;
    QString appName;  // the bundle identifier when the application has no name
    QString title;    // empty when the window has none
    std::optional<QString> url;           // browsers only, when an address was found
    std::optional<QString> documentPath;  // the document the window names, if any

    bool operator==(const WindowObservation&) const = default;
};

}  // namespace tarnwhistle
