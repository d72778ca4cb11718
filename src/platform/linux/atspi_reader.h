// Reads other applications' windows over the accessibility bus: the page address or document
// of the front window, and the bounded text sample. It speaks the accessibility interfaces
// itself on a connection of its own (AtspiBus), so it shares no state with the rest of the
// process. Every method runs on one thread only: the window-poll worker.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

#include "platform/linux/atspi_bus.h"

namespace tarnwhistle {

class AtspiReader {
public:
    struct WindowInfo {
        QString name;                         // the window's accessible name
        std::optional<QString> url;           // browsers: the web document's address
        std::optional<QString> documentPath;  // others: the file document the window shows
    };

    // Every read names the application by the process that owns its window on the display and,
    // when known, that window's title: a sandboxed application reaches the accessibility bus
    // through a proxy, so there it is found by its active window of that title instead.

    // The focused window of `pid`, or failing that its first showing window; nullopt when the
    // application shows none or cannot be reached.
    std::optional<WindowInfo> windowInfo(qint64 pid, const QString& title, bool browser);
    // The text sample of the focused window of `pid` only; empty without one. `passwordField`
    // tells whether the window holds a password field.
    QString textSample(qint64 pid, const QString& title, int maxChars, int maxNodes,
                       bool* passwordField);
    // Whether a password field of the focused window of `pid` has the keyboard focus. The
    // window is searched for password fields when `windowKey` (anything that changes with the
    // window and its title) is new, when `fresh`, or once a minute; the last few windows are
    // remembered. In between only the fields found are asked, which costs one message each
    // instead of a walk of the tree.
    bool passwordFocused(qint64 pid, const QString& title, const QString& windowKey, bool fresh);

    static constexpr int sampleDeadlineMs = 1000;
    static constexpr int addressNodes = 250;
    static constexpr int documentNodes = 40;
    static constexpr int focusNodes = 150;
    static constexpr int focusDeadlineMs = 300;

private:
    // The bus name under which `pid` offers its accessibility tree.
    std::optional<QString> serviceOf(qint64 pid, const QString& title, AtspiDeadline& deadline);
    // The one application whose active window bears `title`; remembered for `pid`.
    std::optional<QString> serviceShowing(qint64 pid, const QString& title,
                                          AtspiDeadline& deadline);
    std::optional<AtspiRef> window(const QString& service, bool focusedOnly,
                                   AtspiDeadline& deadline);

    struct PasswordFields {
        qint64 pid = 0;
        QString window;
        qint64 foundAtMs = 0;
        QList<AtspiRef> fields;
    };
    // The windows switched between most recently: going back to one costs no search.
    QList<PasswordFields> passwordFields_;
    static constexpr qsizetype passwordWindowsKept = 8;
    static constexpr qint64 passwordFieldsMs = 60000;

    AtspiBus bus_;
    QHash<QString, qint64> processOf_;  // bus names of applications seen, and their processes

    // Processes found through their window instead: the bus name, or empty when none matched
    // (asked again when the title changes or after a while).
    struct FoundByWindow {
        QString service;
        QString title;
        qint64 checkedAtMs = 0;
    };
    QHash<qint64, FoundByWindow> byWindow_;
    static constexpr qint64 unmatchedRetryMs = 30000;
};

}  // namespace tarnwhistle
