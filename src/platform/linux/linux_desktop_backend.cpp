#include "platform/linux/linux_desktop_backend.h"

#include <QDateTime>
#include <xcb/screensaver.h>

#include "capture/platform_backend.h"
#include "platform/linux/atspi_reader.h"
#include "platform/linux/dbus_lock_watcher.h"
#include "platform/linux/desktop_file_index.h"
#include "platform/linux/screenshot_reader.h"
#include "platform/linux/x11_clipboard_watcher.h"
#include "platform/linux/x11_connection.h"
#include "platform/linux/x11_input_monitor.h"
#include "platform/linux/x11_window_watcher.h"
#include "privacy/privacy.h"

LinuxDesktopBackend::LinuxDesktopBackend(QObject* parent)
    : DesktopBackend(parent),
      x_(std::make_unique<X11Connection>()),
      index_(std::make_unique<DesktopFileIndex>()),
      windows_(std::make_unique<X11WindowWatcher>(*x_, *index_)),
      input_(std::make_unique<X11InputMonitor>(*x_)),
      clipboard_(std::make_unique<X11ClipboardWatcher>(*x_)),
      locks_(std::make_unique<DBusLockWatcher>()) {
    connect(windows_.get(), &X11WindowWatcher::activated, this,
            &DesktopBackend::applicationActivated);
    connect(input_.get(), &X11InputMonitor::input, this, &DesktopBackend::inputEvent);
    connect(locks_.get(), &DBusLockWatcher::locked, this, &DesktopBackend::screenLocked);
    connect(locks_.get(), &DBusLockWatcher::unlocked, this, &DesktopBackend::screenUnlocked);
    connect(locks_.get(), &DBusLockWatcher::willSleep, this, &DesktopBackend::willSleep);
    connect(locks_.get(), &DBusLockWatcher::didWake, this, &DesktopBackend::didWake);
    locks_->start();
    if (!x_->ok()) return;
    x_->watchEvents([this](xcb_generic_event_t* event) {
        // MappingNotify goes to the input monitor and is not consumed.
        if (input_->handle(event)) return;
        if (clipboard_->handle(event)) return;
        windows_->handle(event);
    });
    windows_->start();
    clipboard_->start();
    x_->drainEvents();
}

LinuxDesktopBackend::~LinuxDesktopBackend() = default;

bool LinuxDesktopBackend::ok() const { return x_->ok(); }

std::optional<RunningApplication> LinuxDesktopBackend::frontmostApplication() {
    return windows_->frontmost();
}

QList<RunningApplication> LinuxDesktopBackend::runningApplications() {
    return windows_->clients();
}

bool LinuxDesktopBackend::isAccessibilityTrusted() { return accessibility_.trusted(); }

bool LinuxDesktopBackend::installInputMonitor() {
    const bool installed = input_->install();
    x_->drainEvents();
    return installed;
}

void LinuxDesktopBackend::removeInputMonitor() { input_->remove(); }

quint64 LinuxDesktopBackend::clipboardChangeCount() {
    x_->drainEvents();
    return clipboard_->changeCount();
}

QStringList LinuxDesktopBackend::clipboardTypes() { return clipboard_->types(); }

double LinuxDesktopBackend::secondsSinceLastInput() {
    if (!x_->ok()) return 0;
    XcbPtr<xcb_screensaver_query_info_reply_t> info(xcb_screensaver_query_info_reply(
        x_->raw(), xcb_screensaver_query_info(x_->raw(), x_->root()), nullptr));
    x_->drainEvents();
    return info ? info->ms_since_user_input / 1000.0 : 0;
}

std::optional<Snapshot> LinuxDesktopBackend::snapshot(qint64 pid, const QString& bundleId) {
    QMutexLocker lock(&atspiLock_);
    if (!atspi_) atspi_ = std::make_unique<AtspiReader>();
    const bool browser = Privacy::browsers().count(bundleId) > 0;
    // The title is the X11 one of the active window (kept fresh by its PropertyNotify); the
    // accessibility tree adds the address or document.
    const auto active = windows_->activeWindow();
    const bool ours = active && active->app.pid == pid && pid > 0;
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    if (ours && cachedWindow_ && cachedWindow_->pid == pid &&
        cachedWindow_->window == active->window && cachedWindow_->title == active->title &&
        nowMs - cachedWindow_->readAtMs < windowCacheMs) {
        return Snapshot{active->title, cachedWindow_->documentPath,
                        browser ? cachedWindow_->url : std::nullopt};
    }
    const auto info = atspi_->windowInfo(pid, browser);
    if (!ours && !info) return std::nullopt;
    Snapshot snap;
    snap.title = ours ? active->title : info->name;
    if (info) {
        snap.url = browser ? info->url : std::nullopt;
        snap.documentPath = info->documentPath;
    }
    if (ours) {
        cachedWindow_ = CachedWindow{pid, active->window, active->title, nowMs, snap.url,
                                     snap.documentPath};
    }
    return snap;
}

QString LinuxDesktopBackend::textSample(qint64 pid, const QString&, int maxChars, int maxNodes) {
    QMutexLocker lock(&atspiLock_);
    if (!atspi_) atspi_ = std::make_unique<AtspiReader>();
    return atspi_->textSample(pid, maxChars, maxNodes);
}

QString LinuxDesktopBackend::screenshotText(qint64 pid, int maxChars) {
    QMutexLocker lock(&screenshotLock_);
    if (!screenshots_) screenshots_ = std::make_unique<ScreenshotReader>();
    return screenshots_->readText(pid, maxChars);
}

DesktopBackend& PlatformBackend::shared() {
    static LinuxDesktopBackend* backend =
        new LinuxDesktopBackend;
    return *backend;
}
