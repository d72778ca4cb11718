#include "app/app_delegate.h"

#include <QDir>

#include "app/app_status.h"
#include "app/login_item.h"
#include "base/system_log.h"
#include "capture/capture.h"
#include "config/config_store.h"
#include "delivery/outbox.h"
#include "signals/event_log.h"
#include "storage/store.h"

namespace tarnwhistle {

AppDelegate::AppDelegate(Parts parts, Hooks hooks, QObject* parent)
    : QObject(parent), parts_(parts), hooks_(std::move(hooks)) {
    purgeTimer_.setTimerType(Qt::VeryCoarseTimer);
    // Through the outbox, which holds the purge back after a clock jump until waiting batches
    // have had a delivery attempt.
    connect(&purgeTimer_, &QTimer::timeout, this,
            [this] { parts_.outbox.purge(parts_.config.config().retentionDays); });
}

AppDelegate::~AppDelegate() {
    // A pending quit reply must not outlive the delegate it would call.
    if (replied_) *replied_ = true;
}

QString AppDelegate::storePath() const {
    return QDir(parts_.config.directory()).filePath(QStringLiteral("store.sqlite"));
}

void AppDelegate::applicationDidFinishLaunching() {
    parts_.config.load();
    parts_.store.open(storePath());
    parts_.store.purge(parts_.config.config().retentionDays);
    if (hooks_.setupMenuBar) hooks_.setupMenuBar();
    applyLoginItem();
    parts_.status.start();
    if (!parts_.config.config().paused) parts_.capture.start();
    parts_.outbox.start();
    purgeTimer_.start(purgeIntervalMs);

    // Welcomed before and still able to read windows: nothing to show. A store that is not open
    // has no answer, and the welcome shows.
    const bool welcomed = parts_.store.metaValue(QStringLiteral("welcomed")).has_value();
    const bool trusted = hooks_.trusted && hooks_.trusted();
    if (welcomed && trusted) return;
    if (hooks_.showWelcome) hooks_.showWelcome();
}

AppDelegate::TerminateReply AppDelegate::applicationShouldTerminate() {
    parts_.capture.stop(QStringLiteral("quit"));
    parts_.outbox.flush();
    if (parts_.outbox.sending().isEmpty()) return TerminateReply::now;

    // The outbox's idle call and the fallback race; the flag lets only the first one through,
    // and a reply after the delegate is gone does nothing.
    auto done = std::make_shared<bool>(false);
    replied_ = done;
    auto once = [this, done] {
        if (*done) return;
        *done = true;
        reply();
    };
    parts_.outbox.onIdle = [this, once] {
        // Called from inside the outbox's bookkeeping: answer once it has finished.
        QMetaObject::invokeMethod(this, once, Qt::QueuedConnection);
    };
    QTimer::singleShot(quitWaitMs, this, once);
    return TerminateReply::later;
}

void AppDelegate::applicationWillTerminate() {
    purgeTimer_.stop();
    parts_.outbox.onIdle = nullptr;
    parts_.store.close();
}

void AppDelegate::quit() {
    if (terminating_) return;  // a second request (menu, signal, session end) joins the first
    terminating_ = true;
    if (applicationShouldTerminate() == TerminateReply::now) {
        replied_ = std::make_shared<bool>(true);
        reply();
    }
}

void AppDelegate::reply() {
    applicationWillTerminate();
    if (hooks_.terminate) hooks_.terminate();
}

void AppDelegate::open(const QStringList& links) {
    for (const QString& link : links) {
        if (hooks_.handleLink) hooks_.handleLink(link);
    }
}

void AppDelegate::setPaused(bool paused) {
    DeploymentConfig config = parts_.config.config();
    config.paused = paused;
    parts_.config.save(config);
    // Capture follows what was saved: a save that failed (said in the settings' lastError)
    // must not leave capture stopped while everything reads as running.
    if (parts_.config.config().paused) {
        parts_.capture.stop(QStringLiteral("pause"));
    } else {
        parts_.capture.start();
    }
    parts_.status.refresh();
}

void AppDelegate::deleteLocalData() {
    if (!hooks_.confirmDelete || !hooks_.confirmDelete()) return;
    parts_.store.deleteAll();
    // The activity log is local data too: the promise covers the moments kept in memory.
    parts_.events.clear();
    parts_.outbox.flush();
    parts_.status.refresh();
}

void AppDelegate::applyLoginItem() {
    const bool wanted = parts_.config.config().startAtLogin;
    QString error;
    bool ok = true;
    if (wanted && !parts_.loginItem.enabled()) {
        ok = parts_.loginItem.registerItem(&error);
    } else if (!wanted && parts_.loginItem.exists()) {
        ok = parts_.loginItem.unregisterItem(&error);
    }
    if (!ok) SystemLog::write(QStringLiteral("Tarnwhistle: login item change failed: ") + error);
}

}  // namespace tarnwhistle
