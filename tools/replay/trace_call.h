// One call of a trace: the capture loop's calls into the signal engine, recorded or scripted.
//
// Trace format: JSON lines, each {"t": <seconds since 1970>, "call": "<operation>", ...} with the
// operation's arguments under their labels: start, tick, flushAll (reason), appActivated
// (bundleId, name), windowObserved and snippetCaptured (bundleId, appName, title, url,
// documentPath; snippetCaptured adds text; absent or null optional fields are absent), key
// (isBackspace, isPaste), click, scroll, copyDetected (payloadType), idleStarted (since),
// idleEnded, screenLocked, screenUnlocked. Lines come in time order; blank lines and lines
// starting with "//" are skipped.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "signals/signal_engine_observation.h"
#include "signals/time.h"

namespace tarnwhistle {

struct TraceCall {
    enum class Op {
        start,
        tick,
        flushAll,
        appActivated,
        windowObserved,
        snippetCaptured,
        key,
        click,
        scroll,
        copyDetected,
        idleStarted,
        idleEnded,
        screenLocked,
        screenUnlocked,
    };

    TimePoint t = 0;
    Op op = Op::tick;
    QString text;  // reason, name, payload type or snippet text, by operation
    QString bundleId;
    WindowObservation obs;
    bool isBackspace = false;
    bool isPaste = false;
    TimePoint since = 0;
    qsizetype line = 0;  // where the call stood in its trace, for messages

    static QString name(Op op);
    static std::optional<Op> opNamed(const QString& name);

    // One trace line as JSON text (the inverse of parseTraceLine).
    QByteArray toJsonLine() const;
};

// Parses one line. Returns false with `error` set when the line is malformed; true with `out`
// empty for blank and comment lines.
bool parseTraceLine(const QByteArray& line, std::optional<TraceCall>& out, QString* error);

// Parses a whole trace; on the first malformed line, or one earlier than the line before, returns
// nullopt with "line N: ..." in `error`.
std::optional<std::vector<TraceCall>> parseTrace(const QByteArray& text, QString* error);

}  // namespace tarnwhistle
