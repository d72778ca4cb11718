// What the front window says about itself: its title, address or document, whether a password
// field has the focus, and a bounded sample of its text. Read on the window-poll worker.
#pragma once

#include <QString>
#include <optional>

namespace tarnwhistle {

struct Snapshot {
    QString title;                        // empty when it has none
    std::optional<QString> documentPath;  // the document the window names
    std::optional<QString> url;           // browsers only
    bool passwordFocused = false;         // the focused element is a password field

    bool operator==(const Snapshot&) const = default;
};

// A bounded text sample of a window.
struct TextSample {
    QString text;
    bool passwordField = false;  // the window holds a password field (never read)
};

class WindowReader {
  public:
    virtual ~WindowReader() = default;

    // Whether window contents may be read (main thread).
    virtual bool isAccessibilityTrusted() = 0;

    // Whether a snapshot may reuse what an earlier read of the same window found.
    enum class Reading { mayReuse, fresh };
    // Window-poll worker only. Absent when the application shows no window.
    virtual std::optional<Snapshot> snapshot(qint64 pid, const QString& bundleId,
                                             Reading reading) = 0;
    // Window-poll worker only. The bounded text sample of the focused window; may be empty.
    virtual TextSample textSample(qint64 pid, const QString& bundleId, int maxChars,
                                  int maxNodes) = 0;
};

}  // namespace tarnwhistle
