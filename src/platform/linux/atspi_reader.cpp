#include <atspi/atspi.h>
// libatspi before Qt: Qt's `signals` keyword clashes with GLib's headers.
#include "platform/linux/atspi_reader.h"

#include <csignal>

#include "capture/accessibility_walk.h"
#include "platform/linux/accessibility_status.h"
#include "platform/linux/atspi_element.h"

namespace {
std::shared_ptr<AtspiWalkState> newWalk(qint64 deadlineMs) {
    auto state = std::make_shared<AtspiWalkState>();
    state->deadlineMs = deadlineMs;
    state->started.start();
    return state;
}

template <typename F>
auto timed(AtspiWalkState& state, F&& call) {
    QElapsedTimer timer;
    timer.start();
    auto result = call();
    if (timer.elapsed() >= AtspiWalkState::slowCallMs) state.unresponsive = true;
    return result;
}
}  // namespace

AtspiReader::AtspiReader() = default;

AtspiReader::~AtspiReader() {
    for (AtspiAccessible* app : std::as_const(applications_)) g_object_unref(app);
    // libatspi stays initialised for the life of the process; tearing it down from a thread
    // that is about to end gains nothing.
    if (context_) g_main_context_unref(context_);
}

bool AtspiReader::started() {
    if (started_) return true;
    if (!AccessibilityStatus::reachableBusAddress()) return false;
    // libatspi opens a private connection to each application and attaches it to the default
    // main context, which the main thread's event loop runs: its reference counting then races
    // with this thread and ends the process when an application goes away. It does not do so
    // for remote sessions, so this process says it is one; everything then goes through the
    // accessibility bus, on this thread's own context.
    if (qEnvironmentVariableIsEmpty("SSH_CONNECTION"))
        qputenv("SSH_CONNECTION", "127.0.0.1 0 127.0.0.1 0");
    context_ = g_main_context_new();
    atspi_set_main_context(context_);
    if (atspi_init() > 1) return false;  // 1: already initialised, which is fine
    atspi_set_main_context(context_);
    atspi_set_timeout(callTimeoutMs, -1);
    started_ = true;
    return true;
}

void AtspiReader::pump() {
    // Registry and cache updates queued since the last read.
    for (int i = 0; i < 1000 && g_main_context_iteration(context_, FALSE); ++i) {
    }
}

AtspiAccessible* AtspiReader::application(qint64 pid, AtspiWalkState& state) {
    // A process that has ended is not asked: its objects are being torn down.
    if (pid <= 0 || ::kill(pid_t(pid), 0) != 0) {
        if (AtspiAccessible* gone = applications_.take(pid)) g_object_unref(gone);
        return nullptr;
    }
    if (AtspiAccessible* known = applications_.value(pid)) {
        GError* error = nullptr;
        const guint answered = timed(state, [&] { return atspi_accessible_get_process_id(known, &error); });
        if (!error && qint64(answered) == pid) return known;
        if (error) g_error_free(error);
        applications_.remove(pid);
        g_object_unref(known);
        if (state.unresponsive) return nullptr;
    }
    AtspiAccessible* desktop = atspi_get_desktop(0);
    if (!desktop) return nullptr;
    AtspiAccessible* found = nullptr;
    GError* error = nullptr;
    const int count = atspi_accessible_get_child_count(desktop, &error);
    if (error) g_clear_error(&error);
    for (int i = 0; i < count && !found; ++i) {
        AtspiAccessible* app = atspi_accessible_get_child_at_index(desktop, i, &error);
        if (error) g_clear_error(&error);
        if (!app) continue;
        // A hung application costs at most one slow answer here, then the search goes on.
        QElapsedTimer timer;
        timer.start();
        const guint appPid = atspi_accessible_get_process_id(app, &error);
        if (error) g_clear_error(&error);
        if (qint64(appPid) == pid && timer.elapsed() < AtspiWalkState::slowCallMs) {
            found = app;
        } else {
            g_object_unref(app);
        }
    }
    g_object_unref(desktop);
    if (found) applications_.insert(pid, found);
    return found;
}

AtspiAccessible* AtspiReader::window(AtspiAccessible* app, bool focusedOnly,
                                     AtspiWalkState& state) {
    GError* error = nullptr;
    const int count = timed(state, [&] { return atspi_accessible_get_child_count(app, &error); });
    if (error) {
        g_error_free(error);
        return nullptr;
    }
    AtspiAccessible* first = nullptr;
    AtspiAccessible* focused = nullptr;
    for (int i = 0; i < count && !focused && !state.expired(); ++i) {
        AtspiAccessible* child =
            timed(state, [&] { return atspi_accessible_get_child_at_index(app, i, &error); });
        if (error) g_clear_error(&error);
        if (!child) continue;
        AtspiStateSet* states = timed(state, [&] { return atspi_accessible_get_state_set(child); });
        const bool active = states && atspi_state_set_contains(states, ATSPI_STATE_ACTIVE);
        const bool showing = states && atspi_state_set_contains(states, ATSPI_STATE_SHOWING);
        if (states) g_object_unref(states);
        if (active) {
            focused = child;
        } else if (!first && showing) {
            first = child;
        } else {
            g_object_unref(child);
        }
    }
    if (focused) {
        if (first) g_object_unref(first);
        return focused;
    }
    if (focusedOnly) {
        if (first) g_object_unref(first);
        return nullptr;
    }
    return first;
}

std::optional<AtspiReader::WindowInfo> AtspiReader::windowInfo(qint64 pid, bool browser) {
    if (!started()) return std::nullopt;
    pump();
    auto state = newWalk(sampleDeadlineMs);
    AtspiAccessible* app = application(pid, *state);
    if (!app) return std::nullopt;
    atspi_accessible_clear_cache(app);
    AtspiAccessible* frame = window(app, false, *state);
    if (!frame) return std::nullopt;
    WindowInfo info;
    GError* error = nullptr;
    gchar* name = timed(*state, [&] { return atspi_accessible_get_name(frame, &error); });
    if (error) g_error_free(error);
    info.name = name ? QString::fromUtf8(name) : QString();
    g_free(name);
    const auto stop = [state] { return state->expired(); };
    if (browser) {
        info.url = AccessibilityWalk::webAreaAddress(std::make_unique<AtspiElement>(frame, state),
                                                     addressNodes, stop);
    } else {
        state->anyDocument = true;
        info.documentPath = AccessibilityWalk::webAreaAddress(
            std::make_unique<AtspiElement>(frame, state), documentNodes, stop);
    }
    return info;
}

QString AtspiReader::textSample(qint64 pid, int maxChars, int maxNodes) {
    if (!started()) return {};
    pump();
    auto state = newWalk(sampleDeadlineMs);
    AtspiAccessible* app = application(pid, *state);
    if (!app) return {};
    atspi_accessible_clear_cache(app);
    AtspiAccessible* frame = window(app, true, *state);
    if (!frame) return {};
    return AccessibilityWalk::textSample(std::make_unique<AtspiElement>(frame, state), maxChars,
                                         maxNodes, [state] { return state->expired(); });
}
