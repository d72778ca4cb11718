// Drives the private headless desktop from a test: starts real applications, finds their
// windows, types and clicks through XTEST (xdotool), waits on conditions while the event loop
// runs, and grabs pictures of the screen for the build folder.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace DesktopDriver {

// Runs the event loop until `condition` holds or `timeoutMs` pass; returns the condition.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
// Runs the event loop for `ms` (for periods that must pass, never to wait for an event).
void spin(int ms);

// Runs a program to its end; its standard output, trimmed. Empty when it failed.
QString run(const QString& program, const QStringList& arguments, int timeoutMs = 15000);
bool xdotool(const QStringList& arguments);

// A GUI application started by the test and stopped when this goes away.
class App {
  public:
    App(const QString& program, const QStringList& arguments);
    ~App();
    bool started() const { return window_ != 0; }
    qint64 pid() const { return process_->processId(); }
    // The process's visible window now: some applications replace their first window a moment
    // after start, so a window id found at start can be gone when it is used.
    quint32 window() const;
    QString windowArg() const { return QString::number(window()); }
    // Writes one line to its standard input.
    void send(const QString& line);
    // Makes it the active window and waits until the window manager says so.
    bool activate();

  private:
    std::unique_ptr<QProcess> process_;
    mutable quint32 window_ = 0;
};

// Saves a picture of the whole virtual screen as PNG, making its folder if need be.
bool screenshot(const QString& path);

}  // namespace DesktopDriver
