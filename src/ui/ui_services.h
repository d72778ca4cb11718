// What the windows work with: the core objects they show or edit, and the actions they start
// that belong to the application shell or the desktop. The composition root fills it in; tests
// give real core objects over a temporary folder. A missing action leaves its control inert.
#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <functional>

#include "capture/desktop_backend.h"

namespace tarnwhistle {

class AppStatus;
class Classifier;
class ConfigStore;
class EventLog;
class Outbox;
class Store;

struct UiServices {
    ConfigStore* configStore = nullptr;
    Store* store = nullptr;
    Outbox* outbox = nullptr;
    EventLog* eventLog = nullptr;
    AppStatus* status = nullptr;
    Classifier* classifier = nullptr;  // the engine indicator; absent: rules only

    // Application shell.
    std::function<void(bool paused)> setPaused;
    std::function<void()> applyLoginItem;
    std::function<void()> deleteLocalData;  // asks for confirmation itself
    std::function<void(const QString& key)> openWindow;

    // The capture layer's running applications (with their application ids).
    std::function<QList<RunningApplication>()> runningApplications;

    // Desktop.
    std::function<void()> requestAccessibility;  // switches the accessibility bus on
    // Desktops that show the window in front only through a helper of ours inside the
    // compositor (the GNOME Shell extension): whether it answers, and how to switch it on.
    // Unset elsewhere.
    std::function<bool()> desktopHelperAnswered;
    std::function<void()> switchOnDesktopHelper;
    std::function<void()> openAccessibilitySettings;
    std::function<void()> openScreenRecordingSettings;
    std::function<bool()> screenCaptureAllowed;  // no permission exists on X11: allowed
    std::function<void(const QUrl&)> openUrl;
    std::function<void(const QString& path)> revealFile;  // "Show in file manager"
    QUrl dashboardUrl;
    QUrl docsUrl;
    QUrl deliveryDocsUrl;

    // The login name the subject code is made from.
    QString loginName;
};

}  // namespace tarnwhistle
