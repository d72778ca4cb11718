// AccessibleElement over an AT-SPI object. Every call is timed: libatspi does not report a
// call that ran into its timeout as an error, so an answer that took nearly the timeout marks
// the application as not answering and the walk gives up on it. Worker thread only.
#pragma once

#include <QElapsedTimer>
#include <memory>

#include "capture/accessible_element.h"

typedef struct _AtspiAccessible AtspiAccessible;

// Shared by all elements of one walk: the walk's deadline and whether the application has
// stopped answering.
struct AtspiWalkState {
    QElapsedTimer started;
    qint64 deadlineMs = 1000;
    bool unresponsive = false;
    // Documents of any kind count as web areas (to find a non-browser's document).
    bool anyDocument = false;

    bool expired() const { return unresponsive || started.elapsed() >= deadlineMs; }
    // A call that took this long ran into the 250 ms timeout: stop asking. (A toolkit may
    // take a good part of that to build its tree on the first request; that is not a hang.)
    static constexpr qint64 slowCallMs = 240;
};

class AtspiElement : public AccessibleElement {
public:
    // Takes over one reference to `object`.
    AtspiElement(AtspiAccessible* object, std::shared_ptr<AtspiWalkState> state);
    ~AtspiElement() override;

    Kind kind() override;
    QString text() override;
    std::optional<QString> address() override;
    std::vector<std::unique_ptr<AccessibleElement>> children(int limit) override;

    // Longest text read from one element; enough for the 300-character piece and for telling
    // two long texts apart.
    static constexpr int maxTextRead = 4000;

private:
    template <typename F>
    auto timed(F&& call);

    AtspiAccessible* object_;
    std::shared_ptr<AtspiWalkState> state_;
    std::optional<int> role_;
};
