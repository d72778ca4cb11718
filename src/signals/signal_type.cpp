#include "signals/signal_type.h"

namespace tarnwhistle {

namespace {

struct Entry {
    const char* wireName;
    SignalType::Group group;
    bool enabled;
    const char* summary;
};

using G = SignalType::Group;

// Indexed by SignalType::Case.
constexpr Entry kCatalogue[] = {
    {"activity.presence", G::time, true, "When you were active, idle or away."},
    {"activity.intensity", G::time, true,
     "How busy each five minutes was, as counts of keys, clicks and scrolls."},
    {"work.day.summary", G::time, true,
     "When your day started and ended, active time, breaks and longest focus."},
    {"app.focus", G::apps, true, "Which app was in front, from when to when, and its category."},
    {"app.usage.summary", G::apps, true, "Time per app per hour, and how often you switched."},
    {"window.context", G::apps, true,
     "The kind of window (document, ticket, conversation) and the website name. The title is "
     "only sent as a code."},
    {"app.switch", G::flow, true,
     "You moved from one app to another, and how long you stayed in the first."},
    {"task.episode", G::flow, true,
     "One continuous piece of work: how long, which apps, how many switches and pastes."},
    {"handover", G::flow, true,
     "Something was copied in one app and pasted in another. Not what it was."},
    {"process.step", G::flow, false,
     "Each single action inside a task, for process-mapping tools. Coming later."},
    {"input.pattern", G::style, false,
     "Your typing rhythm. Sensitive (can count as biometric data), so it is off unless you "
     "switch it on."},
    {"interaction.friction", G::style, false,
     "Signs of struggle, like undoing many times. Coming later."},
    {"work.category", G::understanding, true,
     "The kind of work, such as communication or analysis, worked out on this computer."},
    {"task.label", G::understanding, true,
     "A name for each task, picked from your own list of task names."},
    {"document.ref", G::understanding, true,
     "A coded id for each document, so shared files can be spotted without names."},
};

constexpr int kCount = int(sizeof(kCatalogue) / sizeof(kCatalogue[0]));
static_assert(kCount == 15);

}  // namespace

QString SignalType::rawValue() const { return QString::fromLatin1(kCatalogue[case_].wireName); }
SignalType::Group SignalType::group() const { return kCatalogue[case_].group; }
QString SignalType::summary() const { return QString::fromUtf8(kCatalogue[case_].summary); }

bool SignalType::isOn(const std::map<QString, bool>& enabledSignals) const {
    const auto entry = enabledSignals.find(rawValue());
    return entry != enabledSignals.end() ? entry->second : kCatalogue[case_].enabled;
}

const std::vector<SignalType>& SignalType::allCases() {
    static const std::vector<SignalType> cases = [] {
        std::vector<SignalType> out;
        for (int i = 0; i < kCount; ++i) out.emplace_back(static_cast<Case>(i));
        return out;
    }();
    return cases;
}

std::optional<SignalType> SignalType::fromRawValue(const QString& wireName) {
    for (const auto& type : allCases())
        if (type.rawValue() == wireName) return type;
    return std::nullopt;
}

const std::map<QString, bool>& SignalType::defaultEnabled() {
    static const std::map<QString, bool> map = [] {
        std::map<QString, bool> out;
        for (int i = 0; i < kCount; ++i)
            out.emplace(QString::fromLatin1(kCatalogue[i].wireName), kCatalogue[i].enabled);
        return out;
    }();
    return map;
}

QString SignalType::title(Group group) {
    switch (group) {
        case Group::time: return QStringLiteral("Time and activity");
        case Group::apps: return QStringLiteral("Apps");
        case Group::flow: return QStringLiteral("How work flows");
        case Group::style: return QStringLiteral("Working style");
        case Group::understanding: return QStringLiteral("Understanding the work");
    }
    return {};
}

const std::vector<SignalType::Group>& SignalType::allGroups() {
    static const std::vector<Group> groups = {Group::time, Group::apps, Group::flow, Group::style,
                                              Group::understanding};
    return groups;
}

}  // namespace tarnwhistle
