// The real agent executable on the headless desktop: started with its own data and settings
// folders, found in the tray, looked at (screen pictures, text read from them) and clicked.
#pragma once

#include <gtest/gtest.h>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QTemporaryDir>
#include <optional>
#include <vector>

#include "config/deployment_config.h"

class AgentTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The environment that points the agent to its own data and settings folders; the settings
    // it saved there.
    QProcessEnvironment environment() const;
    std::optional<DeploymentConfig> savedConfig() const;

    // Starts the agent under `wrapper`, a command line that must exec the agent in its place;
    // false when it did not start or, when `waitForTray`, did not show its tray icon in 20 s.
    bool startAgent(const QStringList& wrapper = {}, bool waitForTray = true);
    // Sends a signal; whether the agent ended within `timeoutMs`.
    bool stopAgent(int signal, int timeoutMs = 15000);

    // The agent's visible windows other than the tray icon, newest last.
    std::vector<quint32> windows() const;
    // The newest window of the agent not among `before` and at least `minHeight` tall (a menu,
    // not a tooltip), once drawn; empty when none came.
    QRect newWindow(const std::vector<quint32>& before, int minHeight = 1);
    QRect geometry(quint32 window) const;

    // A picture of the whole screen, also saved under build/e2e/agent/<name>.png.
    QImage screenshot(const QString& name) const;
    // The colour of the status dot in the tray icon on screen.
    QColor dotColor(const QImage& screen) const;
    // Where in `area` of `screen` a word starting with `text` is read (on the screen).
    std::optional<QRect> findText(const QImage& screen, const QRect& area,
                                  const QString& text) const;

    // Opens the tray menu with a click, reads it (saving the picture as `picture`) and clicks the
    // item starting with `item`; false when there was no such item.
    bool chooseFromMenu(const QString& item, const QString& picture);
    void click(const QPoint& point) const;

    QTemporaryDir home_;
    QProcess agent_;
    quint32 tray_ = 0;
};
