#include "platform/wayland/wlroots_toplevels.h"

#include <wayland-client.h>
#include <algorithm>
#include <utility>

#include "capture/application_id.h"
#include "platform/linux/desktop_file_index.h"
#include "platform/wayland/wayland_connection.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace tarnwhistle {

namespace {
// Version 3 adds only the parent event; nothing here needs more.
constexpr quint32 managerVersion = 3;
}  // namespace

// The protocol's C callbacks, handing each event to the object.
struct WlrootsToplevelEvents {
    using Handle = zwlr_foreign_toplevel_handle_v1;
    static WlrootsToplevels::Toplevel* of(void* data, Handle* handle) {
        auto& list = static_cast<WlrootsToplevels*>(data)->toplevels_;
        const auto it = list.find(handle);
        return it == list.end() ? nullptr : &it->second;
    }
    static void title(void* data, Handle* handle, const char* title) {
        if (auto* t = of(data, handle)) t->pendingTitle = QString::fromUtf8(title);
    }
    static void appId(void* data, Handle* handle, const char* appId) {
        if (auto* t = of(data, handle)) t->pendingAppId = QString::fromUtf8(appId);
    }
    static void output(void*, Handle*, wl_output*) {}
    static void state(void* data, Handle* handle, wl_array* states) {
        auto* t = of(data, handle);
        if (!t) return;
        t->pendingActivated = false;
        const auto* entries = static_cast<const quint32*>(states->data);
        for (size_t i = 0; i < states->size / sizeof(quint32); ++i)
            if (entries[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED)
                t->pendingActivated = true;
    }
    static void done(void* data, Handle* handle) {
        static_cast<WlrootsToplevels*>(data)->done(handle);
    }
    static void closed(void* data, Handle* handle) {
        static_cast<WlrootsToplevels*>(data)->closed(handle);
    }
    static void parent(void*, Handle*, Handle*) {}
    static constexpr zwlr_foreign_toplevel_handle_v1_listener handleListener = {
        title, appId, output, output, state, done, closed, parent};

    static void toplevel(void* data, zwlr_foreign_toplevel_manager_v1*, Handle* handle) {
        static_cast<WlrootsToplevels*>(data)->added(handle);
    }
    static void finished(void* data, zwlr_foreign_toplevel_manager_v1*) {
        static_cast<WlrootsToplevels*>(data)->finished();
    }
    static constexpr zwlr_foreign_toplevel_manager_v1_listener managerListener = {toplevel,
                                                                                  finished};
};

WlrootsToplevels::WlrootsToplevels(WaylandConnection& connection, DesktopFileIndex& index,
                                   QString ownAppId, qint64 ownPid, QObject* parent)
    : QObject(parent),
      connection_(connection),
      index_(index),
      ownAppId_(std::move(ownAppId)),
      ownPid_(ownPid) {
    manager_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(
        connection_.bind(&zwlr_foreign_toplevel_manager_v1_interface, managerVersion));
    if (!manager_) return;
    zwlr_foreign_toplevel_manager_v1_add_listener(manager_, &WlrootsToplevelEvents::managerListener,
                                                  this);
    connect(&connection_, &WaylandConnection::lost, this, &WlrootsToplevels::connectionLost);
    // Focus moving from one window to another comes as two batches; deciding after each would
    // report a moment with nothing in front between them.
    connect(&connection_, &WaylandConnection::dispatched, this, [this] {
        if (std::exchange(changed_, false)) frontMayHaveChanged();
    });
    // The existing toplevels and their state arrive now, so the front window is known at once.
    connection_.roundtrip();
}

WlrootsToplevels::~WlrootsToplevels() {
    if (!connection_.ok()) return;
    for (auto& [handle, toplevel] : toplevels_) zwlr_foreign_toplevel_handle_v1_destroy(handle);
    if (manager_) {
        // The manager has no destructor request: the compositor is asked to stop sending.
        zwlr_foreign_toplevel_manager_v1_stop(manager_);
        zwlr_foreign_toplevel_manager_v1_destroy(manager_);
    }
    connection_.flush();
}

void WlrootsToplevels::added(zwlr_foreign_toplevel_handle_v1* handle) {
    toplevels_[handle].id = nextId_++;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &WlrootsToplevelEvents::handleListener,
                                                 this);
}

