#include "platform/linux/x11_clipboard_watcher.h"

#include <xcb/xfixes.h>

namespace tarnwhistle {

X11ClipboardWatcher::X11ClipboardWatcher(X11Connection& connection, QObject* parent)
    : QObject(parent), x_(connection) {
    timeout_.setSingleShot(true);
    timeout_.setInterval(answerTimeoutMs);
    connect(&timeout_, &QTimer::timeout, this, [this] {
        if (pending_ > 0) {
            pending_ = 0;
            finish({});
        }
    });
}

X11ClipboardWatcher::~X11ClipboardWatcher() {
    if (x_.ok() && window_ != XCB_WINDOW_NONE) {
        xcb_destroy_window(x_.raw(), window_);
        xcb_flush(x_.raw());
    }
}

void X11ClipboardWatcher::reset() {
    window_ = XCB_WINDOW_NONE;
    fixesEvent_ = 0;
    pending_ = 0;
    timeout_.stop();
}

bool X11ClipboardWatcher::start() {
    if (!x_.ok() || window_ != XCB_WINDOW_NONE) return window_ != XCB_WINDOW_NONE;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(x_.raw(), &xcb_xfixes_id);
    if (!ext || !ext->present) return false;
    XcbPtr<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
        x_.raw(), xcb_xfixes_query_version(x_.raw(), 5, 0), nullptr));
    if (!version) return false;
    fixesEvent_ = ext->first_event;
    window_ = xcb_generate_id(x_.raw());
    xcb_create_window(x_.raw(), XCB_COPY_FROM_PARENT, window_, x_.root(), -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_xfixes_select_selection_input(x_.raw(), window_, x_.atom("CLIPBOARD"),
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
    xcb_flush(x_.raw());
    return true;
}

bool X11ClipboardWatcher::handle(xcb_generic_event_t* event) {
    const uint8_t type = event->response_type & 0x7f;
    if (fixesEvent_ && type == fixesEvent_ + XCB_XFIXES_SELECTION_NOTIFY) {
        auto* e = reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(event);
        if (e->window != window_) return false;
        ownerChanged(e->owner, e->selection_timestamp);
        return true;
    }
    if (type == XCB_SELECTION_NOTIFY) {
        auto* e = reinterpret_cast<xcb_selection_notify_event_t*>(event);
        if (e->requestor != window_) return false;
        targetsArrived(e->property != XCB_ATOM_NONE);
        return true;
    }
    return false;
}

void X11ClipboardWatcher::ownerChanged(xcb_window_t owner, xcb_timestamp_t time) {
    // An owner that went away cleared the clipboard; nothing was copied.
    if (owner == XCB_WINDOW_NONE) return;
    ++pending_;
    xcb_convert_selection(x_.raw(), window_, x_.atom("CLIPBOARD"), x_.atom("TARGETS"),
                          x_.atom("TARNWHISTLE_TARGETS"), time);
    xcb_flush(x_.raw());
    timeout_.start();
}

void X11ClipboardWatcher::targetsArrived(bool ok) {
    if (pending_ == 0) return;
    --pending_;
    QStringList types;
    if (ok) {
        auto bytes = x_.property(window_, x_.atom("TARNWHISTLE_TARGETS"), XCB_ATOM_ATOM, true);
        if (bytes) {
            const auto* atoms = reinterpret_cast<const xcb_atom_t*>(bytes->constData());
            for (int i = 0; i < bytes->size() / 4; ++i) {
                const QString name = x_.atomName(atoms[i]);
                if (!name.isEmpty()) types.append(name);
            }
        }
    }
    finish(types);
}

void X11ClipboardWatcher::finish(QStringList types) {
    if (pending_ == 0) timeout_.stop();
    types_ = std::move(types);
    ++changeCount_;
    emit changed();
}

}  // namespace tarnwhistle
