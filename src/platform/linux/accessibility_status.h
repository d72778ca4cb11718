// Whether other applications' windows may be read: the accessibility bus answers and
// org.a11y.Status.IsEnabled is true. The answer is kept for a few seconds so the frequent
// callers cost nothing; the first call asks at once. Main thread only.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <optional>

class AccessibilityStatus {
public:
    bool trusted();
    // The accessibility bus address when it answers; the worker checks it before it starts
    // the accessibility library, which ends the process when it finds no bus.
    static std::optional<QString> reachableBusAddress();
    static bool enabled();

    static constexpr int cacheMs = 3000;
    static constexpr int callTimeoutMs = 500;

private:
    QElapsedTimer checked_;
    bool trusted_ = false;
};
