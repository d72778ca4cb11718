// Capture::shared() lives apart so that code which builds its own Capture (tests) does not need
// a platform backend linked in.
#include <QCoreApplication>

#include "capture/capture.h"
#include "capture/platform_backend.h"
#include "capture/qt_capture_scheduler.h"
#include "config/config_store.h"
#include "signals/signal_engine.h"

Capture& Capture::shared() {
    static QtCaptureScheduler* scheduler = new QtCaptureScheduler;
    static Capture* capture =
        new Capture(SignalEngine::shared(), PlatformBackend::shared(), *scheduler,
                    [] { return ConfigStore::shared().config(); },
                    QCoreApplication::applicationPid(), nullptr,
                    [] { return ConfigStore::shared().config().paused; });
    return *capture;
}
