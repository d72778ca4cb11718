#include "platform/linux/atspi_reader.h"

#include <QDateTime>
#include <algorithm>
#include <csignal>

#include "capture/accessibility_walk.h"
#include "platform/linux/atspi_element.h"
#include "platform/linux/atspi_roles.h"

namespace tarnwhistle {

namespace {
const QString accessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
const QString rootPath = QStringLiteral("/org/a11y/atspi/accessible/root");

bool hasState(const QList<uint>& words, uint bit) {
    const qsizetype word = bit / 32;
    return word < words.size() && (words[word] >> (bit % 32)) & 1u;
}
}  // namespace

std::optional<QString> AtspiReader::serviceOf(qint64 pid, const QString& title,
                                             AtspiDeadline& deadline) {
    // A process that has ended is not asked.
    if (pid <= 0 || ::kill(pid_t(pid), 0) != 0) return std::nullopt;
    const AtspiRef registry{QStringLiteral("org.a11y.atspi.Registry"), QDBusObjectPath(rootPath)};
    QList<QDBusPendingCall> listing{
        bus_.ask(registry, accessibleInterface, QStringLiteral("GetChildren"), {}, deadline)};
    AtspiBus::await(listing, deadline);
    QHash<QString, qint64> current;
    QList<QDBusPendingCall> lookups;
    QStringList asked;
    for (const AtspiRef& app : AtspiBus::refs(listing.first())) {
        if (processOf_.contains(app.service)) {
            current.insert(app.service, processOf_.value(app.service));
        } else {
            lookups << bus_.askBus(QStringLiteral("GetConnectionUnixProcessID"), {app.service},
                                   deadline);
            asked << app.service;
        }
    }
    AtspiBus::await(lookups, deadline);
    for (qsizetype i = 0; i < asked.size(); ++i) {
        // Unique bus names are never reused, so the answer holds for the connection's life.
        if (const auto id = AtspiBus::value(lookups[i])) current.insert(asked[i], id->toLongLong());
    }
    processOf_ = current;
    for (auto it = processOf_.cbegin(); it != processOf_.cend(); ++it)
        if (it.value() == pid) return it.key();
    if (title.isEmpty()) return std::nullopt;
    return serviceShowing(pid, title, deadline);
}

std::optional<QString> AtspiReader::serviceShowing(qint64 pid, const QString& title,
                                                   AtspiDeadline& deadline) {
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    if (const auto known = byWindow_.constFind(pid); known != byWindow_.cend()) {
        if (!known->service.isEmpty() && processOf_.contains(known->service)) return known->service;
        if (known->service.isEmpty() && known->title == title &&
            nowMs - known->checkedAtMs < unmatchedRetryMs)
            return std::nullopt;
    }
    // Every application's windows, then their states, then the names of the active ones.
    const QStringList services = processOf_.keys();
    QList<QDBusPendingCall> listings;
    for (const QString& service : services)
        listings << bus_.ask(AtspiRef{service, QDBusObjectPath(rootPath)}, accessibleInterface,
                             QStringLiteral("GetChildren"), {}, deadline);
    AtspiBus::await(listings, deadline);
    QList<AtspiRef> frames;
    QList<QDBusPendingCall> states;
    for (const QDBusPendingCall& listing : listings) {
        for (const AtspiRef& frame : AtspiBus::refs(listing)) {
            frames << frame;
            states << bus_.ask(frame, accessibleInterface, QStringLiteral("GetState"), {}, deadline);
        }
    }
    AtspiBus::await(states, deadline);
    QList<AtspiRef> active;
    QList<QDBusPendingCall> names;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        if (!hasState(AtspiBus::words(states[i]), AtspiRoles::stateActive)) continue;
        active << frames[i];
        names << bus_.askProperty(frames[i], accessibleInterface, QStringLiteral("Name"), deadline);
    }
    AtspiBus::await(names, deadline);
    QStringList matching;
    for (qsizetype i = 0; i < active.size(); ++i) {
        if (AtspiBus::value(names[i]).value_or(QVariant()).toString() == title &&
            !matching.contains(active[i].service))
            matching << active[i].service;
    }
    // Two applications with an active window of that title: neither is guessed.
    const QString service = matching.size() == 1 ? matching.first() : QString();
    if (!deadline.expired() || !service.isEmpty()) byWindow_.insert(pid, {service, title, nowMs});
    if (service.isEmpty()) return std::nullopt;
    return service;
}

