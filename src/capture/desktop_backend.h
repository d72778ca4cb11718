// The desktop as the capture loop sees it: exactly the facilities Capture needs and nothing
// more. One implementation talks to the real desktop (X11, AT-SPI, D-Bus, OCR); the tests use
// a scripted fake.
//
// Threading: everything is called and every signal is emitted on the main thread, except
// snapshot() and textSample(), which run on the window-poll worker, and screenshotText(),
// which runs on the recognition worker. Those three never touch the engine.
//
// When the display goes away the backend says so (displayLost), observes nothing and knows no
// idle time until it is back (displayRestored); it reconnects by itself.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

// A running application with a window in front.
struct RunningApplication {
    qint64 pid = 0;
    QString bundleId;  // the application id; empty when it has none
    QString name;      // localised name; empty when it has none
    quint64 window = 0;  // the window in front; 0 when unknown

    bool operator==(const RunningApplication&) const = default;
};

// What the accessibility interface says about an application's front window.
struct Snapshot {
    QString title;                        // empty when it has none
    std::optional<QString> documentPath;  // the document the window names
    std::optional<QString> url;           // browsers only
    bool passwordFocused = false;         // the focused element is a password field

    bool operator==(const Snapshot&) const = default;
};

// One input event in another application. Only these facts ever leave the backend: key codes
// and characters are never handed on.
struct InputEvent {
    enum class Kind { leftDown, rightDown, keyDown, scroll };
    Kind kind = Kind::keyDown;
    bool isBackspace = false;  // key down of the delete-backwards key
    bool isPaste = false;      // key down of V with the paste modifier held

    bool operator==(const InputEvent&) const = default;
};

// A bounded text sample of a window.
struct TextSample {
    QString text;
    bool passwordField = false;  // the window holds a password field (never read)
};

class DesktopBackend : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~DesktopBackend() override = default;

    // The application whose window is in front, if any.
    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    // Applications with a window and an application id, once each (for picking exclusions).
    virtual QList<RunningApplication> runningApplications() = 0;
    // Whether window contents may be read (the accessibility interface answers and is on).
    virtual bool isAccessibilityTrusted() = 0;

    // Starts delivering inputEvent(); false when it cannot (yet). Needs no accessibility.
    virtual bool installInputMonitor() = 0;
    virtual void removeInputMonitor() = 0;

    // A counter that moves each time something new is put on the clipboard (clipboardChanged()
    // says when), and the kinds of data (type names) the newest clipboard offers. Never the
    // contents.
    virtual quint64 clipboardChangeCount() = 0;
    virtual QStringList clipboardTypes() = 0;

    // Seconds since the last input event of any kind, from any device; absent while unknown
    // (no display).
    virtual std::optional<double> secondsSinceLastInput() = 0;

    // Whether a snapshot may reuse what an earlier read of the same window found.
    enum class Reading { mayReuse, fresh };
    // Window-poll worker only. Absent when the application shows no window.
    virtual std::optional<Snapshot> snapshot(qint64 pid, const QString& bundleId,
                                             Reading reading) = 0;
    // Window-poll worker only. The bounded text sample of the focused window; may be empty.
    virtual TextSample textSample(qint64 pid, const QString& bundleId, int maxChars,
                                  int maxNodes) = 0;
    // Recognition worker only. Text recognised in a picture of `window` (else of the process's
    // first suitable window); empty on any failure.
    virtual QString screenshotText(qint64 pid, quint64 window, int maxChars) = 0;

signals:
    void applicationActivated(const RunningApplication& app);
    // Nothing we can name is in front (the desktop itself, or a window of another display
    // server): time belongs to no application.
    void noFrontApplication();
    void clipboardChanged();
    void displayLost();
    void displayRestored();
    void inputEvent(const InputEvent& event);
    void screenLocked();
    void screenUnlocked();
    void willSleep();
    void didWake();
};
