// The desktop backend on a Linux X11 session: activation, input, clipboard and idle from the
// X server; window contents from AT-SPI on the poll worker; lock and sleep from D-Bus; window
// pictures through Composite and Tesseract on the recognition worker.
#pragma once

#include <QMutex>
#include <memory>

#include "capture/desktop_backend.h"
#include "platform/linux/accessibility_status.h"

class X11Connection;
class X11WindowWatcher;
class X11InputMonitor;
class X11ClipboardWatcher;
class DBusLockWatcher;
class DesktopFileIndex;
class AtspiReader;
class ScreenshotReader;

class LinuxDesktopBackend : public DesktopBackend {
    Q_OBJECT
public:
    // Connects to $DISPLAY at once and starts watching; check ok().
    explicit LinuxDesktopBackend(QObject* parent = nullptr);
    ~LinuxDesktopBackend() override;

    bool ok() const;

    std::optional<RunningApplication> frontmostApplication() override;
    QList<RunningApplication> runningApplications() override;
    bool isAccessibilityTrusted() override;
    bool installInputMonitor() override;
    void removeInputMonitor() override;
    quint64 clipboardChangeCount() override;
    QStringList clipboardTypes() override;
    double secondsSinceLastInput() override;
    std::optional<Snapshot> snapshot(qint64 pid, const QString& bundleId) override;
    QString textSample(qint64 pid, const QString& bundleId, int maxChars, int maxNodes) override;
    QString screenshotText(qint64 pid, int maxChars) override;

private:
    std::unique_ptr<X11Connection> x_;
    std::unique_ptr<DesktopFileIndex> index_;
    std::unique_ptr<X11WindowWatcher> windows_;
    std::unique_ptr<X11InputMonitor> input_;
    std::unique_ptr<X11ClipboardWatcher> clipboard_;
    std::unique_ptr<DBusLockWatcher> locks_;
    AccessibilityStatus accessibility_;

    // Made on first use by the worker that uses it: its bus connection belongs to that thread.
    // The lock keeps a stray caller from overlapping the poll worker.
    QMutex atspiLock_;
    std::unique_ptr<AtspiReader> atspi_;
    // The accessibility part of the last snapshot, reused while the same window keeps the same
    // title: an address or document rarely changes without the title changing with it, and
    // a walk of the tree on every poll would cost far more than the rest of the loop.
    struct CachedWindow {
        qint64 pid = 0;
        quint32 window = 0;
        QString title;
        qint64 readAtMs = 0;
        std::optional<QString> url, documentPath;
    };
    std::optional<CachedWindow> cachedWindow_;  // guarded by atspiLock_
    static constexpr qint64 windowCacheMs = 15000;
    QMutex screenshotLock_;
    std::unique_ptr<ScreenshotReader> screenshots_;
};
