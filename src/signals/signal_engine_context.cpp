// Window contexts inside a focus, document references and text samples of the front window.
#include <QStringList>
#include <QTextBoundaryFinder>

#include "privacy/privacy.h"
#include "signals/signal_engine.h"

namespace tarnwhistle {

namespace {

// The first `count` user-perceived characters of `text`; never splits a character.
QString firstCharacters(const QString& text, int count) {
    if (text.size() <= count) return text;  // a character is at least one code unit
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int seen = 0; seen < count; ++seen) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0) return text;
        end = next;
    }
    return text.left(end);
}

constexpr int kTitleCharacters = 512;

// Keeps the `cap` newest entries after appending.
void appendNewest(std::vector<QString>& list, QString item, std::size_t cap) {
    if (list.size() >= cap) list.erase(list.begin());
    list.push_back(std::move(item));
}

}  // namespace

void SignalEngine::windowObserved(const WindowObservation& obs) {
    if (presence != Presence::active) return;
    // A poll can open a focus that the activation notice missed.
    if (!focusApp || focusApp->bundle != obs.bundleId) {
        if (!Privacy::isExcludedApp(obs.bundleId, configProvider())) {
            appActivated(obs.bundleId, obs.appName);
        }
    }
    if (!focusApp || focusApp->bundle != obs.bundleId) return;  // an excluded application
    if (lastObservation == obs) return;

    const std::optional<WindowObservation> prev = lastObservation;
    lastObservation = obs;
    const TimePoint t = now();
    const std::optional<QString> host = Privacy::host(obs.url);
    const std::optional<QString> domain = Privacy::domain(host);

    if (prev && prev->bundleId == obs.bundleId && prev->url != obs.url) {
        events->log(EventKind::urlChanged, domain.value_or(QString()));
    } else if (prev && prev->bundleId == obs.bundleId && prev->documentPath == obs.documentPath) {
        events->log(EventKind::titleChanged, obs.appName);
    } else {
        events->log(EventKind::windowChanged, obs.appName);
    }

    closeContext(t);
    const DeploymentConfig config = configProvider();
    if (Privacy::isExcludedDomain(domain, host, config) || Privacy::hasExcludedWord(obs.title, config) ||
        Privacy::isPrivateBrowsing(obs.title)) {
        contextExcluded = true;
        return;
    }
    contextExcluded = false;

    WindowContext c;
    c.bundleId = obs.bundleId;
    c.appName = obs.appName;
    c.host = host;
    c.domain = domain;
    c.titleClass = Privacy::titleClass(obs.bundleId, obs.title, host, obs.url,
                                       obs.documentPath.has_value());
    if (const auto identity =
            Privacy::documentIdentity(obs.documentPath, obs.url, obs.title, c.titleClass)) {
        c.docRef = Privacy::hash(identity->identity, config.salt, Privacy::documentPrefix);
        c.docClass = identity->docClass;
    }
    // A title is a line, not a document: a huge one (an application may set anything) is cut
    // before redaction so that its cost stays bounded.
    const QString redactedTitle = Privacy::redact(firstCharacters(obs.title, kTitleCharacters));
    if (!obs.title.isEmpty()) c.titleHash = Privacy::hash(obs.title, config.salt, Privacy::titlePrefix);
    c.ruleCategory = Privacy::ruleCategory(obs.bundleId, host, obs.url, config);
    c.classifierHint = QStringLiteral("App: ") + obs.appName + QStringLiteral(". Window: ") +
                       redactedTitle + QStringLiteral(". Site: ") +
                       host.value_or(QStringLiteral("none")) + QStringLiteral(". Type: ") +
                       c.titleClass + QStringLiteral(".");
    const std::optional<QString> docRef = c.docRef;
    const std::optional<QString> docClass = c.docClass;
    context = std::move(c);
    contextSince = t;
    contextSnippets.clear();

    if (docRef) {
        if (docsSeenToday.insert(*docRef).second) {
            emitSignal(SignalType::documentRef,
                       JSONObject{
                           {QStringLiteral("doc_ref"), *docRef},
                           {QStringLiteral("doc_class"), JSONValue::orNull(docClass)},
                           {QStringLiteral("bundle_id"), obs.bundleId},
                           {QStringLiteral("first_seen"), Time::iso(t)},
                       });
        }
        // Coming back to a document after another one in the same episode is rework.
        if (episode && episode->lastDoc != docRef) {
            auto& docs = episode->docs;
            if (std::find(docs.begin(), docs.end(), *docRef) != docs.end()) {
                episode->revisits += 1;
            } else {
                docs.push_back(*docRef);
            }
            episode->lastDoc = docRef;
        }
    }
    if (requestSnippet) requestSnippet(obs);
}

void SignalEngine::closeContext(TimePoint t) {
    if (!context) return;
    if (!contextSince) {
        context.reset();
        return;
    }
    const WindowContext c = std::move(*context);
    const TimePoint s = *contextSince;
    context.reset();
    contextSince.reset();
    const std::vector<QString> snippets = std::move(contextSnippets);
    contextSnippets.clear();

    const double d = t - s;
    if (d < 2) return;
    JSONObject fields = interval(s, t);
    fields[QStringLiteral("bundle_id")] = c.bundleId;
    fields[QStringLiteral("title_class")] = c.titleClass;
    fields[QStringLiteral("title_hash")] = JSONValue::orNull(c.titleHash);
    fields[QStringLiteral("domain")] = JSONValue::orNull(c.domain);
    fields[QStringLiteral("doc_ref")] = JSONValue::orNull(c.docRef);
    emitSignal(SignalType::windowContext, std::move(fields));
    if (d < 30) return;

    const DeploymentConfig config = configProvider();
    if (!classifierWanted(config, SignalType::workCategory)) return;
    QStringList lines{c.classifierHint};
    for (const QString& snippet : snippets) lines << snippet;
    classifyThen(lines.join(QLatin1Char('\n')), config.workCategories, c.ruleCategory,
                 config.useAppleIntelligence,
                 [this, s, t, bundle = c.bundleId](const Classification& answer) {
                     JSONObject fields = interval(s, t);
                     fields[QStringLiteral("bundle_id")] = bundle;
                     fields[QStringLiteral("category")] = answer.label;
                     fields[QStringLiteral("confidence")] = JSONValue::orNull(answer.confidence);
                     fields[QStringLiteral("derivation")] = answer.derivation;
                     fields[QStringLiteral("model")] = answer.model;
                     emitSignal(SignalType::workCategory, std::move(fields));
                 });
}

void SignalEngine::snippetCaptured(const QString& text, const WindowObservation& obs) {
    if (lastObservation != obs) return;  // the window changed while it was being read
    if (contextExcluded || !context) return;
    QString sample = firstCharacters(Privacy::redact(text), 1500);
    if (sample.isEmpty()) return;
    if (episode) appendNewest(episode->snippets, firstCharacters(sample, 600), 6);
    appendNewest(contextSnippets, std::move(sample), 3);
}

}  // namespace tarnwhistle
