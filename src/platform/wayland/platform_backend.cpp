// Chooses the desktop backend for the session the agent was started in: the X11 backend on an
// X11 session, the wlroots route on a wlroots compositor, the agent's helper inside KWin or
// GNOME Shell there, and nothing on any other Wayland compositor, so that XWayland windows are
// never taken for the whole desktop.
#include "capture/platform_backend.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QProcess>

#include "platform/linux/linux_desktop_backend.h"
#include "platform/wayland/compositor_session.h"
#include "platform/wayland/gnome_shell_extension.h"
#include "platform/wayland/wlroots_session.h"

namespace tarnwhistle {

namespace {

struct Chosen {
    DesktopBackend backend;
    CompositorSession* compositor = nullptr;
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
    chosen.kind = DesktopSession::detect(facts, false);
    if (chosen.kind == Kind::x11) {
        chosen.backend = *new LinuxDesktopBackend;
        chosen.capabilities = DesktopSession::capabilities(Kind::x11);
    } else if (chosen.kind == Kind::otherWayland) {
        // A compositor not known by its name on the bus is wlroots when it offers the protocol.
        static std::unique_ptr<WlrootsSession> wlroots = WlrootsSession::connect(
            {}, QGuiApplication::desktopFileName(), QCoreApplication::applicationPid());
        if (wlroots) {
            chosen.kind = DesktopSession::detect(facts, true);
            chosen.backend = *wlroots;
            chosen.capabilities = wlroots->capabilities();
        }
    } else if (chosen.kind == Kind::kde || chosen.kind == Kind::gnome) {
        static std::unique_ptr<CompositorSession> compositor = CompositorSession::start(
            chosen.kind == Kind::kde ? CompositorSession::Compositor::kwin
                                     : CompositorSession::Compositor::gnome);
        if (compositor) {
            chosen.compositor = compositor.get();
            chosen.backend = *compositor;
            chosen.capabilities = compositor->capabilities();
        }
    }
    // Anywhere else there is no route in: without the window in front or idle time, lock and
    // sleep alone would only frame presence that nobody observed, so nothing is watched.
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
bool PlatformBackend::compositorHelperAnswered() {
    const Chosen& c = chosen();
    const bool needed =
        c.kind == DesktopSession::Kind::kde || c.kind == DesktopSession::Kind::gnome;
    return !needed || (c.compositor && c.compositor->helperAnswered());
}

void PlatformBackend::switchOnCompositorHelper() {
    if (chosen().kind != DesktopSession::Kind::gnome) return;
    QProcess::startDetached(QStringLiteral("gnome-extensions"),
                            {QStringLiteral("enable"),
                             QString::fromLatin1(GnomeShellExtension::uuid)});
}

}  // namespace tarnwhistle
