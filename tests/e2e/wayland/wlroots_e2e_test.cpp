// Capture on a real wlroots compositor (headless sway, run by scripts/wayland-desktop): native
// Wayland windows in front give their app ids, titles, focus and switches; a copy gives its
// kind and never its contents; idle time is reported; the compositor's end is away time.
#include "platform/wayland/wlroots_session.h"
#include "wayland_capture_fixture.h"

namespace {
struct WlrootsCapture : WaylandCapture {
    std::unique_ptr<WlrootsSession> session;  // outlives the capture over it
};
}  // namespace

TEST_F(WlrootsCapture, NativeWindowsCopiesIdleAndTheCompositorsEndAreSeenAsOnAnyDesktop) {
    session = WlrootsSession::connect({}, "tarnwhistle", QCoreApplication::applicationPid());
    ASSERT_TRUE(session) << "no wlroots compositor: run inside scripts/wayland-desktop sway";
    makeCapture(*session);
    capture_->start();
    activate_ = [](const QString& title) {
        QProcess::execute("swaymsg", {"-q", QString("[title=\"%1\"] focus").arg(title)});
    };
    checkFocusSwitchAndTitle();

    // wl-copy serves the selection from a helper it leaves behind.
    checkCopies(
        [](const char* type) {
            ASSERT_EQ(QProcess::execute("wl-copy", {"--type", type, canary}), 0) << type;
        },
        {{"text/plain", "text"}, {"image/png", "image"}});

    // The seat may drop the first keys of a new virtual keyboard: typed until they count.
    checkIdleEndedBy([] { QProcess::execute("wtype", {"-s", "400", "abc"}); });

    // The compositor goes away: away time from then on, nothing in front, idle time unknown.
    QProcess::execute("swaymsg", {"-q", "exit"});  // no answer comes: sway is gone
    ASSERT_TRUE(presenceIs(Presence::locked));
    EXPECT_FALSE(engine_.focusApp.has_value());
    EXPECT_FALSE(session->backend().idle->secondsSinceLastInput().has_value());
}
