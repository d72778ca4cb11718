// The desktop backend on a Linux X11 session: activation, input, clipboard and idle from the
// X server; window contents from AT-SPI on the poll worker; lock and sleep from D-Bus; window
// pictures through Composite and Tesseract on the recognition worker.
//
// The process is made non-dumpable at start-up: a core file would hold window text and pixels.
#pragma once

#include <QMutex>
#include <QTimer>
#include <memory>

#include "capture/desktop_backend.h"
#include "platform/linux/accessibility_status.h"

namespace tarnwhistle {

class X11Connection;
class X11WindowWatcher;
class X11InputMonitor;
class X11ClipboardWatcher;
class DBusLockWatcher;
class DesktopFileIndex;
class AtspiReader;
class ScreenshotReader;

// Offers every capability; the session takes what it needs (all of it on X11).
class LinuxDesktopBackend : public QObject,
                            public FrontWindowSource,
                            public IdleSource,
                            public LockSource,
                            public InputSource,
                            public ClipboardSource,
                            public WindowReader,
                            public WindowPicture {
    Q_OBJECT
public:
    // Connects to `display` (empty: $DISPLAY) at once and starts watching; check ok().
    explicit LinuxDesktopBackend(const QByteArray& display = {}, QObject* parent = nullptr);
    ~LinuxDesktopBackend() override;

    bool ok() const;
    operator DesktopBackend() { return DesktopBackend::all(*this); }

    std::optional<RunningApplication> frontmostApplication() override;
    QList<RunningApplication> runningApplications() override;
    bool isAccessibilityTrusted() override;
    bool installInputMonitor() override;
    void removeInputMonitor() override;
    quint64 clipboardChangeCount() override;
    QStringList clipboardTypes() override;
    std::optional<double> secondsSinceLastInput() override;
    std::optional<Snapshot> snapshot(qint64 pid, const QString& bundleId,
                                     Reading reading) override;
    TextSample textSample(qint64 pid, const QString& bundleId, int maxChars,
                          int maxNodes) override;
    QString screenshotText(qint64 pid, quint64 window, int maxChars) override;

    // Reconnection after the display went away: the first try after this long, each later one
    // after twice the wait before, up to the longest.
    static constexpr int firstReconnectMs = 500;
    static constexpr int longestReconnectMs = 30000;

private:
    void startWatching();
    void displayGone();
    void tryReconnect();

    QByteArray display_;
    QTimer reconnect_;
    int reconnectWaitMs_ = firstReconnectMs;
    bool inputWanted_ = false;
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

}  // namespace tarnwhistle
