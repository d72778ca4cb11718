#include "app/ui_wiring.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "app/accessibility_trust.h"
#include "app/app_delegate.h"
#include "app/app_status.h"
#include "app/links.h"
#include "app/window_opener.h"
#include "config/config_store.h"
#include "delivery/outbox.h"
#include "intelligence/classifier.h"
#include "signals/event_log.h"
#include "signals/signal_engine.h"
#include "storage/store.h"
#include "ui/activity_view.h"
#include "ui/ui_services.h"
#include "ui/windows.h"

namespace {

// The file manager's own "show this item" where one answers on the session bus, else the
// folder that holds the file.
void revealFile(const QString& path) {
    const QUrl file = QUrl::fromLocalFile(path);
    QDBusMessage show = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    show << QStringList{file.toString()} << QString();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(show, QDBus::Block, 2000);
    if (reply.type() == QDBusMessage::ReplyMessage) return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

}  // namespace

UiServices& agentUiServices() {
    static UiServices* services = [] {
        auto* s = new UiServices;
        s->configStore = &ConfigStore::shared();
        s->store = &Store::shared();
        s->outbox = &Outbox::shared();
        s->eventLog = &EventLog::shared();
        s->status = &AppStatus::shared();
        s->classifier = &Classifier::shared();
        s->setPaused = [](bool paused) { AppDelegate::shared().setPaused(paused); };
        s->applyLoginItem = [] { AppDelegate::shared().applyLoginItem(); };
        s->deleteLocalData = [] { AppDelegate::shared().deleteLocalData(); };
        s->openWindow = WindowOpener::open;
        s->requestAccessibility = [] {
            AccessibilityTrust::prompt();
            AppStatus::shared().refresh();
        };
        s->openAccessibilitySettings = Links::openAccessibilitySettings;
        s->openScreenRecordingSettings = Links::openScreenRecordingSettings;
        s->screenCaptureAllowed = [] { return true; };  // X11 has no such permission
        s->openUrl = Links::open;
        s->revealFile = revealFile;
        s->dashboardUrl = Links::dashboard();
        s->docsUrl = Links::docs();
        s->deliveryDocsUrl = Links::docs().resolved(QUrl(QStringLiteral("delivery/")));
        s->loginName = SignalEngine::shared().userPrincipal;
        return s;
    }();
    return *services;
}

void defineWindows() {
    Windows& windows = Windows::shared();
    windows.define(Windows::activity,
                   {QStringLiteral("Tarnwhistle — Activity Log"), QSize(960, 640), [] {
                        UiServices& s = agentUiServices();
                        return new ActivityView(*s.store, *s.outbox, *s.eventLog);
                    }});
}
