// One connection to the X server with the helpers the desktop backend needs: interned atoms,
// property reads, and delivery of events on the thread that owns it (through a socket
// notifier). libxcb is thread-safe, but each thread that reads keeps its own connection so
// that events never wait in a queue nobody reads.
//
// A connection that fails (the server went away) stops its notifier at once — the dead socket
// stays readable for ever — and says so through lost(); reconnect() opens a new one.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>
#include <xcb/xcb.h>

class QSocketNotifier;

namespace tarnwhistle {

class X11Connection : public QObject {
    Q_OBJECT
public:
    // Opens a connection to `display` (empty: $DISPLAY); check ok().
    explicit X11Connection(const QByteArray& display = {}, QObject* parent = nullptr);
    ~X11Connection() override;

    bool ok() const { return connection_ != nullptr && !failed_; }
    // Replaces a failed or missing connection with a new one; true when it is up.
    bool reconnect();
    xcb_connection_t* raw() const { return connection_; }
    xcb_window_t root() const { return root_; }
    xcb_screen_t* screen() const { return screen_; }

    xcb_atom_t atom(const char* name);
    QString atomName(xcb_atom_t atom);

    // A property's raw bytes (of any type when `type` is XCB_ATOM_ANY); nullopt when unset.
    std::optional<QByteArray> property(xcb_window_t window, xcb_atom_t property,
                                       xcb_atom_t type = XCB_ATOM_ANY, bool remove = false);
    std::optional<quint32> cardinal(xcb_window_t window, const char* name);
    std::optional<xcb_window_t> windowProperty(xcb_window_t window, const char* name);
    QVector<xcb_window_t> windowList(xcb_window_t window, const char* name);
    // _NET_WM_NAME, else WM_NAME; empty when neither is set.
    QString title(xcb_window_t window);
    // The process of the local client that made `window`, as the server knows it from the
    // connection itself (X-Resource): unlike _NET_WM_PID, which a client sets as it likes and
    // which a sandboxed application sets to its own namespace's number. Absent for remote
    // clients or without the extension.
    std::optional<qint64> clientPid(xcb_window_t window);

    // Starts delivering events to `handler` from this thread's event loop.
    void watchEvents(std::function<void(xcb_generic_event_t*)> handler);
    // Handles events that an earlier reply wait already read off the socket; notices a failed
    // connection.
    void drainEvents();

signals:
    void lost();

private:
    bool open();
    void fail();

    QByteArray display_;
    bool failed_ = false;
    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    QHash<QByteArray, xcb_atom_t> atoms_;
    QHash<xcb_atom_t, QString> names_;
    QSocketNotifier* notifier_ = nullptr;
    std::function<void(xcb_generic_event_t*)> handler_;
};

// Frees an xcb reply or event when it goes out of scope.
struct XcbFree {
    void operator()(void* p) const { free(p); }
};
template <typename T>
using XcbPtr = std::unique_ptr<T, XcbFree>;

}  // namespace tarnwhistle