std::optional<AtspiRef> AtspiReader::window(const QString& service, bool focusedOnly,
                                            AtspiDeadline& deadline) {
    QList<QDBusPendingCall> listing{bus_.ask(AtspiRef{service, QDBusObjectPath(rootPath)},
                                             accessibleInterface, QStringLiteral("GetChildren"),
                                             {}, deadline)};
    AtspiBus::await(listing, deadline);
    const QList<AtspiRef> windows = AtspiBus::refs(listing.first());
    QList<QDBusPendingCall> states;
    for (const AtspiRef& ref : windows)
        states << bus_.ask(ref, accessibleInterface, QStringLiteral("GetState"), {}, deadline);
    AtspiBus::await(states, deadline);
    std::optional<AtspiRef> showing;
    for (qsizetype i = 0; i < windows.size(); ++i) {
        const QList<uint> words = AtspiBus::words(states[i]);
        if (hasState(words, AtspiRoles::stateActive)) return windows[i];
        if (!showing && hasState(words, AtspiRoles::stateShowing)) showing = windows[i];
    }
    if (focusedOnly) return std::nullopt;
    return showing;
}

std::optional<AtspiReader::WindowInfo> AtspiReader::windowInfo(qint64 pid, const QString& title,
                                                               bool browser) {
    if (!bus_.connected()) return std::nullopt;
    auto walk = std::make_shared<AtspiWalk>(bus_, sampleDeadlineMs);
    walk->anyDocument = !browser;
    const auto service = serviceOf(pid, title, walk->deadline);
    if (!service) return std::nullopt;
    const auto frame = window(*service, false, walk->deadline);
    if (!frame) return std::nullopt;
    QList<QDBusPendingCall> name{
        bus_.askProperty(*frame, accessibleInterface, QStringLiteral("Name"), walk->deadline)};
    AtspiBus::await(name, walk->deadline);
    WindowInfo info;
    info.name = AtspiBus::value(name.first()).value_or(QVariant()).toString();
    const auto address = AccessibilityWalk::webAreaAddress(
        std::make_unique<AtspiElement>(*frame, walk), browser ? addressNodes : documentNodes,
        [walk] { return walk->deadline.expired(); });
    if (browser) info.url = address;
    // An application that embeds a browser engine names its internal page: not a document.
    else if (address) info.documentPath = AccessibilityWalk::fileDocument(*address);
    return info;
}

QString AtspiReader::textSample(qint64 pid, const QString& title, int maxChars, int maxNodes,
                                bool* passwordField) {
    if (!bus_.connected()) return {};
    auto walk = std::make_shared<AtspiWalk>(bus_, sampleDeadlineMs);
    walk->readsText = true;
    const auto service = serviceOf(pid, title, walk->deadline);
    if (!service) return {};
    const auto frame = window(*service, true, walk->deadline);
    if (!frame) return {};
    return AccessibilityWalk::textSample(std::make_unique<AtspiElement>(*frame, walk), maxChars,
                                         maxNodes, [walk] { return walk->deadline.expired(); },
                                         passwordField);
}

bool AtspiReader::passwordFocused(qint64 pid, const QString& title, const QString& windowKey,
                                  bool fresh) {
    if (!bus_.connected()) return false;
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    const auto known = std::find_if(passwordFields_.begin(), passwordFields_.end(), [&](auto& f) {
        return f.pid == pid && f.window == windowKey && nowMs - f.foundAtMs < passwordFieldsMs;
    });
    if (!fresh && known != passwordFields_.end()) {
        if (known->fields.isEmpty()) return false;
        AtspiDeadline deadline(focusDeadlineMs);
        QList<QDBusPendingCall> states;
        for (const AtspiRef& ref : known->fields)
            states << bus_.ask(ref, accessibleInterface, QStringLiteral("GetState"), {}, deadline);
        AtspiBus::await(states, deadline);
        for (const QDBusPendingCall& state : states)
            if (hasState(AtspiBus::words(state), AtspiRoles::stateFocused)) return true;
        return false;
    }
    // Whatever was known of this window is searched again.
    passwordFields_.erase(std::remove_if(passwordFields_.begin(), passwordFields_.end(),
                                         [&](auto& f) {
                                             return (f.pid == pid && f.window == windowKey) ||
                                                    nowMs - f.foundAtMs >= passwordFieldsMs;
                                         }),
                          passwordFields_.end());
    auto walk = std::make_shared<AtspiWalk>(bus_, focusDeadlineMs);
    const auto service = serviceOf(pid, title, walk->deadline);
    if (!service) return false;
    const auto frame = window(*service, true, walk->deadline);
    if (!frame) return false;
    auto fields = AccessibilityWalk::passwordFields(std::make_unique<AtspiElement>(*frame, walk),
                                                    focusNodes,
                                                    [walk] { return walk->deadline.expired(); });
    PasswordFields found{pid, windowKey, nowMs, {}};
    bool focused = false;
    for (auto& field : fields) {
        if (auto* element = dynamic_cast<AtspiElement*>(field.get())) found.fields << element->ref();
        focused = focused || field->focused();
    }
    // A walk cut short by the deadline may have missed fields: not kept.
    if (!walk->deadline.expired()) {
        if (passwordFields_.size() >= passwordWindowsKept) passwordFields_.removeFirst();
        passwordFields_.append(found);
    }
    return focused;
}

}  // namespace tarnwhistle
