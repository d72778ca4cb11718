// The real agent executable on the headless desktop: started with its own data and settings
// folders, found in the tray, looked at (screen pictures, text read from them) and clicked.
#pragma once

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

#include "config/deployment_config.h"

struct Word {
    QString text;
    QRect box;  // in screen coordinates
};

class AgentTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The folders the agent keeps its data and autostart entry in.
    QString dataDir() const;
    QString autostartFile() const;
    QProcessEnvironment environment() const;

    // Writes the settings file before the agent starts (defaults, changed by `change`).
    void writeConfig(const std::function<void(DeploymentConfig&)>& change);
    std::optional<DeploymentConfig> savedConfig() const;

    // Starts the agent; false when it did not show its tray icon within 20 s. `startMs` is the
    // time from starting the process to the icon being on screen.
    // `wrapper` is a command line the agent runs under (it must exec the agent in its place).
    bool startAgent(const QStringList& arguments = {}, const QStringList& wrapper = {});
    // Sends a signal and waits for the end; the time it took (ms), or -1 when it did not end
    // within `timeoutMs`.
    qint64 stopAgent(int signal, int timeoutMs = 15000);
    // Waits for the agent to end by itself; -1 when it does not within `timeoutMs`.
    qint64 waitForExit(int timeoutMs);

    // The agent's visible windows other than the tray icon, newest last.
    std::vector<quint32> windows() const;
    QRect geometry(quint32 window) const;
    QRect trayIcon() const;

    // A picture of the whole screen, also saved under build/e2e/agent/<name>.png.
    QImage screenshot(const QString& name) const;
    // The colour of the status dot in the tray icon on screen.
    QColor dotColor(const QImage& screen) const;
    // Words read from `area` of `screen`.
    std::vector<Word> read(const QImage& screen, const QRect& area) const;
    std::optional<Word> find(const std::vector<Word>& words, const QString& text) const;

    // Opens the tray menu with a click; its on-screen rectangle, empty when none showed.
    QRect openMenu();
    void click(const QPoint& point) const;
    void key(const QString& keys) const;

    QTemporaryDir home_;
    QProcess agent_;
    qint64 startMs = -1;
    quint32 tray_ = 0;
};
