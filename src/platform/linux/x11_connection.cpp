#include "platform/linux/x11_connection.h"

#include <QSocketNotifier>
#include <cstdlib>

X11Connection::X11Connection(QObject* parent) : QObject(parent) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c) xcb_disconnect(c);
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(c);
        return;
    }
    connection_ = c;
    screen_ = it.data;
    root_ = it.data->root;
}

X11Connection::~X11Connection() {
    delete notifier_;
    if (connection_) xcb_disconnect(connection_);
}

xcb_atom_t X11Connection::atom(const char* name) {
    const QByteArray key(name);
    auto it = atoms_.constFind(key);
    if (it != atoms_.constEnd()) return *it;
    if (!connection_) return XCB_ATOM_NONE;
    XcbPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, uint16_t(key.size()), name), nullptr));
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (atom != XCB_ATOM_NONE) atoms_.insert(key, atom);
    return atom;
}

QString X11Connection::atomName(xcb_atom_t atom) {
    auto it = names_.constFind(atom);
    if (it != names_.constEnd()) return *it;
    if (!connection_) return {};
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
    if (!connection_ || window == XCB_WINDOW_NONE || property == XCB_ATOM_NONE)
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

void X11Connection::watchEvents(std::function<void(xcb_generic_event_t*)> handler) {
    if (!connection_ || notifier_) return;
    handler_ = std::move(handler);
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
    connect(notifier_, &QSocketNotifier::activated, this, &X11Connection::drainEvents);
    xcb_flush(connection_);
}

void X11Connection::drainEvents() {
    if (!connection_ || !handler_) return;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        handler_(event);
        free(event);
    }
    xcb_flush(connection_);
}
