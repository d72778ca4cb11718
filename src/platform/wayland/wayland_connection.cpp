#include "platform/wayland/wayland_connection.h"

#include <poll.h>
#include <wayland-client.h>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <utility>

namespace tarnwhistle {

WaylandConnection::WaylandConnection(const QByteArray& name, QObject* parent) : QObject(parent) {
    display_ = wl_display_connect(name.isEmpty() ? nullptr : name.constData());
    if (!display_) return;
    static const wl_registry_listener listener = {&WaylandConnection::global,
                                                  &WaylandConnection::globalRemove};
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &listener, this);
    if (!roundtrip()) return;
    notifier_ =
        std::make_unique<QSocketNotifier>(wl_display_get_fd(display_), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &WaylandConnection::readEvents);
}

WaylandConnection::~WaylandConnection() {
    notifier_.reset();
    if (!display_) return;
    if (seat_) wl_seat_destroy(seat_);
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

void WaylandConnection::global(void* data, wl_registry*, quint32 name, const char* interface,
                               quint32 version) {
    static_cast<WaylandConnection*>(data)->globals_[QString::fromLatin1(interface)] = {name,
                                                                                       version};
}

void WaylandConnection::globalRemove(void* data, wl_registry*, quint32 name) {
    auto& globals = static_cast<WaylandConnection*>(data)->globals_;
    std::erase_if(globals, [name](const auto& entry) { return entry.second.name == name; });
}

void* WaylandConnection::bind(const wl_interface* interface, quint32 maxVersion) {
    if (!display_) return nullptr;
    const auto it = globals_.find(QString::fromLatin1(interface->name));
    if (it == globals_.end()) return nullptr;
    return wl_registry_bind(registry_, it->second.name, interface,
                            std::min(maxVersion, it->second.version));
}

wl_seat* WaylandConnection::seat() {
    if (!seat_) seat_ = static_cast<wl_seat*>(bind(&wl_seat_interface, 1));
    return seat_;
}

bool WaylandConnection::roundtrip() {
    if (!display_) return false;
    if (wl_display_roundtrip(display_) < 0) {
        fail();
        return false;
    }
    emit dispatched();
    return true;
}

void WaylandConnection::flush() {
    if (display_ && wl_display_flush(display_) < 0 && errno != EAGAIN) fail();
}

void WaylandConnection::readEvents() {
    if (!display_) return;
    // Reads only what is there: a roundtrip may have taken the data the notifier saw.
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) return fail();
    }
    pollfd socket{wl_display_get_fd(display_), POLLIN, 0};
    if (poll(&socket, 1, 0) > 0) {
        if (wl_display_read_events(display_) < 0) return fail();
    } else {
        wl_display_cancel_read(display_);
    }
    if (wl_display_dispatch_pending(display_) < 0) return fail();
    flush();
    if (display_) emit dispatched();
}

void WaylandConnection::fail() {
    if (!display_) return;
    // A dead socket stays readable: left watched, it would spin the event loop.
    notifier_.reset();
    wl_display* display = std::exchange(display_, nullptr);
    globals_.clear();
    // Users destroy the objects they bound on it while it still exists.
    emit lost();
    if (seat_) wl_seat_destroy(std::exchange(seat_, nullptr));
    wl_registry_destroy(std::exchange(registry_, nullptr));
    wl_display_disconnect(display);
}

}  // namespace tarnwhistle
