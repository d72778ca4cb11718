// The closed catalogue of the fifteen signal types, with wire names, groups, on/off defaults
// and the sentence the user is shown for each.
#pragma once

#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace tarnwhistle {

class SignalType {
public:
    // Declaration order is the order of allCases() (the Settings window lists them so).
    enum Case {
        activityPresence,
        activityIntensity,
        workDaySummary,
        appFocus,
        appUsageSummary,
        windowContext,
        appSwitch,
        taskEpisode,
        handover,
        processStep,
        inputPattern,
        interactionFriction,
        workCategory,
        taskLabel,
        documentRef,
    };

    enum class Group { time, apps, flow, style, understanding };

    constexpr SignalType(Case c) : case_(c) {}
    constexpr Case value() const { return case_; }
    constexpr bool operator==(const SignalType&) const = default;

    QString rawValue() const;  // the wire name, e.g. "app.focus"
    Group group() const;
    QString summary() const;
    bool needsClassifier() const { return case_ == workCategory || case_ == taskLabel; }
    // "process.step" and "interaction.friction" are announced but not made yet: never emitted,
    // whatever the configuration says.
    bool comingLater() const { return case_ == processStep || case_ == interactionFriction; }
    // Switched on in a configuration's enabledSignals: the entry under the wire name, or this
    // type's default when there is none (so "input.pattern" stays off unless switched on).
    bool isOn(const std::map<QString, bool>& enabledSignals) const;

    static const std::vector<SignalType>& allCases();
    static std::optional<SignalType> fromRawValue(const QString& wireName);
    // Wire name to on/off for all fifteen: the default of the configuration's enabledSignals.
    static const std::map<QString, bool>& defaultEnabled();

    // A group's display title ("Time and activity" ...), and all groups in order.
    static QString title(Group group);
    static const std::vector<Group>& allGroups();

private:
    Case case_;
};

}  // namespace tarnwhistle
