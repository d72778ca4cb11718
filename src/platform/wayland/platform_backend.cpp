// Chooses the desktop backend for the session the agent was started in: the X11 backend on an
// X11 session, the wlroots route on a wlroots compositor, the agent's helper inside KWin or
// GNOME Shell there, and on any other Wayland compositor only what D-Bus offers, so that
// XWayland windows are never taken for the whole desktop.
#include "capture/platform_backend.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>

#include "platform/linux/dbus_lock_source.h"
#include "platform/linux/linux_desktop_backend.h"
#include "platform/wayland/compositor_session.h"
#include "platform/wayland/wlroots_session.h"

namespace {

struct Chosen {
    DesktopBackend backend;
    DesktopSession::Kind kind = DesktopSession::Kind::none;
    DesktopSession::Capabilities capabilities;
};

DesktopSession::Facts sessionFacts() {
    DesktopSession::Facts facts;
    facts.sessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
    facts.waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY");
    facts.x11Display = qEnvironmentVariable("DISPLAY");
    if (auto* bus = QDBusConnection::sessionBus().interface()) {
        for (const char* name : {"org.kde.KWin", "org.gnome.Shell"})
            if (bus->isServiceRegistered(QLatin1String(name)))
                facts.busNames << QLatin1String(name);
    }
    return facts;
}

Chosen choose() {
    using DesktopSession::Kind;
    const DesktopSession::Facts facts = sessionFacts();
    Chosen chosen;
    if (DesktopSession::detect(facts, false) == Kind::otherWayland) {
        static std::unique_ptr<WlrootsSession> wlroots = WlrootsSession::connect(
            {}, QGuiApplication::desktopFileName(), QCoreApplication::applicationPid());
        if (wlroots) {
            chosen.kind = Kind::wlroots;
            chosen.backend = *wlroots;
            chosen.capabilities = wlroots->capabilities();
            return chosen;
        }
    }
    chosen.kind = DesktopSession::detect(facts, false);
    if (chosen.kind == Kind::kde || chosen.kind == Kind::gnome) {
        static std::unique_ptr<CompositorSession> compositor = CompositorSession::start(
            chosen.kind == Kind::kde ? CompositorSession::Compositor::kwin
                                     : CompositorSession::Compositor::gnome);
        if (compositor) {
            chosen.backend = *compositor;
            chosen.capabilities = compositor->capabilities();
            return chosen;
        }
    }
    chosen.capabilities = DesktopSession::capabilities(chosen.kind);
    if (chosen.kind == Kind::x11) {
        chosen.backend = *new LinuxDesktopBackend;
    } else {
        // No route into this session: lock and sleep are all that can be known.
        chosen.backend.locks = new DBusLockSource;
        chosen.capabilities = DesktopSession::Capability::lockSleep;
    }
    return chosen;
}

Chosen& chosen() {
    static Chosen instance = choose();
    return instance;
}

}  // namespace

DesktopBackend& PlatformBackend::shared() {
    return chosen().backend;
}
DesktopSession::Kind PlatformBackend::sessionKind() {
    return chosen().kind;
}
DesktopSession::Capabilities PlatformBackend::capabilities() {
    return chosen().capabilities;
}
