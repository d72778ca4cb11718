// The composition root: the agent's long-lived objects, each created once on first use and
// wired to its collaborators here, so that no core library reaches for another's instance.
#include <QCoreApplication>

#include "app/accessibility_trust.h"
#include "app/alerts.h"
#include "app/app_delegate.h"
#include "app/app_status.h"
#include "app/connection_link.h"
#include "app/links.h"
#include "app/login_item.h"
#include "app/menu_bar.h"
#include "app/window_opener.h"
#include "capture/capture.h"
#include "capture/platform_backend.h"
#include "capture/qt_capture_scheduler.h"
#include "config/config_store.h"
#include "delivery/outbox.h"
#include "intelligence/classifier.h"
#include "signals/signal_engine.h"
#include "storage/store.h"
#include "ui/windows.h"

namespace tarnwhistle {

namespace {

// The engine reads the live configuration, stores what it emits and asks the classifier.
SignalEngine& wiredEngine() {
    static SignalEngine* engine = [] {
        SignalEngine* engine = &SignalEngine::shared();
        engine->configProvider = [] { return ConfigStore::shared().config(); };
        engine->sink = [](const Signal& signal) { Store::shared().insert(signal); };
        engine->classify = [](const QString& text, const CategoryList& labels,
                              const std::optional<QString>& rule, bool useLanguageModel,
                              SignalEngine::ClassifyDone done) {
            Classifier::shared().classify(text, labels, rule, useLanguageModel, std::move(done));
        };
        engine->events = &EventLog::shared();
        return engine;
    }();
    return *engine;
}

}  // namespace

Outbox& Outbox::shared() {
    static Outbox* instance = [] {
        auto* outbox = new Outbox(Store::shared(), ConfigStore::shared());
        // The batch subject is the same user the engine names.
        outbox->userPrincipal = [] { return wiredEngine().userPrincipal; };
        return outbox;
    }();
    return *instance;
}

Capture& Capture::shared() {
    static QtCaptureScheduler* scheduler = new QtCaptureScheduler;
    static Capture* capture = new Capture(
        wiredEngine(), PlatformBackend::shared(), *scheduler,
        [] { return ConfigStore::shared().config(); }, QCoreApplication::applicationPid(), nullptr,
        [] { return ConfigStore::shared().config().paused; });
    return *capture;
}

AppStatus& AppStatus::shared() {
    static AppStatus* instance = [] {
        auto* status = new AppStatus(ConfigStore::shared(), Store::shared(), Outbox::shared(),
                                     AccessibilityTrust::trusted);
        status->setUnavailable(
            DesktopSession::unavailableSentence(PlatformBackend::capabilities()));
        return status;
    }();
    return *instance;
}

MenuBar& MenuBar::shared() {
    static MenuBar* instance = new MenuBar(
        AppStatus::shared(),
        MenuBar::Actions{
            .paused = [] { return ConfigStore::shared().config().paused; },
            .togglePause =
                [] { AppDelegate::shared().setPaused(!ConfigStore::shared().config().paused); },
            .sendNow =
                [] {
                    Outbox::shared().flush();
                    Outbox::shared().retryDue();
                },
            .openSettings = [] { WindowOpener::open(Windows::settings); },
            .openActivity = [] { WindowOpener::open(Windows::activity); },
            .openDashboard = [] { Links::open(Links::dashboard()); },
            .openDocs = [] { Links::open(Links::docs()); },
            .openWelcome = [] { WindowOpener::open(Windows::welcome); },
            // Queued: the menu finishes closing before the quit sequence runs.
            .quit =
                [] {
                    QMetaObject::invokeMethod(
                        &AppDelegate::shared(), [] { AppDelegate::shared().quit(); },
                        Qt::QueuedConnection);
                },
        });
    return *instance;
}

namespace {
ConnectionLinks& connectionLinks() {
    static ConnectionLinks* links = new ConnectionLinks(
        ConfigStore::shared(), Outbox::shared(),
        ConnectionLinks::Hooks{.confirm = Alerts::confirmConnect, .inform = Alerts::inform});
    return *links;
}
}  // namespace

AppDelegate& AppDelegate::shared() {
    static LoginItem* loginItem = new LoginItem(QCoreApplication::applicationFilePath());
    static AppDelegate* instance = new AppDelegate(
        Parts{ConfigStore::shared(), Store::shared(), Capture::shared(), Outbox::shared(),
              AppStatus::shared(), EventLog::shared(), *loginItem},
        Hooks{
            .setupMenuBar = [] { MenuBar::shared().setup(); },
            .trusted = AccessibilityTrust::trusted,
            .showWelcome = [] { WindowOpener::open(Windows::welcome); },
            .confirmDelete = Alerts::confirmDeleteLocalData,
            .handleLink = [](const QString& link) { connectionLinks().handle(link); },
            .terminate = [] { QCoreApplication::exit(0); },
        });
    return *instance;
}

}  // namespace tarnwhistle
