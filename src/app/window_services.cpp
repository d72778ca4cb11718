#include "app/window_services.h"

#include <QCoreApplication>

#include "app/accessibility_trust.h"
#include "app/app_delegate.h"
#include "app/app_status.h"
#include "app/links.h"
#include "app/window_opener.h"
#include "capture/platform_backend.h"
#include "config/config_store.h"
#include "delivery/outbox.h"
#include "intelligence/classifier.h"
#include "signals/event_log.h"
#include "signals/signal_engine.h"
#include "storage/store.h"
#include "ui/file_reveal.h"

namespace tarnwhistle {

UiServices windowServices() {
    UiServices s;
    s.configStore = &ConfigStore::shared();
    s.store = &Store::shared();
    s.outbox = &Outbox::shared();
    s.eventLog = &EventLog::shared();
    s.status = &AppStatus::shared();
    s.classifier = &Classifier::shared();
    s.setPaused = [](bool paused) { AppDelegate::shared().setPaused(paused); };
    s.applyLoginItem = [] { AppDelegate::shared().applyLoginItem(); };
    s.deleteLocalData = [] { AppDelegate::shared().deleteLocalData(); };
    s.openWindow = [](const QString& key) { WindowOpener::open(key); };
    s.requestAccessibility = [] {
        AccessibilityTrust::prompt();
        AppStatus::shared().refresh();
    };
    s.openAccessibilitySettings = Links::openAccessibilitySettings;
    s.openScreenRecordingSettings = Links::openScreenRecordingSettings;
    s.screenCaptureAllowed = [] { return true; };  // X11 asks no permission to read windows
    s.openUrl = Links::open;
    s.revealFile = revealInFileManager;
    s.dashboardUrl = Links::dashboard();
    s.docsUrl = Links::docs();
    s.deliveryDocsUrl = Links::docs().resolved(QUrl(QStringLiteral("delivery-format")));
    s.loginName = SignalEngine::shared().userPrincipal;
    if (PlatformBackend::sessionKind() == DesktopSession::Kind::gnome) {
        s.desktopHelperAnswered = PlatformBackend::compositorHelperAnswered;
        s.switchOnDesktopHelper = PlatformBackend::switchOnCompositorHelper;
    }
    s.runningApplications = [] {
        auto* front = PlatformBackend::shared().frontWindow;
        return front ? front->runningApplications() : QList<RunningApplication>{};
    };
    return s;
}

}  // namespace tarnwhistle