void WlrootsToplevels::done(zwlr_foreign_toplevel_handle_v1* handle) {
    const auto it = toplevels_.find(handle);
    if (it == toplevels_.end()) return;
    Toplevel& t = it->second;
    t.title = t.pendingTitle;
    t.appId = t.pendingAppId;
    // Another toplevel may still say it is activated until its own batch arrives: the newest
    // activation wins.
    if (t.pendingActivated && !t.activated) {
        for (auto& [other, o] : toplevels_)
            if (other != handle) o.activated = o.pendingActivated = false;
    }
    t.activated = t.pendingActivated;
    changed_ = true;
}

void WlrootsToplevels::closed(zwlr_foreign_toplevel_handle_v1* handle) {
    if (toplevels_.erase(handle) == 0) return;
    zwlr_foreign_toplevel_handle_v1_destroy(handle);
    changed_ = true;
}

void WlrootsToplevels::finished() {
    // The compositor stops reporting: what is in front can no longer be known.
    for (auto& [handle, toplevel] : toplevels_) zwlr_foreign_toplevel_handle_v1_destroy(handle);
    toplevels_.clear();
    zwlr_foreign_toplevel_manager_v1_destroy(manager_);
    manager_ = nullptr;
    changed_ = true;
}

void WlrootsToplevels::connectionLost() {
    for (auto& [handle, toplevel] : toplevels_) zwlr_foreign_toplevel_handle_v1_destroy(handle);
    toplevels_.clear();
    if (manager_) zwlr_foreign_toplevel_manager_v1_destroy(manager_);
    manager_ = nullptr;
    frontId_ = 0;
    {
        QMutexLocker lock(&titleLock_);
        titleBundle_.clear();
        title_.clear();
    }
    displayLost();
}

void WlrootsToplevels::frontMayHaveChanged() {
    const Toplevel* front = nullptr;
    for (const auto& [handle, toplevel] : toplevels_)
        if (toplevel.activated) front = &toplevel;
    const quint64 id = front && !front->appId.isEmpty() ? front->id : 0;
    const RunningApplication app = id ? application(*front) : RunningApplication{};
    {
        QMutexLocker lock(&titleLock_);
        titleBundle_ = app.bundleId;
        title_ = id ? front->title : QString();
    }
    if (id == frontId_) return;
    frontId_ = id;
    if (id)
        applicationActivated(app);
    else
        noFrontApplication();
}

RunningApplication WlrootsToplevels::application(const Toplevel& t) {
    RunningApplication app;
    app.window = t.id;
    if (!ownAppId_.isEmpty() && t.appId == ownAppId_) app.pid = ownPid_;
    // An app id is normally the desktop id; older toolkits send the WM_CLASS-like name.
    auto entry = index_.byId(t.appId);
    if (!entry) entry = index_.find(t.appId, t.appId);
    ApplicationId::Identity identity;
    identity.desktopId = entry ? entry->id : QString();
    identity.wmClass = t.appId;
    app.bundleId = ApplicationId::resolve(identity);
    app.name = entry ? entry->name : QString();
    return app;
}

std::optional<RunningApplication> WlrootsToplevels::frontmostApplication() {
    for (const auto& [handle, toplevel] : toplevels_)
        if (toplevel.id == frontId_ && !toplevel.appId.isEmpty()) return application(toplevel);
    return std::nullopt;
}

QList<RunningApplication> WlrootsToplevels::runningApplications() {
    QList<RunningApplication> out;
    for (const auto& [handle, toplevel] : toplevels_) {
        if (toplevel.appId.isEmpty() || toplevel.appId == ownAppId_) continue;
        RunningApplication app = application(toplevel);
        const bool seen = std::any_of(out.begin(), out.end(), [&](const RunningApplication& a) {
            return a.bundleId == app.bundleId;
        });
        if (!seen && !app.bundleId.isEmpty()) out << app;
    }
    return out;
}

std::optional<QString> WlrootsToplevels::frontTitle(const QString& bundleId) const {
    QMutexLocker lock(&titleLock_);
    if (bundleId.isEmpty() || bundleId != titleBundle_) return std::nullopt;
    return title_;
}

}  // namespace tarnwhistle
