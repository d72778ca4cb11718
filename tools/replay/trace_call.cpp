#include "replay/trace_call.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <cmath>

namespace tarnwhistle {

namespace {

using Op = TraceCall::Op;

constexpr const char* kOpNames[] = {
    "start",           "tick",      "flushAll",     "appActivated",   "windowObserved",
    "snippetCaptured", "key",       "click",        "scroll",         "copyDetected",
    "idleStarted",     "idleEnded", "screenLocked", "screenUnlocked",
};

// Reads the members of one line, collecting the first problem.
struct LineReader {
    const QJsonObject& object;
    QString problem;

    bool fail(const QString& text) {
        if (problem.isEmpty()) problem = text;
        return false;
    }
    QString string(const char* key) {
        const QJsonValue v = object.value(QLatin1String(key));
        if (!v.isString()) fail(QStringLiteral("\"%1\" must be a string").arg(key));
        return v.toString();
    }
    std::optional<QString> optionalString(const char* key) {
        const QJsonValue v = object.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull()) return std::nullopt;
        if (!v.isString()) fail(QStringLiteral("\"%1\" must be a string or null").arg(key));
        return v.toString();
    }
    bool flag(const char* key) {
        const QJsonValue v = object.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull()) return false;
        if (!v.isBool()) fail(QStringLiteral("\"%1\" must be true or false").arg(key));
        return v.toBool();
    }
    double number(const char* key) {
        const QJsonValue v = object.value(QLatin1String(key));
        if (!v.isDouble() || !std::isfinite(v.toDouble())) {
            fail(QStringLiteral("\"%1\" must be a number").arg(key));
        }
        return v.toDouble();
    }
    WindowObservation observation() {
        WindowObservation obs;
        obs.bundleId = string("bundleId");
        obs.appName = string("appName");
        obs.title = string("title");
        obs.url = optionalString("url");
        obs.documentPath = optionalString("documentPath");
        return obs;
    }
};

}  // namespace

QString TraceCall::name(Op op) {
    return QString::fromLatin1(kOpNames[int(op)]);
}

std::optional<TraceCall::Op> TraceCall::opNamed(const QString& name) {
    for (int i = 0; i <= int(Op::screenUnlocked); ++i) {
        if (name == QLatin1String(kOpNames[i])) return Op(i);
    }
    return std::nullopt;
}

QByteArray TraceCall::toJsonLine() const {
    QJsonObject o{{"t", t}, {"call", name(op)}};
    auto putObservation = [&] {
        o.insert("bundleId", obs.bundleId);
        o.insert("appName", obs.appName);
        o.insert("title", obs.title);
        if (obs.url) o.insert("url", *obs.url);
        if (obs.documentPath) o.insert("documentPath", *obs.documentPath);
    };
    switch (op) {
        case Op::flushAll:
            o.insert("reason", text);
            break;
        case Op::appActivated:
            o.insert("bundleId", bundleId);
            o.insert("name", text);
            break;
        case Op::windowObserved:
            putObservation();
            break;
        case Op::snippetCaptured:
            putObservation();
            o.insert("text", text);
            break;
        case Op::key:
            o.insert("isBackspace", isBackspace);
            o.insert("isPaste", isPaste);
            break;
        case Op::copyDetected:
            o.insert("payloadType", text);
            break;
        case Op::idleStarted:
            o.insert("since", since);
            break;
        default:
            break;
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool parseTraceLine(const QByteArray& line, std::optional<TraceCall>& out, QString* error) {
    out.reset();
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith("//")) return true;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(trimmed, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        if (error) {
            *error = parseError.error != QJsonParseError::NoError
                         ? QStringLiteral("not JSON: ") + parseError.errorString()
                         : QStringLiteral("not a JSON object");
        }
        return false;
    }
    const QJsonObject object = doc.object();
    LineReader r{object, {}};
    TraceCall call;
    call.t = r.number("t");
    const QString callName = r.string("call");
    const std::optional<Op> op = TraceCall::opNamed(callName);
    if (r.problem.isEmpty() && !op) r.fail(QStringLiteral("unknown call \"%1\"").arg(callName));
    if (op) {
        call.op = *op;
        switch (*op) {
            case Op::flushAll:
                call.text = r.string("reason");
                break;
            case Op::appActivated:
                call.bundleId = r.string("bundleId");
                call.text = r.string("name");
                break;
            case Op::windowObserved:
                call.obs = r.observation();
                break;
            case Op::snippetCaptured:
                call.obs = r.observation();
                call.text = r.string("text");
                break;
            case Op::key:
                call.isBackspace = r.flag("isBackspace");
                call.isPaste = r.flag("isPaste");
                break;
            case Op::copyDetected:
                call.text = r.string("payloadType");
                break;
            case Op::idleStarted:
                call.since = r.number("since");
                break;
            default:
                break;
        }
    }
    if (!r.problem.isEmpty()) {
        if (error) *error = r.problem;
        return false;
    }
    out = std::move(call);
    return true;
}

std::optional<std::vector<TraceCall>> parseTrace(const QByteArray& text, QString* error) {
    std::vector<TraceCall> calls;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        std::optional<TraceCall> call;
        QString problem;
        if (!parseTraceLine(lines[i], call, &problem)) {
            if (error) *error = QStringLiteral("line %1: %2").arg(i + 1).arg(problem);
            return std::nullopt;
        }
        if (call && !calls.empty() && call->t < calls.back().t) {
            if (error) {
                *error = QStringLiteral("line %1: time goes back (the trace must be in time order)")
                             .arg(i + 1);
            }
            return std::nullopt;
        }
        if (call) {
            call->line = i + 1;
            calls.push_back(std::move(*call));
        }
    }
    return calls;
}

}  // namespace tarnwhistle
