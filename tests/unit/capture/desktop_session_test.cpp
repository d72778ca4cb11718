// Which session the agent finds itself in, and the sentence that says what it cannot see.
#include <gtest/gtest.h>

#include <tuple>

#include "capture/desktop_session.h"

using namespace DesktopSession;

// The session type decides (an X display under Wayland is not the desktop), and one sentence names
// what is missing.
TEST(DesktopSessionTest, DetectionAndTheSentenceOfWhatIsMissing) {
    const std::tuple<Facts, bool, Kind> cases[] = {
        {{"x11", "wayland-0", ":0", {"org.kde.KWin"}}, true, Kind::x11},
        {{"", "", ":0", {}}, false, Kind::x11},
        {{"tty", "", "", {}}, false, Kind::none},
        // XWayland's display is there too, but it shows only a part of the desktop.
        {{"wayland", "wayland-1", ":0", {}}, true, Kind::wlroots},
        {{"", "wayland-1", ":0", {}}, false, Kind::otherWayland},
        {{"Wayland", "", "", {"org.kde.KWin"}}, false, Kind::kde},
        {{"wayland", "wayland-0", ":0", {"org.gnome.Shell"}}, true, Kind::gnome},
    };
    for (const auto& [facts, wlroots, kind] : cases)
        EXPECT_EQ(detect(facts, wlroots), kind)
            << facts.sessionType.toStdString() << " " << facts.waylandDisplay.toStdString();
    EXPECT_EQ(unavailableSentence(capabilities(Kind::x11)), QString());
    EXPECT_EQ(unavailableSentence(capabilities(Kind::wlroots)),
              QStringLiteral("This desktop does not let Tarnwhistle see screen lock, typing and "
                             "clicks, window text and window pictures."));
    EXPECT_EQ(unavailableSentence(capabilities(Kind::x11) & ~Capabilities(Capability::idle)),
              QStringLiteral("This desktop does not let Tarnwhistle see idle time."));
}
