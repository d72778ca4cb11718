// Task episodes (continuous stretches of work) and handovers (copy here, paste there).
#include <QStringList>

#include "privacy/privacy.h"
#include "signals/signal_engine.h"
#include "signals/ulid.h"

namespace tarnwhistle {

namespace {
JSONArray toArray(const std::vector<QString>& items) {
    JSONArray out;
    out.reserve(items.size());
    for (const QString& item : items) out.emplace_back(item);
    return out;
}
}  // namespace

void SignalEngine::touchEpisode(TimePoint t) {
    if (!focusApp) return;
    if (!episode) {
        Episode e;
        e.id = QStringLiteral("ep_") + ULID::make(t);
        e.start = t;
        e.last = t;
        if (context && context->docRef) {
            e.docs = {*context->docRef};
            e.lastDoc = context->docRef;
        }
        episode = std::move(e);
    }
    episode->last = t;
    auto& apps = episode->apps;
    if (std::find(apps.begin(), apps.end(), focusApp->bundle) == apps.end()) {
        apps.push_back(focusApp->bundle);
    }
}

void SignalEngine::closeEpisode(TimePoint t, const QString& reason) {
    if (!episode) return;
    const Episode e = std::move(*episode);
    episode.reset();
    // Ends at the last touch when that is earlier (the idle tail is not work), never before start.
    const TimePoint end = std::min(std::max(e.start, t), std::max(e.start, e.last));
    const double d = end - e.start;
    if (d < 30) return;

    JSONObject fields = interval(e.start, end);
    fields[QStringLiteral("episode_id")] = e.id;
    fields[QStringLiteral("apps")] = toArray(e.apps);
    fields[QStringLiteral("documents")] = toArray(e.docs);
    fields[QStringLiteral("step_count")] = e.steps;
    fields[QStringLiteral("switch_count")] = e.switches;
    fields[QStringLiteral("paste_count")] = e.pastes;
    fields[QStringLiteral("rework_count")] = e.revisits;
    fields[QStringLiteral("end_reason")] = reason;
    emitSignal(SignalType::taskEpisode, std::move(fields));
    if (d < 120) return;

    const DeploymentConfig config = configProvider();
    if (!classifierWanted(config, SignalType::taskLabel) || e.snippets.empty()) return;
    QStringList lines;
    for (const QString& snippet : e.snippets) lines << snippet;
    const QString text = lines.join(QLatin1Char('\n'));
    const QString evidence = Privacy::hash(text, config.salt, Privacy::evidencePrefix);
    classifyThen(text, config.taskLabels, std::nullopt, config.useAppleIntelligence,
                 [this, id = e.id, evidence](const Classification& answer) {
                     emitSignal(SignalType::taskLabel,
                                JSONObject{
                                    {QStringLiteral("episode_id"), id},
                                    {QStringLiteral("label"), answer.label},
                                    {QStringLiteral("confidence"),
                                     JSONValue::orNull(answer.confidence)},
                                    {QStringLiteral("model"), answer.model},
                                    {QStringLiteral("evidence_hash"), evidence},
                                });
                 });
}

void SignalEngine::copyDetected(const QString& payloadType) {
    const TimePoint t = now();
    events->log(EventKind::copyDetected, payloadType);
    // A copy in an excluded window or outside any focus can never make a handover.
    if (focusApp && !contextExcluded) {
        lastCopy = CopyMark{t, focusApp->bundle, context ? context->docRef : std::nullopt, payloadType};
    } else {
        lastCopy.reset();
    }
}

void SignalEngine::paste() {
    const TimePoint t = now();
    events->log(EventKind::pasteDetected, focusName());
    if (episode) episode->pastes += 1;
    // lastCopy stays: one copy pasted into several applications makes several handovers.
    if (lastCopy && t - lastCopy->at <= handoverSeconds && focusApp &&
        focusApp->bundle != lastCopy->bundle && !contextExcluded) {
        emitSignal(SignalType::handover,
                   JSONObject{
                       {QStringLiteral("ts"), Time::iso(t)},
                       {QStringLiteral("from_bundle_id"), lastCopy->bundle},
                       {QStringLiteral("to_bundle_id"), focusApp->bundle},
                       {QStringLiteral("from_doc_ref"), JSONValue::orNull(lastCopy->doc)},
                       {QStringLiteral("to_doc_ref"),
                        JSONValue::orNull(context ? context->docRef : std::nullopt)},
                       {QStringLiteral("payload_type"), lastCopy->type},
                   });
    }
}

}  // namespace tarnwhistle
