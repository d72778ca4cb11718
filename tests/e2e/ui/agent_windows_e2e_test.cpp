// The windows of the real agent process: the welcome window at first start, then Settings and
// the Activity Log opened from the tray menu, each saved as a picture of the window.
#include <QDir>
#include <QFile>
#include <QImage>
#include <csignal>
#include <tuple>

#include "agent_fixture.h"
#include "desktop_driver.h"

using DesktopDriver::waitUntil;

namespace {

// A picture of one window of the agent, as the X server has it.
bool saveWindow(quint32 window, const QString& name) {
    QDir().mkpath(QStringLiteral(E2E_OUTPUT_DIR));
    const QString path = QDir(QStringLiteral(E2E_OUTPUT_DIR)).filePath(name);
    QFile::remove(path);
    DesktopDriver::run(QStringLiteral("import"),
                       {QStringLiteral("-window"), QString::number(window), path});
    return !QImage(path).isNull();
}

}  // namespace

TEST_F(AgentTest, WelcomeSettingsAndActivityLogOfTheRunningAgent) {
    ASSERT_TRUE(startAgent());
    // Not welcomed yet: the welcome window comes up by itself.
    ASSERT_TRUE(waitUntil([&] { return !windows().empty(); }, 20000));
    DesktopDriver::spin(500);
    const QRect welcome = geometry(windows().back());
    EXPECT_EQ(welcome.size(), QSize(640, 700));
    EXPECT_TRUE(find(read(screenshot(QStringLiteral("ui-welcome")), welcome), QStringLiteral("Never")));
    EXPECT_TRUE(saveWindow(windows().back(), QStringLiteral("ui-agent-welcome.png")));

    for (const auto& [item, file, size] :
         {std::tuple{"Settings", "ui-agent-settings.png", QSize(900, 660)},
          std::tuple{"Activity", "ui-agent-activity.png", QSize(960, 640)}}) {
        const size_t before = windows().size();
        const QRect menu = openMenu();
        ASSERT_FALSE(menu.isEmpty());
        const auto entry = find(read(screenshot(QStringLiteral("ui-menu")), menu),
                                QString::fromLatin1(item));
        ASSERT_TRUE(entry) << item;
        click(entry->box.center());
        ASSERT_TRUE(waitUntil([&] { return windows().size() > before; }, 10000)) << item;
        DesktopDriver::spin(800);
        EXPECT_EQ(geometry(windows().back()).size(), size) << item;
        EXPECT_TRUE(saveWindow(windows().back(), QString::fromLatin1(file)));
    }
    EXPECT_GE(stopAgent(SIGTERM), 0);
}
