#include "platform/wayland/wayland_idle.h"

#include <wayland-client.h>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"
#include "platform/wayland/wayland_connection.h"

namespace tarnwhistle {

struct WaylandIdleEvents {
    static WaylandIdle& self(void* data) { return *static_cast<WaylandIdle*>(data); }
    static void idled(void* data, ext_idle_notification_v1*) { self(data).idled(); }
    static void resumed(void* data, ext_idle_notification_v1*) { self(data).resumed(); }
    static constexpr ext_idle_notification_v1_listener listener = {idled, resumed};
    static void kdeIdle(void* data, org_kde_kwin_idle_timeout*) { self(data).idled(); }
    static void kdeResumed(void* data, org_kde_kwin_idle_timeout*) { self(data).resumed(); }
    static constexpr org_kde_kwin_idle_timeout_listener kdeListener = {kdeIdle, kdeResumed};
};

WaylandIdle::WaylandIdle(WaylandConnection& connection, QObject* parent)
    : QObject(parent), connection_(connection) {
    wl_seat* seat = connection_.seat();
    if (!seat) return;
    notifier_ =
        static_cast<ext_idle_notifier_v1*>(connection_.bind(&ext_idle_notifier_v1_interface, 1));
    if (notifier_) {
        notification_ = ext_idle_notifier_v1_get_idle_notification(notifier_, graceMs, seat);
        ext_idle_notification_v1_add_listener(notification_, &WaylandIdleEvents::listener, this);
    } else if ((kdeIdle_ = static_cast<org_kde_kwin_idle*>(
                    connection_.bind(&org_kde_kwin_idle_interface, 1)))) {
        kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(kdeIdle_, seat, graceMs);
        org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &WaylandIdleEvents::kdeListener, this);
    } else {
        return;
    }
    connect(&connection_, &WaylandConnection::lost, this, &WaylandIdle::release);
    connection_.flush();
}

WaylandIdle::~WaylandIdle() {
    if (connection_.ok()) release();
    connection_.flush();
}

void WaylandIdle::idled() {
    idle_ = true;
    idleSince_.start();
}

void WaylandIdle::resumed() {
    idle_ = false;
}

std::optional<double> WaylandIdle::secondsSinceLastInput() {
    if (!connection_.ok() || !ok()) return std::nullopt;
    if (!idle_) return 0.0;
    return (idleSince_.elapsed() + graceMs) / 1000.0;
}

void WaylandIdle::release() {
    if (notification_) ext_idle_notification_v1_destroy(notification_);
    if (notifier_) ext_idle_notifier_v1_destroy(notifier_);
    if (kdeTimeout_) org_kde_kwin_idle_timeout_release(kdeTimeout_);
    if (kdeIdle_) org_kde_kwin_idle_destroy(kdeIdle_);
    notification_ = nullptr;
    notifier_ = nullptr;
    kdeTimeout_ = nullptr;
    kdeIdle_ = nullptr;
}

}  // namespace tarnwhistle
