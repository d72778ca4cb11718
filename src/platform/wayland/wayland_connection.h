// The agent's own connection to the Wayland compositor, separate from the one Qt keeps for the
// agent's windows: its events are read when a socket notifier says the socket is readable and
// dispatched on the main thread. Knows the compositor's globals and binds them on request.
// When the compositor goes away (or breaks the connection) the connection says so once
// (lost()) and stays dead; nothing of it may be used after that but ok().
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <map>
#include <memory>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_interface;
class QSocketNotifier;

namespace tarnwhistle {

class WaylandConnection : public QObject {
    Q_OBJECT
  public:
    // Connects to the socket `name` (empty: $WAYLAND_DISPLAY) and learns the globals.
    explicit WaylandConnection(const QByteArray& name = {}, QObject* parent = nullptr);
    ~WaylandConnection() override;

    bool ok() const { return display_ != nullptr; }
    bool offers(const QString& interface) const { return globals_.count(interface) > 0; }

    // Binds the global of `interface` at the lower of `maxVersion` and its own; null when the
    // compositor does not offer it.
    void* bind(const wl_interface* interface, quint32 maxVersion);
    // The first seat, bound on first use; null without one.
    wl_seat* seat();

    // Sends what is queued and waits until the compositor has answered everything so far.
    bool roundtrip();
    void flush();

  signals:
    // Every event read so far has been handled: one change the compositor sent in several
    // batches (focus leaving one window, then reaching another) is complete by now.
    void dispatched();
    void lost();

  private:
    void readEvents();
    void fail();
    static void global(void* data, wl_registry* registry, quint32 name, const char* interface,
                       quint32 version);
    static void globalRemove(void* data, wl_registry* registry, quint32 name);

    struct Global {
        quint32 name = 0;
        quint32 version = 0;
    };
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    std::map<QString, Global> globals_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tarnwhistle
