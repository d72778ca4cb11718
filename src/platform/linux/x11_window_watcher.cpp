#include "platform/linux/x11_window_watcher.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QSet>

#include "capture/application_id.h"

namespace tarnwhistle {

X11WindowWatcher::X11WindowWatcher(X11Connection& connection, DesktopFileIndex& index,
                                   QObject* parent)
    : QObject(parent), x_(connection), index_(index) {
    noneTimer_.setSingleShot(true);
    noneTimer_.setInterval(noneDebounceMs);
    connect(&noneTimer_, &QTimer::timeout, this, &X11WindowWatcher::clearActive);
}

void X11WindowWatcher::start() {
    if (!x_.ok()) return;
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    // The root may already carry another event mask of ours (none today); PropertyChange is
    // all the active-window tracking needs.
    xcb_change_window_attributes(x_.raw(), x_.root(), XCB_CW_EVENT_MASK, &mask);
    readActive();
}

void X11WindowWatcher::reset() {
    noneTimer_.stop();
    {
        QMutexLocker lock(&mutex_);
        active_.reset();
    }
    announced_.reset();
    described_.clear();
}

bool X11WindowWatcher::handle(xcb_generic_event_t* event) {
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
    auto* e = reinterpret_cast<xcb_property_notify_event_t*>(event);
    if (e->window == x_.root()) {
        if (e->atom == x_.atom("_NET_ACTIVE_WINDOW")) readActive();
        return true;
    }
    QMutexLocker lock(&mutex_);
    if (active_ && e->window == active_->window &&
        (e->atom == x_.atom("_NET_WM_NAME") || e->atom == XCB_ATOM_WM_NAME)) {
        lock.unlock();
        const QString title = x_.title(e->window);
        lock.relock();
        if (active_ && active_->window == e->window) active_->title = title;
    }
    return true;
}

void X11WindowWatcher::readActive() {
    const auto window = x_.windowProperty(x_.root(), "_NET_ACTIVE_WINDOW");
    if (!window || *window == XCB_WINDOW_NONE) {
        if (!noneTimer_.isActive()) noneTimer_.start();
        return;
    }
    noneTimer_.stop();
    setActive(*window);
}

void X11WindowWatcher::setActive(xcb_window_t window) {
    xcb_window_t previous = XCB_WINDOW_NONE;
    {
        QMutexLocker lock(&mutex_);
        if (active_) previous = active_->window;
    }
    if (previous != window) {
        // Title changes of the active window only.
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(x_.raw(), window, XCB_CW_EVENT_MASK, &mask);
        if (previous != XCB_WINDOW_NONE) {
            const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
            xcb_change_window_attributes(x_.raw(), previous, XCB_CW_EVENT_MASK, &none);
        }
    }
    ActiveWindow active{window, describe(window), x_.title(window)};
    active.app.window = window;
    {
        QMutexLocker lock(&mutex_);
        active_ = active;
    }
    if (!announced_ || announced_->pid != active.app.pid ||
        announced_->bundleId != active.app.bundleId) {
        announced_ = active.app;
        emit activated(active.app);
    }
}

void X11WindowWatcher::clearActive() {
    xcb_window_t previous = XCB_WINDOW_NONE;
    {
        QMutexLocker lock(&mutex_);
        if (active_) previous = active_->window;
        active_.reset();
    }
    if (previous != XCB_WINDOW_NONE) {
        const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
        xcb_change_window_attributes(x_.raw(), previous, XCB_CW_EVENT_MASK, &none);
        xcb_flush(x_.raw());
    }
    const bool wasAnnounced = announced_.has_value();
    announced_.reset();
    if (wasAnnounced) emit noneActive();
}

std::optional<RunningApplication> X11WindowWatcher::frontmost() const {
    QMutexLocker lock(&mutex_);
    if (!active_) return std::nullopt;
    return active_->app;
}

QList<RunningApplication> X11WindowWatcher::clients() {
    QList<RunningApplication> apps;
    if (!x_.ok()) return apps;
    QSet<QString> seen;
    const qint64 ownPid = QCoreApplication::applicationPid();
    for (xcb_window_t window : x_.windowList(x_.root(), "_NET_CLIENT_LIST")) {
        const RunningApplication app = describe(window);
        if (app.bundleId.isEmpty() || seen.contains(app.bundleId) || app.pid == ownPid) continue;
        seen.insert(app.bundleId);
        apps.append(app);
    }
    return apps;
}

std::optional<X11WindowWatcher::ActiveWindow> X11WindowWatcher::activeWindow() const {
    QMutexLocker lock(&mutex_);
    return active_;
}

RunningApplication X11WindowWatcher::describe(xcb_window_t window) {
    // The server hands a closed client's window ids to later clients, so the process is read
    // every time and a cached description only counts for the same process. The server's own
    // knowledge of the client comes first: a sandboxed application's _NET_WM_PID is a number
    // of its own namespace and may name an unrelated process here.
    std::optional<qint64> known = x_.clientPid(window);
    if (!known) known = x_.cardinal(window, "_NET_WM_PID");
    const qint64 pid = known.value_or(0);
    if (auto it = described_.constFind(window); it != described_.constEnd() && it->pid == pid)
        return *it;
    RunningApplication app;
    app.pid = pid;
    ApplicationId::Identity identity;
    if (auto wmClass = x_.property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING)) {
        const QList<QByteArray> parts = wmClass->split('\0');
        if (parts.size() > 0) identity.wmInstance = QString::fromLocal8Bit(parts[0]);
        if (parts.size() > 1) identity.wmClass = QString::fromLocal8Bit(parts[1]);
    }
    if (auto gtk = x_.property(window, x_.atom("_GTK_APPLICATION_ID"), x_.atom("UTF8_STRING")))
        identity.gtkApplicationId = QString::fromUtf8(*gtk);
    std::optional<DesktopFileIndex::Entry> entry = index_.byId(identity.gtkApplicationId);
    if (!entry) entry = index_.find(identity.wmInstance, identity.wmClass);
    if (entry) identity.desktopId = entry->id;
    app.bundleId = ApplicationId::resolve(identity);
    app.name = entry ? entry->name : identity.wmClass;
    // Windows come and go; the cache only has to outlive the typical working set.
    if (described_.size() > 512) described_.clear();
    described_.insert(window, app);
    return app;
}

}  // namespace tarnwhistle
