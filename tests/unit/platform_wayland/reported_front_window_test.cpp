// What a compositor's helper reports: the "no window" it passes through between two windows
// is no gap, a new title is no activation, and what it hands on is bounded.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "platform/linux/desktop_file_index.h"
#include "platform/wayland/compositor_report_service.h"
#include "platform/wayland/reported_front_window.h"

namespace {

// Runs the event loop until `done` or `limitMs` have passed.
void spinUntil(const std::function<bool()>& done, int limitMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST(ReportedFrontWindowTest, TitleChangesAndPassingGapsAreNoActivations) {
    CompositorReportService service(QStringLiteral("org.kde.KWin"), QDBusConnection(QString()));
    DesktopFileIndex index(QStringList{QStringLiteral("/nonexistent")});
    ReportedFrontWindow front(service, index);
    QStringList activated;
    int noFront = 0;
    front.frontWatch.activated = [&](const RunningApplication& app) { activated << app.bundleId; };
    front.frontWatch.noFront = [&] { ++noFront; };

    service.WindowActivated(QStringLiteral("org.example.Notes"), {}, QStringLiteral("a.txt"), 7);
    service.WindowActivated(QStringLiteral("org.example.Notes"), {}, QStringLiteral("b.txt"), 7);
    EXPECT_EQ(activated, QStringList{QStringLiteral("org.example.Notes")});
    EXPECT_EQ(front.frontTitle(7), QStringLiteral("b.txt"));
    EXPECT_FALSE(front.frontTitle(8).has_value());  // another process is not in front

    // KWin says "none" on the way from one window to the next.
    service.NoWindow();
    service.WindowActivated({}, QStringLiteral("foot"), QStringLiteral("~"), 9);
    spinUntil([] { return false; }, 3 * ReportedFrontWindow::noWindowDelayMs);
    EXPECT_EQ(noFront, 0);
    EXPECT_EQ(activated.size(), 2);

    // A lasting "none" (the desktop itself) leaves nothing in front.
    service.NoWindow();
    spinUntil([&] { return noFront > 0; });
    EXPECT_EQ(noFront, 1);
    EXPECT_FALSE(front.frontmostApplication().has_value());
    EXPECT_FALSE(front.frontTitle(9).has_value());
}

TEST(CompositorReportServiceTest, BoundsWhatAHelperHandsOn) {
    CompositorReportService service(QStringLiteral("org.gnome.Shell"), QDBusConnection(QString()));
    ReportedWindow window;
    QStringList types;
    QObject::connect(&service, &CompositorReportService::windowReported,
                     [&](const ReportedWindow& w) { window = w; });
    QObject::connect(&service, &CompositorReportService::clipboardReported,
                     [&](const QStringList& t) { types = t; });
    service.WindowActivated(QString(5000, QLatin1Char('d')), QStringLiteral("c"),
                            QString(100000, QLatin1Char('t')), -5);
    EXPECT_EQ(window.desktopId.size(), CompositorReportService::maxTitle);
    EXPECT_EQ(window.title.size(), CompositorReportService::maxTitle);
    EXPECT_EQ(window.pid, 0);
    service.ClipboardChanged(QStringList(1000, QString(1000, QLatin1Char('x'))));
    ASSERT_EQ(types.size(), CompositorReportService::maxTypes);
    EXPECT_EQ(types.front().size(), CompositorReportService::maxTypeLength);
}

}  // namespace
