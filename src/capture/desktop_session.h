// Which kind of desktop session the agent runs in, and what the capture loop can know there.
// Under Wayland the X11 backend would see only XWayland windows and book their time wrongly, so
// a Wayland session never falls back to it: it gets its own sources or goes without.
#pragma once

#include <QFlags>
#include <QString>
#include <QStringList>

namespace tarnwhistle {

namespace DesktopSession {

enum class Kind {
    x11,
    wlroots,       // a compositor offering the wlroots protocols (sway and others)
    kde,           // KWin
    gnome,         // Mutter and GNOME Shell
    otherWayland,  // a Wayland compositor we have no route into
    none,          // no display at all
};

enum class Capability {
    frontWindow = 1 << 0,
    idle = 1 << 1,
    lockSleep = 1 << 2,
    inputCounts = 1 << 3,
    clipboardTypes = 1 << 4,
    textSample = 1 << 5,
    windowPicture = 1 << 6,
};
Q_DECLARE_FLAGS(Capabilities, Capability)

// What the environment and the session bus say about the session.
struct Facts {
    QString sessionType;     // XDG_SESSION_TYPE
    QString waylandDisplay;  // WAYLAND_DISPLAY
    QString x11Display;      // DISPLAY
    QStringList busNames;    // names owned on the session bus
};

// XDG_SESSION_TYPE decides when it says x11 or wayland; otherwise a Wayland socket wins over an
// X display (which would be XWayland's). Among Wayland compositors, KWin and GNOME Shell are
// known by their names on the bus; anything else counts as wlroots once its registry offers
// the wlroots toplevel protocol (the caller checks that and passes `wlrootsProtocols`).
Kind detect(const Facts& facts, bool wlrootsProtocols);

// The capabilities the session's route can offer at best.
Capabilities capabilities(Kind kind);

// One sentence naming what is unavailable, or empty when nothing is.
QString unavailableSentence(Capabilities available);

}  // namespace DesktopSession

Q_DECLARE_OPERATORS_FOR_FLAGS(DesktopSession::Capabilities)

}  // namespace tarnwhistle
