// Reads other applications' windows through AT-SPI (libatspi) on the window-poll worker: the
// page address or document of the front window, and the bounded text sample. libatspi is
// started on that thread, on a private main context pumped before each read, and only once
// the accessibility bus has answered (without one the library ends the process).
// Every method runs on one thread only: the thread of the first call.
#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <optional>

typedef struct _AtspiAccessible AtspiAccessible;
typedef struct _GMainContext GMainContext;
struct AtspiWalkState;

class AtspiReader {
public:
    AtspiReader();
    ~AtspiReader();

    struct WindowInfo {
        QString name;                         // the window's accessible name
        std::optional<QString> url;           // browsers: the web document's address
        std::optional<QString> documentPath;  // others: the document the window shows
    };

    // The focused window of `pid`, or failing that its first window; nullopt when the
    // application shows none or cannot be reached.
    std::optional<WindowInfo> windowInfo(qint64 pid, bool browser);
    // The text sample of the focused window of `pid` only; empty without one.
    QString textSample(qint64 pid, int maxChars, int maxNodes);

    static constexpr int callTimeoutMs = 250;
    static constexpr int sampleDeadlineMs = 1000;
    static constexpr int addressNodes = 250;
    static constexpr int documentNodes = 40;

private:
    bool started();
    void pump();
    AtspiAccessible* application(qint64 pid, AtspiWalkState& state);
    // A new reference to the focused (or, when allowed, first) window; nullptr when none.
    AtspiAccessible* window(AtspiAccessible* app, bool focusedOnly, AtspiWalkState& state);

    bool started_ = false;
    GMainContext* context_ = nullptr;
    QHash<qint64, AtspiAccessible*> applications_;  // one reference each
};
