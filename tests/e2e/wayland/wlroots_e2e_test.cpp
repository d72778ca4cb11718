// Capture on a real wlroots compositor (headless sway, run by scripts/wayland-desktop): native
// Wayland windows in front give their app ids, titles, focus and switches; a copy gives its
// kind and never its contents; idle time is reported; the compositor's end is away time.
#include "platform/wayland/wlroots_session.h"
#include "wayland_capture_fixture.h"

using namespace e2e;

namespace {

// Runs a tool to its end with `input` on its standard input; whether it succeeded.
bool run(const QString& program, const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    // A tool that leaves a helper behind (wl-copy serves its selection) must not hold our pipes.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(5000)) return false;
    process.write(input);
    process.closeWriteChannel();
    return process.waitForFinished(15000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

bool focus(const QString& appId) {
    return run(QStringLiteral("swaymsg"), {QStringLiteral("[app_id=%1] focus").arg(appId)});
}

class WlrootsCapture : public WaylandCapture {
  protected:
    void SetUp() override {
        session_ = WlrootsSession::connect({}, QStringLiteral("tarnwhistle"),
                                           QCoreApplication::applicationPid());
        ASSERT_TRUE(session_) << "no wlroots compositor: run inside scripts/wayland-desktop sway";
        makeCapture(*session_);
    }
    bool inFront(const QString& bundleId) {
        return waitUntil([&] { return engine_.focusApp && engine_.focusApp->bundle == bundleId; });
    }

    std::unique_ptr<WlrootsSession> session_;
};

}  // namespace

TEST_F(WlrootsCapture, NativeWindowsCopiesIdleAndTheCompositorsEndAreSeenAsOnAnyDesktop) {
    using C = DesktopSession::Capability;
    EXPECT_EQ(session_->capabilities(), C::frontWindow | C::idle | C::clipboardTypes);
    launch(QStringLiteral("foot"), {QStringLiteral("sleep"), QStringLiteral("600")});
    QProcess& window = launch(QStringLiteral(E2E_QT_WINDOW),
                              {QStringLiteral("Quarterly plan"), QStringLiteral("Plan text")});
    // Both windows are up before capture starts, the Qt window in front.
    ASSERT_TRUE(waitUntil(
        [&] { return session_->backend().frontWindow->runningApplications().size() == 2; }));
    ASSERT_TRUE(focus(qtWindowId));
    capture_->start();
    ASSERT_TRUE(inFront(qtWindowId));

    scheduler_.skew += 30;
    ASSERT_TRUE(focus(QStringLiteral("foot")));
    ASSERT_TRUE(inFront(QStringLiteral("foot")));
    scheduler_.skew += 20;
    ASSERT_TRUE(focus(qtWindowId));
    ASSERT_TRUE(inFront(qtWindowId));
    checkFocusPeriods(qtWindowId, QStringLiteral("foot"));

    // A new title is a new window context; the compositor's title is the one observed.
    ASSERT_TRUE(waitUntil([&] { return engine_.lastObservation.has_value(); }));
    EXPECT_EQ(engine_.lastObservation->title, QStringLiteral("Quarterly plan"));
    scheduler_.skew += 10;
    window.write("title Budget review\n");
    ASSERT_TRUE(waitUntil([&] {
        return engine_.lastObservation && engine_.lastObservation->title == "Budget review";
    }));
    EXPECT_FALSE(signalsOf(QStringLiteral("window.context")).empty());

    checkCopies(
        [](const char* type) {
            ASSERT_TRUE(run(QStringLiteral("wl-copy"),
                            {QStringLiteral("--type"), QLatin1String(type)}, canary.toUtf8()));
        },
        {{"text/plain", "text"}, {"image/png", "image"}});

    // The seat may drop the first keys of a new virtual keyboard: typed until they count.
    checkIdleEndedBy([] {
        run(QStringLiteral("wtype"),
            {QStringLiteral("-s"), QStringLiteral("400"), QStringLiteral("abc")});
    });

    // The compositor goes away: away time from then on, nothing in front, idle time unknown.
    run(QStringLiteral("swaymsg"), {QStringLiteral("exit")});  // no answer comes: sway is gone
    ASSERT_TRUE(waitUntil([&] { return engine_.presence == Presence::locked; }));
    EXPECT_FALSE(engine_.focusApp.has_value());
    EXPECT_FALSE(session_->backend().idle->secondsSinceLastInput().has_value());
}
