#include "platform/linux/x11_connection.h"

#include <QSocketNotifier>
#include <cstdlib>
#include <xcb/res.h>

namespace tarnwhistle {

X11Connection::X11Connection(const QByteArray& display, QObject* parent)
    : QObject(parent), display_(display) {
    open();
}

X11Connection::~X11Connection() {
    delete notifier_;
    if (connection_) xcb_disconnect(connection_);
}

bool X11Connection::open() {
    int screenNumber = 0;
    xcb_connection_t* c =
        xcb_connect(display_.isEmpty() ? nullptr : display_.constData(), &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c) xcb_disconnect(c);
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(c);
        return false;
    }
    connection_ = c;
    screen_ = it.data;
    root_ = it.data->root;
    failed_ = false;
    return true;
}

bool X11Connection::reconnect() {
    if (ok()) return true;
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (connection_) xcb_disconnect(connection_);
    connection_ = nullptr;
    screen_ = nullptr;
    root_ = XCB_WINDOW_NONE;
    // Atoms belong to a server; a new one numbers them afresh.
    atoms_.clear();
    names_.clear();
    if (!open()) return false;
    if (handler_) {
        notifier_ =
            new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
        connect(notifier_, &QSocketNotifier::activated, this, &X11Connection::drainEvents);
        xcb_flush(connection_);
    }
    return true;
}

void X11Connection::fail() {
    if (failed_) return;
    failed_ = true;
    // Inside the notifier's own signal: stop it now, delete it later.
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    emit lost();
}

xcb_atom_t X11Connection::atom(const char* name) {
    const QByteArray key(name);
    auto it = atoms_.constFind(key);
    if (it != atoms_.constEnd()) return *it;
    if (!ok()) return XCB_ATOM_NONE;
    XcbPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, uint16_t(key.size()), name), nullptr));
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (atom != XCB_ATOM_NONE) atoms_.insert(key, atom);
    return atom;
}

QString X11Connection::atomName(xcb_atom_t atom) {
    auto it = names_.constFind(atom);
    if (it != names_.constEnd()) return *it;
    if (!ok()) return {};
    XcbPtr<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(connection_, xcb_get_atom_name(connection_, atom), nullptr));
    if (!reply) return {};
    const QString name = QString::fromUtf8(xcb_get_atom_name_name(reply.get()),
                                           xcb_get_atom_name_name_length(reply.get()));
    names_.insert(atom, name);
    return name;
}

std::optional<QByteArray> X11Connection::property(xcb_window_t window, xcb_atom_t property,
                                                  xcb_atom_t type, bool remove) {
    if (!ok() || window == XCB_WINDOW_NONE || property == XCB_ATOM_NONE)
        return std::nullopt;
    // 64 KiB is far more than any title, class or target list.
    XcbPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, remove, window, property, type, 0, 16384),
        nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE) return std::nullopt;
    const int length = xcb_get_property_value_length(reply.get());
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
}

std::optional<quint32> X11Connection::cardinal(xcb_window_t window, const char* name) {
    auto bytes = property(window, atom(name), XCB_ATOM_CARDINAL);
    if (!bytes || bytes->size() < 4) return std::nullopt;
    return *reinterpret_cast<const quint32*>(bytes->constData());
}

std::optional<xcb_window_t> X11Connection::windowProperty(xcb_window_t window,
                                                          const char* name) {
    auto bytes = property(window, atom(name), XCB_ATOM_WINDOW);
    if (!bytes || bytes->size() < 4) return std::nullopt;
    return *reinterpret_cast<const xcb_window_t*>(bytes->constData());
}

QVector<xcb_window_t> X11Connection::windowList(xcb_window_t window, const char* name) {
    QVector<xcb_window_t> windows;
    auto bytes = property(window, atom(name), XCB_ATOM_WINDOW);
    if (!bytes) return windows;
    const auto* data = reinterpret_cast<const xcb_window_t*>(bytes->constData());
    for (int i = 0; i < bytes->size() / 4; ++i) windows.append(data[i]);
    return windows;
}

QString X11Connection::title(xcb_window_t window) {
    if (auto name = property(window, atom("_NET_WM_NAME"), atom("UTF8_STRING")))
        return QString::fromUtf8(*name);
    if (auto name = property(window, XCB_ATOM_WM_NAME))
        return QString::fromLatin1(*name);  // ICCCM STRING is Latin-1
    return {};
}

std::optional<qint64> X11Connection::clientPid(xcb_window_t window) {
    if (!ok() || window == XCB_WINDOW_NONE) return std::nullopt;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(connection_, &xcb_res_id);
    if (!ext || !ext->present) return std::nullopt;
    xcb_res_client_id_spec_t wanted{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    XcbPtr<xcb_res_query_client_ids_reply_t> reply(xcb_res_query_client_ids_reply(
        connection_, xcb_res_query_client_ids(connection_, 1, &wanted), nullptr));
    if (!reply) return std::nullopt;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem;
         xcb_res_client_id_value_next(&it)) {
        const auto& [answered, length] = *it.data;
        if (!(answered.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID)) continue;
        if (length < sizeof(uint32_t)) continue;  // in bytes: no pid
        const qint64 pid = *xcb_res_client_id_value_value(it.data);
        if (pid > 0) return pid;
    }
    return std::nullopt;
}

void X11Connection::watchEvents(std::function<void(xcb_generic_event_t*)> handler) {
    if (!ok() || notifier_) return;
    handler_ = std::move(handler);
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
    connect(notifier_, &QSocketNotifier::activated, this, &X11Connection::drainEvents);
    xcb_flush(connection_);
}

void X11Connection::drainEvents() {
    if (!ok()) return;
    if (handler_) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            handler_(event);
            free(event);
        }
        xcb_flush(connection_);
    }
    if (xcb_connection_has_error(connection_)) fail();
}

}  // namespace tarnwhistle
