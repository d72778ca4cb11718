// Reads other applications' windows over the accessibility bus: the page address or document
// of the front window, and the bounded text sample. It speaks the accessibility interfaces
// itself on a connection of its own (AtspiBus), so it shares no state with the rest of the
// process. Every method runs on one thread only: the window-poll worker.
#pragma once

#include <QHash>
#include <QString>
#include <optional>

#include "platform/linux/atspi_bus.h"

class AtspiReader {
public:
    struct WindowInfo {
        QString name;                         // the window's accessible name
        std::optional<QString> url;           // browsers: the web document's address
        std::optional<QString> documentPath;  // others: the document the window shows
    };

    // The focused window of `pid`, or failing that its first showing window; nullopt when the
    // application shows none or cannot be reached.
    std::optional<WindowInfo> windowInfo(qint64 pid, bool browser);
    // The text sample of the focused window of `pid` only; empty without one.
    QString textSample(qint64 pid, int maxChars, int maxNodes);

    static constexpr int sampleDeadlineMs = 1000;
    static constexpr int addressNodes = 250;
    static constexpr int documentNodes = 40;

private:
    // The bus name under which `pid` offers its accessibility tree.
    std::optional<QString> serviceOf(qint64 pid, AtspiDeadline& deadline);
    std::optional<AtspiRef> window(const QString& service, bool focusedOnly,
                                   AtspiDeadline& deadline);

    AtspiBus bus_;
    QHash<QString, qint64> processOf_;  // bus names of applications seen, and their processes
};
