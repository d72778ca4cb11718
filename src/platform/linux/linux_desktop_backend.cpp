#include "platform/linux/linux_desktop_backend.h"

#include <QDateTime>
#include <sys/prctl.h>
#include <xcb/screensaver.h>

#include "platform/linux/atspi_reader.h"
#include "platform/linux/dbus_lock_watcher.h"
#include "platform/linux/desktop_file_index.h"
#include "platform/linux/screenshot_reader.h"
#include "platform/linux/x11_clipboard_watcher.h"
#include "platform/linux/x11_connection.h"
#include "platform/linux/x11_input_monitor.h"
#include "platform/linux/x11_window_watcher.h"
#include "privacy/privacy.h"

namespace tarnwhistle {

LinuxDesktopBackend::LinuxDesktopBackend(const QByteArray& display, QObject* parent)
    : QObject(parent),
      display_(display),
      x_(std::make_unique<X11Connection>(display)),
      index_(std::make_unique<DesktopFileIndex>()),
      windows_(std::make_unique<X11WindowWatcher>(*x_, *index_)),
      input_(std::make_unique<X11InputMonitor>(*x_)),
      clipboard_(std::make_unique<X11ClipboardWatcher>(*x_)),
      locks_(std::make_unique<DBusLockWatcher>()) {
    // Window text and pixels pass through this process: no core file may keep them.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    connect(windows_.get(), &X11WindowWatcher::activated, this,
            [this](const RunningApplication& app) { applicationActivated(app); });
    connect(windows_.get(), &X11WindowWatcher::noneActive, this, [this] { noFrontApplication(); });
    connect(input_.get(), &X11InputMonitor::input, this,
            [this](const InputEvent& event) { inputEvent(event); });
    connect(clipboard_.get(), &X11ClipboardWatcher::changed, this, [this] { clipboardChanged(); });
    connect(locks_.get(), &DBusLockWatcher::locked, this, [this] { screenLocked(); });
    connect(locks_.get(), &DBusLockWatcher::unlocked, this, [this] { screenUnlocked(); });
    connect(locks_.get(), &DBusLockWatcher::willSleep, this, [this] { willSleep(); });
    connect(locks_.get(), &DBusLockWatcher::didWake, this, [this] { didWake(); });
    connect(x_.get(), &X11Connection::lost, this, &LinuxDesktopBackend::displayGone);
    reconnect_.setSingleShot(true);
    connect(&reconnect_, &QTimer::timeout, this, &LinuxDesktopBackend::tryReconnect);
    locks_->start();
    accessibility_.start();
    if (!x_->ok()) return;
    x_->watchEvents([this](xcb_generic_event_t* event) {
        // MappingNotify goes to the input monitor and is not consumed.
        if (input_->handle(event)) return;
        if (clipboard_->handle(event)) return;
        windows_->handle(event);
    });
    startWatching();
}

LinuxDesktopBackend::~LinuxDesktopBackend() = default;

void LinuxDesktopBackend::startWatching() {
    windows_->start();
    clipboard_->start();
    if (inputWanted_) input_->install();
    x_->drainEvents();
}

void LinuxDesktopBackend::displayGone() {
    windows_->reset();
    input_->reset();
    clipboard_->reset();
    reconnectWaitMs_ = firstReconnectMs;
    reconnect_.start(reconnectWaitMs_);
    displayLost();
}

void LinuxDesktopBackend::tryReconnect() {
    if (!x_->reconnect()) {
        reconnectWaitMs_ = std::min(2 * reconnectWaitMs_, longestReconnectMs);
        reconnect_.start(reconnectWaitMs_);
        return;
    }
    startWatching();
    if (x_->ok()) displayRestored();
}

bool LinuxDesktopBackend::ok() const { return x_->ok(); }

std::optional<RunningApplication> LinuxDesktopBackend::frontmostApplication() {
    return windows_->frontmost();
}

QList<RunningApplication> LinuxDesktopBackend::runningApplications() {
    return windows_->clients();
}

bool LinuxDesktopBackend::isAccessibilityTrusted() { return accessibility_.trusted(); }

bool LinuxDesktopBackend::installInputMonitor() {
    inputWanted_ = true;
    const bool installed = input_->install();
    x_->drainEvents();
    return installed;
}

void LinuxDesktopBackend::removeInputMonitor() {
    inputWanted_ = false;
    input_->remove();
}

quint64 LinuxDesktopBackend::clipboardChangeCount() {
    x_->drainEvents();
    return clipboard_->changeCount();
}

QStringList LinuxDesktopBackend::clipboardTypes() { return clipboard_->types(); }

std::optional<double> LinuxDesktopBackend::secondsSinceLastInput() {
    if (!x_->ok()) return std::nullopt;
    XcbPtr<xcb_screensaver_query_info_reply_t> info(xcb_screensaver_query_info_reply(
        x_->raw(), xcb_screensaver_query_info(x_->raw(), x_->root()), nullptr));
    x_->drainEvents();
    if (!info) return std::nullopt;
    return info->ms_since_user_input / 1000.0;
}

std::optional<Snapshot> LinuxDesktopBackend::snapshot(qint64 pid, const QString& bundleId,
                                                      Reading reading) {
    QMutexLocker lock(&atspiLock_);
    if (!atspi_) atspi_ = std::make_unique<AtspiReader>();
    const bool browser = Privacy::browsers().count(bundleId) > 0;
    // The title is the X11 one of the active window (kept fresh by its PropertyNotify); the
    // accessibility tree adds the address or document.
    const auto active = windows_->activeWindow();
    const bool ours = active && active->app.pid == pid && pid > 0;
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    // Focus moves without the title changing: asked on every read.
    const QString windowKey =
        ours ? QString::number(active->window) + QLatin1Char('\n') + active->title : QString();
    // A fresh read is about the address; the fields are searched again when the window or
    // its title changes.
    const QString title = ours ? active->title : QString();
    const bool passwordFocused = atspi_->passwordFocused(pid, title, windowKey, !ours);
    if (reading == Reading::mayReuse && ours && cachedWindow_ && cachedWindow_->pid == pid &&
        cachedWindow_->window == active->window && cachedWindow_->title == active->title &&
        nowMs - cachedWindow_->readAtMs < windowCacheMs) {
        return Snapshot{active->title, cachedWindow_->documentPath,
                        browser ? cachedWindow_->url : std::nullopt, passwordFocused};
    }
    const auto info = atspi_->windowInfo(pid, title, browser);
    if (!ours && !info) return std::nullopt;
    Snapshot snap;
    snap.title = ours ? active->title : info->name;
    snap.passwordFocused = passwordFocused;
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

TextSample LinuxDesktopBackend::textSample(qint64 pid, const QString&, int maxChars,
                                           int maxNodes) {
    QMutexLocker lock(&atspiLock_);
    if (!atspi_) atspi_ = std::make_unique<AtspiReader>();
    const auto active = windows_->activeWindow();
    const QString title = active && active->app.pid == pid ? active->title : QString();
    TextSample sample;
    sample.text = atspi_->textSample(pid, title, maxChars, maxNodes, &sample.passwordField);
    return sample;
}

QString LinuxDesktopBackend::screenshotText(qint64 pid, quint64 window, int maxChars) {
    QMutexLocker lock(&screenshotLock_);
    if (!screenshots_) screenshots_ = std::make_unique<ScreenshotReader>(display_);
    return screenshots_->readText(pid, window, maxChars);
}

}  // namespace tarnwhistle
