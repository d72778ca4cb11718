#include "capture/desktop_session.h"

namespace tarnwhistle {

namespace DesktopSession {

Kind detect(const Facts& facts, bool wlrootsProtocols) {
    const QString type = facts.sessionType.trimmed().toLower();
    bool wayland = type == QLatin1String("wayland");
    if (type != QLatin1String("x11") && !wayland) wayland = !facts.waylandDisplay.isEmpty();
    if (!wayland) return facts.x11Display.isEmpty() ? Kind::none : Kind::x11;
    if (facts.busNames.contains(QLatin1String("org.kde.KWin"))) return Kind::kde;
    if (facts.busNames.contains(QLatin1String("org.gnome.Shell"))) return Kind::gnome;
    return wlrootsProtocols ? Kind::wlroots : Kind::otherWayland;
}

Capabilities capabilities(Kind kind) {
    using C = Capability;
    switch (kind) {
        case Kind::x11:
            return C::frontWindow | C::idle | C::lockSleep | C::inputCounts | C::clipboardTypes |
                   C::textSample | C::windowPicture;
        // No global input monitor exists under Wayland and /dev/input is never read; a window
        // picture would need the user's consent every time. wlroots names no process behind a
        // window, so its text cannot be found on the accessibility bus; sway has no lock query.
        case Kind::wlroots:
            return C::frontWindow | C::idle | C::clipboardTypes;
        case Kind::kde:
        case Kind::gnome:
            return C::frontWindow | C::idle | C::lockSleep | C::clipboardTypes | C::textSample;
        case Kind::otherWayland:
        case Kind::none:
            break;
    }
    return {};
}

QString unavailableSentence(Capabilities available) {
    using C = Capability;
    static const std::pair<C, const char*> names[] = {
        {C::frontWindow, "which window is in front"},
        {C::idle, "idle time"},
        {C::lockSleep, "screen lock"},
        {C::inputCounts, "typing and clicks"},
        {C::clipboardTypes, "clipboard copies"},
        {C::textSample, "window text"},
        {C::windowPicture, "window pictures"},
    };
    QStringList missing;
    for (const auto& [capability, name] : names)
        if (!available.testFlag(capability)) missing << QString::fromLatin1(name);
    if (missing.isEmpty()) return {};
    QString list = missing.takeLast();
    if (!missing.isEmpty())
        list = missing.join(QLatin1String(", ")) + QLatin1String(" and ") + list;
    return QStringLiteral("This desktop does not let Tarnwhistle see %1.").arg(list);
}

}  // namespace DesktopSession

}  // namespace tarnwhistle
