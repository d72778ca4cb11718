// The desktop backend of the session the agent runs in, chosen by the platform library
// (src/platform/<name>) when first asked, on the main thread.
#pragma once

#include "capture/desktop_backend.h"
#include "capture/desktop_session.h"

namespace tarnwhistle {

namespace PlatformBackend {
DesktopBackend& shared();
// The session shared() was chosen for, and what it can see there.
DesktopSession::Kind sessionKind();
DesktopSession::Capabilities capabilities();
// On KDE and GNOME: whether the agent's helper inside the compositor has answered (the KWin
// script runs; the GNOME Shell extension is switched on). True where no helper is needed.
bool compositorHelperAnswered();
// Asks the desktop to switch that helper on where the user can (the GNOME Shell extension).
void switchOnCompositorHelper();
}  // namespace PlatformBackend

}  // namespace tarnwhistle
