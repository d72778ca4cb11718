// Hourly application usage and the daily summary.
#include <algorithm>

#include "signals/signal_engine.h"

namespace tarnwhistle {

void SignalEngine::addToHour(const FocusedApp& app, TimePoint since, TimePoint end, bool ended) {
    auto [it, inserted] = hourApps.try_emplace(app.bundle, HourAppEntry{app.name, 0, 0});
    // The part before the window was counted by the close of the window before.
    it->second.active += end - std::max(since, hourStart);
    if (ended) it->second.count += 1;
}

void SignalEngine::flushHour(TimePoint end) {
    // A tick late after the hour must not count the open focus past the window's end: the next
    // window starts at the boundary and counts that part itself.
    const TimePoint windowEnd = hourStart + hourSeconds;
    if (focusApp && focusSince && *focusSince < windowEnd) {
        addToHour(*focusApp, *focusSince, std::min(end, windowEnd), false);
    }
    if (hourApps.empty()) {
        hourSwitches = 0;
        return;
    }
    std::vector<std::pair<QString, HourAppEntry>> entries(hourApps.begin(), hourApps.end());
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.second.active > b.second.active; });
    JSONArray apps;
    for (const auto& [bundle, entry] : entries) {
        apps.emplace_back(JSONObject{
            {QStringLiteral("bundle_id"), bundle},
            {QStringLiteral("app_name"), entry.name},
            {QStringLiteral("active_s"), roundedSeconds(entry.active)},
            {QStringLiteral("focus_count"), entry.count},
        });
    }
    const qint64 distinct = qint64(entries.size());
    emitSignal(SignalType::appUsageSummary,
               JSONObject{
                   {QStringLiteral("window_start"), Time::iso(hourStart)},
                   {QStringLiteral("window_s"), qint64(hourSeconds)},
                   {QStringLiteral("apps"), std::move(apps)},
                   {QStringLiteral("switch_count"), hourSwitches},
                   {QStringLiteral("distinct_apps"), distinct},
               });
    hourApps.clear();
    hourSwitches = 0;
}

void SignalEngine::dayRollover(TimePoint t, const QString& newDay) {
    // Where midnight is not on a UTC hour the running period would otherwise count in both days.
    if (presence == Presence::active) cutActivePeriod(t);
    emitDaySummary(false);
    resetDayTallies(newDay);
}

void SignalEngine::resetDayTallies(const QString& newDay) {
    dayKey = newDay;
    firstActive.reset();
    lastActive.reset();
    activeSeconds = 0;
    idleSeconds = 0;
    breaks = 0;
    longestFocus = 0;
    docsSeenToday.clear();
}

void SignalEngine::emitDaySummary(bool partial) {
    if (!firstActive) return;
    double active = activeSeconds;
    if (presence == Presence::active) active += now() - presenceSince;
    emitSignal(SignalType::workDaySummary,
               JSONObject{
                   {QStringLiteral("date"), dayKey},
                   {QStringLiteral("partial"), partial},
                   {QStringLiteral("first_active"), Time::iso(*firstActive)},
                   {QStringLiteral("last_active"), Time::iso(lastActive.value_or(*firstActive))},
                   {QStringLiteral("active_s"), roundedSeconds(active)},
                   {QStringLiteral("idle_s"), roundedSeconds(idleSeconds)},
                   {QStringLiteral("breaks"), breaks},
                   {QStringLiteral("longest_focus_s"), roundedSeconds(longestFocus)},
               });
}

}  // namespace tarnwhistle
