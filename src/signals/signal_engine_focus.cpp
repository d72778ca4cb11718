// Application focus: activation, switches between applications, and the focus close.
#include "privacy/privacy.h"
#include "signals/signal_engine.h"

namespace tarnwhistle {

QString SignalEngine::focusName() const { return focusApp ? focusApp->name : QString(); }

void SignalEngine::appActivated(const QString& bundleId, const QString& name) {
    const TimePoint t = now();
    const DeploymentConfig config = configProvider();
    const bool excluded = Privacy::isExcludedApp(bundleId, config);
    // Whatever else happens, input is not noticed while an excluded application is in front.
    excludedAppInFront = excluded;
    if (focusApp && focusApp->bundle == bundleId) return;
    events->log(EventKind::appActivated, name);
    if (presence != Presence::active) {
        // The application in front while the user is away is the one resumed later.
        if (excluded) {
            suspended.reset();
        } else {
            suspended = SuspendedFocus{FocusedApp{bundleId, name}, std::nullopt};
        }
        return;
    }
    const std::optional<FocusedApp> prev = focusApp;
    closeFocus(t);
    // An excluded application gets no focus of its own and no switch into or out of it.
    if (excluded) return;
    if (prev) {
        emitSignal(SignalType::appSwitch,
                   JSONObject{
                       {QStringLiteral("from_bundle_id"), prev->bundle},
                       {QStringLiteral("to_bundle_id"), bundleId},
                       {QStringLiteral("ts"), Time::iso(t)},
                       {QStringLiteral("dwell_s"), roundedSeconds(lastFocusSeconds)},
                   });
        hourSwitches += 1;
        if (episode) episode->switches += 1;
    }
    focusApp = FocusedApp{bundleId, name};
    focusSince = t;
    touchEpisode(t);
}

void SignalEngine::noFrontApplication() {
    excludedAppInFront = false;
    // While away, nothing is to be resumed in its place.
    if (presence != Presence::active) {
        suspended.reset();
        return;
    }
    closeFocus(now());
}

void SignalEngine::closeFocus(TimePoint t) {
    closeContext(t);
    // The window seen before this focus must count as new when it comes back.
    lastObservation.reset();
    if (!focusApp) return;
    if (!focusSince) {
        focusApp.reset();
        return;
    }
    const FocusedApp app = *focusApp;
    const TimePoint s = *focusSince;
    focusApp.reset();
    focusSince.reset();
    const double d = t - s;
    lastFocusSeconds = d;  // also for short focuses: the next switch reports it as dwell
    if (d < 2) return;

    const DeploymentConfig config = configProvider();
    JSONValue category = JSONValue::null();
    if (const auto it = config.appCategories.find(app.bundle); it != config.appCategories.end()) {
        category = it->second;
    } else if (const auto& defaults = Privacy::defaultAppCategories();
               defaults.find(app.bundle) != defaults.end()) {
        category = defaults.at(app.bundle);
    }
    JSONObject fields = interval(s, t);
    fields[QStringLiteral("bundle_id")] = app.bundle;
    fields[QStringLiteral("app_name")] = app.name;
    fields[QStringLiteral("category")] = category;
    emitSignal(SignalType::appFocus, std::move(fields));
    addToHour(app, s, t, true);
    longestFocus = std::max(longestFocus, d);
}

void SignalEngine::suspendFocus(TimePoint t) {
    // With nothing in focus (an excluded application in front) there is nothing to resume; a
    // focus kept from an earlier pause must not come back in its place.
    suspended.reset();
    if (focusApp) suspended = SuspendedFocus{*focusApp, lastObservation};
    typingPaused();
    closeFocus(t);
    lastObservation.reset();
}

}  // namespace tarnwhistle
